// Files named by wide paths, opened the way the platform expects: wide
// system calls on Windows, UTF-8 names elsewhere.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

// The path as the platform's file system takes it: the wide text itself on
// Windows, its UTF-8 bytes elsewhere.
std::filesystem::path NativeFilePath(const std::wstring& path);

// Opens the file for binary reading; null when it cannot be opened.
FILE* OpenFileForReading(const std::wstring& path);

// The size in bytes of the regular file at path (symbolic links followed);
// -1 when there is none: missing, a directory, a device or unreadable.
long long RegularFileSize(const std::wstring& path);
