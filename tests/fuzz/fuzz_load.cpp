// libFuzzer target for LoadSvgDocument: each input is written to a file and
// loaded, and the document must come out consistent. A broken rule traps, so
// the fuzzer keeps the input.
#include <cstdint>
#include <cstdio>
#include <string>

#include <unistd.h>

#include "render/graphics.h"
#include "svg/base/report.h"
#include "svg/base/strings.h"
#include "svg/load.h"
#include "svg/records/document.h"

namespace {

// The file each input is written to, removed again after each load (an
// interrupted fuzzer runs no destructors).
std::string InputFileName() {
    const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(folder) + "/vexlar-fuzz-" + std::to_string(getpid()) + ".svg";
}

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.compare(0, std::char_traits<wchar_t>::length(prefix), prefix) == 0;
}

bool IsLoaderMessage(const std::wstring& message) {
    return StartsWith(message, L"SVG file not found or empty: ") ||
           message == L"Failed to parse SVG XML." || StartsWith(message, L"SVG XML error: ") ||
           message == L"SVG file has no root element.";
}

void Check(bool rule) {
    if (!rule)
        __builtin_trap();
}

void CheckDocument(int result, const SvgDocument& d) {
    if (!result) {
        Check(d.shapeCount == 0 && d.shapes == nullptr && d.gradients == nullptr);
        Check(IsLoaderMessage(LastReportedError()));
        return;
    }
    Check(d.shapeCount >= 0 && d.shapeCount <= d.shapeCapacity);
    for (int i = 0; i < d.shapeCount; i++) {
        const ShapeRecord& r = d.shapes[i];
        Check(r.path != nullptr);
        Check(r.hasFill || r.hasStroke);
        Check(r.miterLimit > 0);
        Check(r.hasFill || (r.fillColor == 0 && !r.fillRef));
        Check(r.hasStroke || (r.strokeColor == 0 && r.strokeWidth == 0 && !r.strokeRef));
    }
    Check(!d.hasViewBox || (d.viewBoxWidth > 0 && d.viewBoxHeight > 0));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    uintptr_t token = 0;
    GfxStartup(&token);
    GfxResolvePathBounds();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string file = InputFileName();
    static const std::wstring path = WideFromUtf8(file.data(), file.size());
    FILE* out = std::fopen(file.c_str(), "wb");
    if (!out)
        return 0;
    std::fwrite(data, 1, size, out);
    std::fclose(out);
    SvgDocument document = SvgDocument();
    ReportLastError(L"");
    int result = LoadSvgDocument(path, &document);
    CheckDocument(result, document);
    ClearSvgDocument(&document);
    // A second load into the same document must start from a clean slate.
    if (result) {
        Check(LoadSvgDocument(path, &document) == 1);
        ClearSvgDocument(&document);
    }
    std::remove(file.c_str());
    return 0;
}
