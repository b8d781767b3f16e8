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
};

} // namespace

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
    return any ? line : line + L"nothing";
}
