// The one way the layers subsystem turns a name or keyword into the form it
// compares: blanks (U+0020 only) trimmed at both ends, then lower-cased with
// the platform's Unicode lower-casing. Tabs and other white space stay.
#pragma once

#include <string>

std::wstring KeywordOf(const std::wstring& text);
