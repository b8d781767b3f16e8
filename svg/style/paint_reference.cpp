// Paint references and the paint servers they name. Gradients come from the
// gradient registry; whether an id names some other element is found by one
// search of the document per id, remembered for the rest of the load.
#include "svg/style/paint_reference.h"

#include <unordered_map>

#include "svg/base/strings.h"
#include "svg/style/gradients.h"
#include "svg/xml/element_walk.h"
#include "svg/xml/xml_tree.h"

namespace {

struct IdSearch {
    const std::wstring* id;
    int kind;
    int found;
};

void NoteElementWithId(const XmlNode* element, void* context) {
    IdSearch* search = static_cast<IdSearch*>(context);
    if (search->found || XmlAttribute(element, L"id") != *search->id)
        return;
    // The first element with the id owns it, as for gradients.
    search->found = 1;
    search->kind =
        LowerTextIs(XmlLocalName(element), L"pattern") ? PaintServerPattern : PaintServerMissing;
}

const XmlNode* RootOf(const XmlNode* element) {
    while (XmlParent(element))
        element = XmlParent(element);
    return element;
}

int KindOfOtherElement(PaintServerLookups* lookups, const XmlNode* element,
                       const std::wstring& id) {
    auto known = lookups->otherElementKinds.find(id);
    if (known != lookups->otherElementKinds.end())
        return known->second;
    IdSearch search{&id, PaintServerMissing, 0};
    VisitElements(RootOf(element), kMaxElementSearchDepth, NoteElementWithId, &search);
    lookups->otherElementKinds.emplace(id, search.kind);
    return search.kind;
}

} // namespace

int LookUpPaintServer(const GradientRegistry* gradients, PaintServerLookups* lookups,
                      const XmlNode* element, const std::wstring& id, Argb* average,
                      int* drawnAsGradient) {
    *drawnAsGradient = 0;
    if (id.empty())
        return PaintServerMissing;
    if (FindGradientAverageColour(gradients, id, average)) {
        *drawnAsGradient = FindRegisteredGradient(gradients, id) ? 1 : 0;
        return PaintServerGradient;
    }
    return element ? KindOfOtherElement(lookups, element, id) : PaintServerMissing;
}

int ReadPaintReference(const wchar_t* first, const wchar_t* last, std::wstring* id,
                       const wchar_t** rest) {
    static const wchar_t Url[] = L"url(";
    for (int i = 0; i < 4; i++) {
        if (first + i >= last || LowerCharacter(first[i]) != Url[i])
            return 0;
    }
    const wchar_t* p = first + 4;
    while (p < last && IsCssWhiteSpace(*p))
        p++;
    wchar_t quote = 0;
    if (p < last && (*p == L'\'' || *p == L'"'))
        quote = *p++;
    const wchar_t* addressStart = p;
    while (p < last && (quote ? *p != quote : *p != L')'))
        p++;
    const wchar_t* addressEnd = p;
    if (quote) {
        if (p == last)
            return 0;
        p++;
    }
    while (p < last && IsCssWhiteSpace(*p))
        p++;
    if (p == last || *p != L')')
        return 0;
    *rest = p + 1;
    std::wstring address = TrimWhiteSpace(std::wstring(addressStart, addressEnd));
    // Only a fragment of this document can be drawn; another file's is not read.
    if (address.size() > 1 && address[0] == L'#')
        *id = TrimWhiteSpace(address.substr(1));
    else
        id->clear();
    return 1;
}
