#include "svg/base/file_access.h"

#include <system_error>

#include "svg/base/strings.h"

std::filesystem::path NativeFilePath(const std::wstring& path) {
#ifdef _WIN32
    return std::filesystem::path(path);
#else
    return std::filesystem::path(Utf8FromWide(path));
#endif
}

FILE* OpenFileForReading(const std::wstring& path) {
#ifdef _WIN32
    return _wfopen(NativeFilePath(path).c_str(), L"rb");
#else
    return std::fopen(NativeFilePath(path).c_str(), "rb");
#endif
}

long long RegularFileSize(const std::wstring& path) {
    if (path.empty())
        return -1;
    std::filesystem::path native = NativeFilePath(path);
    std::error_code error;
    if (!std::filesystem::is_regular_file(native, error) || error)
        return -1;
    uintmax_t size = std::filesystem::file_size(native, error);
    if (error)
        return -1;
    return static_cast<long long>(size);
}
