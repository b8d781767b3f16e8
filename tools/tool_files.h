// File helpers shared by the Windows tools (header only: every .cpp in tools/
// is a program of its own).
#pragma once

#include <string>

#include <windows.h>

// Makes every missing folder on the way to the file; 1 when they all exist
// after, else 0 with GetLastError saying why.
inline int MakeFoldersFor(const std::wstring& file) {
    for (size_t at = file.find_first_of(L"/\\", 1); at != std::wstring::npos;
         at = file.find_first_of(L"/\\", at + 1)) {
        const std::wstring folder = file.substr(0, at);
        if (folder.empty() || folder.back() == L':')
            continue;
        const DWORD attributes = GetFileAttributesW(folder.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        if (!CreateDirectoryW(folder.c_str(), nullptr))
            return 0;
    }
    return 1;
}
