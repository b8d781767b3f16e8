#include "layers/keyword.h"

#include "svg/base/strings.h"

#include <windows.h>

std::wstring KeywordOf(const std::wstring& text) {
    std::wstring key = TrimBlanks(text);
    if (!key.empty())
        CharLowerBuffW(&key[0], static_cast<DWORD>(key.size()));
    return key;
}
