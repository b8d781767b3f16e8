#include "svg/records/not_drawn.h"

#include "svg/records/document.h"

namespace {

const wchar_t* const KindNames[NotDrawnKindCount] = {
    L"text",
    L"filter effects",
    L"masks",
    L"patterns",
    L"markers",
    L"images",
    L"foreignObject",
    L"animation",
    L"unsupported CSS",
    L"layers, masks and pattern tiles past the offscreen budget",
    L"shapes with coordinates out of range",
    L"elements past the load's work budget",
    L"shapes past the render's work budget",
    L"filters past the offscreen budget (drawn unfiltered)",
    L"text past the load's character budget",
    L"shapes past the render's gradient-stop budget",
    L"dashed strokes past the render's dash budget (drawn solid)",
    L"shapes GDI+ had no memory for",
};

// «unknown elements (flowRoot 2, random 1, others 3)»
std::wstring UnknownElementsReport(const UnknownElements& unknown) {
    std::wstring part = L"unknown elements (";
    for (const UnknownElementCount& entry : unknown.names) {
        if (&entry != &unknown.names.front())
            part += L", ";
        part += entry.name + L" " + std::to_wstring(entry.count);
    }
    if (unknown.others > 0)
        part += L", others " + std::to_wstring(unknown.others);
    return part + L")";
}

} // namespace

void CountUnknownElement(SvgDocument* document, const std::wstring& name) {
    if (!document->unknownElements)
        document->unknownElements = new UnknownElements();
    UnknownElements* unknown = document->unknownElements;
    for (UnknownElementCount& entry : unknown->names) {
        if (entry.name == name) {
            entry.count++;
            return;
        }
    }
    if (unknown->names.size() < static_cast<size_t>(MaxUnknownNames))
        unknown->names.push_back(UnknownElementCount{name, 1});
    else
        unknown->others++;
}

void ReleaseUnknownElements(SvgDocument* document) {
    delete document->unknownElements;
    document->unknownElements = nullptr;
}

std::wstring NotDrawnReport(const SvgDocument* document) {
    std::wstring line = L"not drawn: ";
    bool any = false;
    for (int kind = 0; kind < NotDrawnKindCount; kind++) {
        int count = document->notDrawn[kind];
        if (count <= 0)
            continue;
        if (any)
            line += L", ";
        line += KindNames[kind];
        line += L" (" + std::to_wstring(count) + L")";
        any = true;
    }
    if (document->unknownElements) {
        line += (any ? L", " : L"") + UnknownElementsReport(*document->unknownElements);
        any = true;
    }
    return any ? line : line + L"nothing";
}
