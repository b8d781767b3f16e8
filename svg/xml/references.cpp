#include "svg/xml/references.h"

#include "svg/base/strings.h"
#include "svg/xml/element_walk.h"
#include "svg/xml/xml_tree.h"

namespace {

void IndexElement(const XmlNode* element, void* context) {
    IdIndex* index = static_cast<IdIndex*>(context);
    const std::wstring& id = XmlAttribute(element, L"id");
    if (!id.empty())
        index->elements.emplace(id, element); // keeps the first
}

} // namespace

const XmlNode* LookUpId(IdIndex* index, const std::wstring& id) {
    if (!index || id.empty())
        return nullptr;
    if (!index->built) {
        index->built = 1;
        VisitElements(index->root, kMaxElementSearchDepth, IndexElement, index);
    }
    auto found = index->elements.find(id);
    return found == index->elements.end() ? nullptr : found->second;
}

std::wstring UrlReferenceId(const std::wstring& text) {
    std::wstring value = TrimWhiteSpace(text);
    if (value.size() < 6 || LowerText(value.substr(0, 4)) != L"url(")
        return std::wstring();
    size_t close = value.find(L')', 4);
    if (close == std::wstring::npos)
        return std::wstring();
    std::wstring inner = TrimWhiteSpace(value.substr(4, close - 4));
    if (inner.size() >= 2 && (inner[0] == L'\'' || inner[0] == L'"') && inner.back() == inner[0])
        inner = inner.substr(1, inner.size() - 2);
    if (inner.size() < 2 || inner[0] != L'#')
        return std::wstring();
    return inner.substr(1);
}

std::wstring HrefText(const XmlNode* element) {
    const std::wstring* href = &XmlAttribute(element, L"href");
    if (href->empty())
        href = &XmlAttribute(element, L"xlink:href");
    return TrimWhiteSpace(*href);
}

std::wstring HrefReferenceId(const XmlNode* element) {
    std::wstring value = HrefText(element);
    if (value.size() < 2 || value[0] != L'#')
        return std::wstring();
    return value.substr(1);
}
