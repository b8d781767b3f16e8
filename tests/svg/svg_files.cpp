#include "svg_files.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "svg/base/file_access.h"
#include "svg/base/strings.h"
#include "svg/load.h"

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace {
// Removes the folder and its files when the program ends.
struct TempFolderHolder {
    std::filesystem::path path;
    ~TempFolderHolder() {
        std::error_code error;
        if (!path.empty())
            std::filesystem::remove_all(path, error);
    }
};
} // namespace

const std::wstring& TempFolder() {
    static TempFolderHolder holder;
    static std::wstring folder;
    if (folder.empty()) {
        std::error_code error;
        std::filesystem::path base = std::filesystem::temp_directory_path(error);
        std::filesystem::path made = base / ("vexlar-svg-" + std::to_string(getpid()));
        std::filesystem::create_directories(made, error);
        holder.path = made;
#ifdef _WIN32
        folder = made.wstring();
#else
        std::string narrow = made.string();
        folder = WideFromUtf8(narrow.data(), narrow.size());
#endif
    }
    return folder;
}

std::wstring TempPath(const std::wstring& name) {
    return TempFolder() + L"/" + name;
}

bool TryWriteTempFile(const std::wstring& name, const std::string& bytes, std::wstring* path) {
    *path = TempPath(name);
    std::ofstream file(NativeFilePath(*path), std::ios::binary);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}

std::wstring WriteTempFile(const std::wstring& name, const std::string& bytes) {
    std::wstring path;
    EXPECT_TRUE(TryWriteTempFile(name, bytes, &path)) << "cannot write " << Utf8FromWide(path);
    return path;
}

int LoadedSvg::Load(const std::string& text) {
    return LoadSvgDocument(WriteTempFile(L"load.svg", text), &document);
}
