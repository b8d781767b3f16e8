#include "svg/build/conditions.h"

#include "svg/base/strings.h"
#include "svg/xml/xml_tree.h"

namespace {

std::wstring userLanguage;

// Whether the tag names the language itself or one of its regions.
bool TagMatches(const std::wstring& tag, const std::wstring& language) {
    if (language.empty() || tag.size() < language.size())
        return false;
    if (tag.compare(0, language.size(), language) != 0)
        return false;
    return tag.size() == language.size() || tag[language.size()] == L'-';
}

bool LanguageListHolds(const std::wstring& list) {
    std::wstring lowered = LowerText(list);
    std::wstring user = LowerText(userLanguage);
    std::wstring userPrimary = user.substr(0, user.find(L'-'));
    for (const std::wstring& tag : CommaSeparatedItems(lowered)) {
        if (TagMatches(tag, L"en") || TagMatches(tag, user) || TagMatches(tag, userPrimary))
            return true;
    }
    return false;
}

// Whether the attribute is there at all (an empty value counts), and its
// value when it is.
bool HasAttribute(const XmlNode* element, const wchar_t* name, const std::wstring** value) {
    if (!XmlHasAttribute(element, name))
        return false;
    *value = &XmlAttribute(element, name);
    return true;
}

} // namespace

void SetUserLanguage(const std::wstring& language) {
    userLanguage = TrimWhiteSpace(language);
}

bool ConditionsHold(const XmlNode* element) {
    // Most elements have neither attribute: one test of the element's set of
    // attribute names answers for both.
    static const uint64_t conditionBits =
        NameBitOfText(L"requiredExtensions") | NameBitOfText(L"systemLanguage");
    if (!(XmlAttributeNameBits(element) & conditionBits))
        return true;
    const std::wstring* value = nullptr;
    if (HasAttribute(element, L"requiredExtensions", &value))
        return false; // no extension is supported
    if (HasAttribute(element, L"systemLanguage", &value))
        return LanguageListHolds(*value);
    return true;
}
