#include "svg/base/image_source.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "svg/base/file_access.h"
#include "svg/base/strings.h"

namespace {

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    c = LowerAscii(c);
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    return -1;
}

// «%XX» escapes replaced by their byte; a «%» without two hex digits stays.
std::string PercentDecoded(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
            HexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

int Base64Value(wchar_t c) {
    if (c >= L'A' && c <= L'Z')
        return c - L'A';
    if (c >= L'a' && c <= L'z')
        return c - L'a' + 26;
    if (c >= L'0' && c <= L'9')
        return c - L'0' + 52;
    if (c == L'+' || c == L'-')
        return 62;
    if (c == L'/' || c == L'_')
        return 63;
    return -1;
}

// Base64 (standard or URL alphabet), white space ignored, padding optional;
// false on any other character or a lone last character.
bool DecodeBase64(TextView text, std::string* bytes) {
    unsigned bits = 0;
    int count = 0, chars = 0;
    bool padded = false;
    for (wchar_t c : text) {
        if (IsCssWhiteSpace(c))
            continue;
        if (c == L'=') {
            padded = true;
            continue;
        }
        const int value = Base64Value(c);
        if (value < 0 || padded)
            return false;
        bits = (bits << 6) | static_cast<unsigned>(value);
        count += 6;
        chars++;
        if (count >= 8) {
            count -= 8;
            bytes->push_back(static_cast<char>((bits >> count) & 0xFF));
            if (bytes->size() > MaxImageBytes)
                return false;
        }
    }
    return chars % 4 != 1;
}

bool IsAsciiLetter(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

bool IsSchemeCharacter(wchar_t c) {
    return IsAsciiLetter(c) || (c >= L'0' && c <= L'9') || c == L'+' || c == L'-' || c == L'.';
}

bool IsSlash(wchar_t c) {
    return c == L'/' || c == L'\\';
}

// The scheme of a URL (letters, digits, «+», «-», «.» after a letter, then
// «:»), lower case; "" when there is none. A single letter is a drive.
std::wstring SchemeOf(const std::wstring& href) {
    size_t i = 0;
    while (i < href.size() && (IsAsciiLetter(href[i]) || (i > 0 && IsSchemeCharacter(href[i]))))
        i++;
    if (i < 2 || i >= href.size() || href[i] != L':')
        return std::wstring();
    return LowerText(href.substr(0, i));
}

bool HasDrive(const std::wstring& path) {
    return path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == L':' && IsSlash(path[2]);
}

// A local path the file system may be asked about: no UNC or device
// prefix, and no «:» but a drive's (drive-relative names and alternate
// streams are refused with them).
bool IsPlainLocalPath(const std::wstring& path) {
    if (path.empty() || (path.size() >= 2 && IsSlash(path[0]) && IsSlash(path[1])))
        return false;
    for (size_t i = 0; i < path.size(); i++) {
        if (path[i] == L':' && !(i == 1 && HasDrive(path)))
            return false;
        if (path[i] == 0)
            return false;
    }
    return true;
}

// The URL's path part: escapes decoded as UTF-8, fragment and query cut.
std::wstring UrlPath(const std::wstring& text) {
    const std::wstring path = text.substr(0, text.find_first_of(L"?#"));
    const std::string bytes = PercentDecoded(Utf8FromWide(path));
    return WideFromUtf8(bytes.data(), bytes.size());
}

} // namespace

int DecodeDataUri(const std::wstring& uri, std::string* bytes, std::string* mediaType) {
    const TextView text = TrimView(uri);
    if (!StartsWithWordIgnoringCase(text, L"data:"))
        return 0;
    const size_t comma = text.find(L',');
    if (comma == TextView::npos)
        return 0;
    const TextView header = text.substr(5, comma - 5);
    const TextView content = text.substr(comma + 1);
    bool base64 = false;
    size_t position = 0;
    mediaType->clear();
    for (size_t part = 0; position <= header.size(); part++) {
        size_t end = header.find(L';', position);
        if (end == TextView::npos)
            end = header.size();
        const TextView item = TrimView(header.substr(position, end - position));
        if (part == 0)
            *mediaType = Utf8FromWide(LowerText(std::wstring(item)));
        else if (IsWordIgnoringCase(item, L"base64"))
            base64 = true;
        position = end + 1;
    }
    bytes->clear();
    if (base64)
        return DecodeBase64(content, bytes) ? 1 : 0;
    *bytes = PercentDecoded(Utf8FromWide(std::wstring(content)));
    return bytes->size() <= MaxImageBytes ? 1 : 0;
}

int ResolveImageHref(const std::wstring& href, const std::wstring& baseFolder, int filesAllowed,
                     ImageSource* source) {
    const std::wstring text = TrimWhiteSpace(href);
    *source = ImageSource();
    if (text.empty())
        return 0;
    const std::wstring scheme = SchemeOf(text);
    if (scheme == L"data") {
        source->inMemory = 1;
        return DecodeDataUri(text, &source->bytes, &source->mediaType);
    }
    if (!filesAllowed || (!scheme.empty() && scheme != L"file"))
        return 0;
    std::wstring path;
    if (scheme == L"file") {
        std::wstring rest = text.substr(5);
        if (rest.size() >= 2 && IsSlash(rest[0]) && IsSlash(rest[1])) {
            const size_t end = rest.find_first_of(L"/\\", 2);
            if (end != 2) // «file://host/...»: a host, even the local one, is refused
                return 0;
            rest = rest.substr(end);
        }
        path = UrlPath(rest);
        // «file:///C:/dir»: the slash before a drive is the URL's, not the path's.
        if (path.size() >= 4 && IsSlash(path[0]) && HasDrive(path.substr(1)))
            path = path.substr(1);
    } else {
        path = UrlPath(text);
    }
    if (!IsPlainLocalPath(path))
        return 0;
    if (!IsSlash(path[0]) && !HasDrive(path) && !baseFolder.empty())
        path = baseFolder + L"/" + path;
    source->path = path;
    return 1;
}

std::wstring FolderOfFile(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"/\\");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring ComparablePath(const std::wstring& path) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(NativeFilePath(path), error);
    if (error)
        return path;
    std::filesystem::path normal = std::filesystem::weakly_canonical(absolute, error);
    if (error)
        normal = absolute.lexically_normal();
#ifdef _WIN32
    return LowerText(normal.wstring());
#else
    const std::string bytes = normal.string();
    return WideFromUtf8(bytes.data(), bytes.size());
#endif
}

int ReadImageBytes(const ImageSource& source, std::string* bytes) {
    if (source.inMemory) {
        *bytes = source.bytes;
        return bytes->empty() ? 0 : 1;
    }
    const long long size = RegularFileSize(source.path);
    if (size <= 0 || static_cast<unsigned long long>(size) > MaxImageBytes)
        return 0;
    FILE* file = OpenFileForReading(source.path);
    if (!file)
        return 0;
    bytes->resize(static_cast<size_t>(size));
    const size_t read = std::fread(&(*bytes)[0], 1, bytes->size(), file);
    std::fclose(file);
    bytes->resize(read);
    return read > 0 ? 1 : 0;
}

bool IsSvgImage(const std::string& mediaType, const std::string& bytes) {
    if (mediaType.find("svg") != std::string::npos)
        return true;
    size_t i = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (i < bytes.size() &&
           (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        i++;
    return i < bytes.size() && bytes[i] == '<';
}
