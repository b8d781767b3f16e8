// Conditional processing: requiredFeatures, requiredExtensions and
// systemLanguage, on any element and in «switch».
#pragma once

#include <string>

struct XmlNode;

// The user's language («de-CH»), matched besides English. Empty by default.
void SetUserLanguage(const std::wstring& language);
// Whether the element's conditions hold: every feature string does (as
// browsers have it), no extension does, and a language list holds when one
// of its tags is English, the user's language or the user's language
// without its region, or begins with one of these followed by «-». A present but empty list never
// holds.
bool ConditionsHold(const XmlNode* element);
