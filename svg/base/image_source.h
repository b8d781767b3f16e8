// Where an image's bytes come from: an «href» read as a data: URI or as a
// local file, and the rules that keep a drawing from reaching anything else.
// Nothing here opens a network connection: the only schemes are data: and
// file: without a host, and UNC and device paths are refused before any file
// is touched.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Bytes read for one image at most (a file or a data: URI's content).
const size_t MaxImageBytes = size_t(64) << 20;

struct SvgDocument;
struct ImageScope;

// Images inside images are followed this many levels deep at most.
const int MaxImageNesting = 4;

// Loads an SVG drawing held in bytes as a document of its own, its images
// read within the scope given. Returns 1 when it loaded; writes no message.
typedef int (*NestedDrawingLoader)(const std::string& bytes, const ImageScope& scope,
                                   SvgDocument* document);

// What the images of one drawing may reach.
struct ImageScope {
    std::wstring folder;               // what relative references start from
    std::vector<std::wstring> drawing; // the files being drawn, as ComparablePath gives them
    int depth = 0;                     // images this drawing is drawn inside
    int filesAllowed = 0;              // 0 in a drawing drawn as an image: it reads no files
    NestedDrawingLoader loadDrawing = nullptr; // null: SVG images are not drawn
};

// Where an image's bytes come from.
struct ImageSource {
    int inMemory;          // 1: data: URI, bytes decoded below; 0: the file at path
    std::wstring path;     // the file, as the platform names it
    std::string bytes;     // a data: URI's content
    std::string mediaType; // a data: URI's media type, lower case ("" when it names none)
};

// Decodes a data: URI («data:[type][;params][;base64],content»): base64
// content (white space ignored) or percent-encoded text taken as UTF-8.
// Returns 1, or 0 when it is no data: URI, its base64 is broken or its
// content is larger than MaxImageBytes.
int DecodeDataUri(const std::wstring& uri, std::string* bytes, std::string* mediaType);

// Reads the href: a data: URI, a file: URL without a host, or a path (in URL
// form, %XX escapes decoded) taken relative to baseFolder unless absolute.
// Refused, returning 0: any other scheme, a file: URL naming a host, UNC and
// device paths («\\server\share», «//server/share», «\\?\», «\\.\»), file
// references when filesAllowed is 0, and an empty href.
int ResolveImageHref(const std::wstring& href, const std::wstring& baseFolder, int filesAllowed,
                     ImageSource* source);

// The folder a file lies in (to resolve the file's own references), "" for
// a bare name.
std::wstring FolderOfFile(const std::wstring& path);
// The path made absolute and normal, to compare two names of one file.
std::wstring ComparablePath(const std::wstring& path);

// The source's bytes: the data: URI's, or the file's when it is a regular
// file of at most MaxImageBytes. Returns 1 when there are any.
int ReadImageBytes(const ImageSource& source, std::string* bytes);

// Whether the bytes are an SVG drawing rather than a bitmap: by the media
// type when it names one, else by the content starting with markup.
bool IsSvgImage(const std::string& mediaType, const std::string& bytes);
