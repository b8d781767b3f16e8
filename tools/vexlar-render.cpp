// vexlar-render: renders an SVG drawing to a PNG file exactly as a Layer of the
// given client size shows it (layout, margins, opacity, tint, rotation), with
// straight alpha. A preview and test tool; Windows only (GDI+).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "layers/layer.h"
#include "layers/layer_render.h"
#include "layers/layout_parameters.h"
#include "layers/tint.h"
#include "render/graphics.h"
#include "svg/base/report.h"
#include "svg/base/scan.h"
#include "svg/base/strings.h"
#include "svg/load.h"
#include "svg/records/document.h"
#include "svg/records/not_drawn.h"
#include "svg/records/record_dump.h"
#include "svg/style/style.h"
#include "svg/values/lengths.h"
#include "svg/xml/xml_parse.h"
#include "svg/xml/xml_tree.h"
#include "tools/tool_files.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {

const int MaxSide = 16384;
const int SheetDefaultWidth = 160, SheetDefaultHeight = 120;

const char Usage[] =
    "usage: vexlar-render drawing.svg out.png --size WxH [options]\n"
    "       vexlar-render --sheet FOLDER out.png [--size WxH] [options]\n"
    "       vexlar-render --batch LIST OUTDIR\n"
    "       vexlar-render --records FILE\n"
    "\n"
    "Renders the drawing as a Layer whose rectangle has a client area of W x H\n"
    "pixels would show it, and writes the picture as a PNG with straight alpha.\n"
    "\n"
    "options:\n"
    "  --size WxH                client size in pixels, 1..16384 each (required)\n"
    "  --layout fit|stretch|original\n"
    "                            placement inside the margins; also \"natural\";\n"
    "                            any other word means fit, as for a Layer\n"
    "  --margin \"T [R [B [L]]]\"  margins in pixels, CSS order (default 0)\n"
    "  --opacity 0-255           layer opacity (default 255)\n"
    "  --tint NAME               a tint preset, e.g. \"Warm Sunset\" or \"No Tint\"\n"
    "  --tint-rgb R,G,B,STRENGTH a custom tint, each 0-255\n"
    "  --rotate DEG              clockwise turn about the centre of the area\n"
    "  --report                  print what the drawing holds that is not drawn\n"
    "  --help                    this text\n"
    "\n"
    "--sheet draws every .svg file of FOLDER as a Layer of that size (default\n"
    "160x120) with the options given, on one contact sheet: white, in rows, each\n"
    "file's name under its drawing and the module's message in place of a\n"
    "drawing that did not load (also printed).\n"
    "\n"
    "--batch renders every drawing named in LIST (UTF-8, one path a line; blank\n"
    "lines and lines starting with # are skipped) in one run, each the way the\n"
    "reference pictures of an SVG test suite are drawn: at the size of NAME.png\n"
    "beside NAME.svg (else 300 pixels wide and as tall as the view's proportions\n"
    "say), the root's viewBox kept (a root without one gets \"0 0 W H\" of its own\n"
    "width and height, default 100), layout original. Each picture goes to\n"
    "OUTDIR under the drawing's relative path with .png for .svg; folders are\n"
    "made as needed.\n"
    "\n"
    "--records prints the shape records the drawing loads into as text (paths,\n"
    "matrices, paints, clips, groups, masks, patterns, gradients) and draws nothing.\n"
    "\n"
    "Exit status: 0 written, 1 the drawing could not be loaded or the PNG not\n"
    "written (the reason is printed; in a batch, any of them), 2 bad options.\n";

struct Options {
    std::wstring input, output;
    int width = 0, height = 0;
    std::wstring layout, margins;
    int opacity = 255;
    int tintRed = 255, tintGreen = 255, tintBlue = 255, tintStrength = 0;
    int tintGiven = 0;
    float rotation = 0.0f;
    int sheet = 0; // input is a folder drawn as a contact sheet
    int report = 0;
};

std::wstring WideFromAnsi(const char* text) {
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 1)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

// A whole decimal number in lo..hi, nothing else.
int ReadInt(const std::string& text, int lo, int hi, int* value) {
    if (text.empty() || text.size() > 9)
        return 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return 0;
    }
    int v = std::atoi(text.c_str());
    if (v < lo || v > hi)
        return 0;
    *value = v;
    return 1;
}

int ReadSize(const std::string& text, int* width, int* height) {
    size_t x = text.find_first_of("xX");
    return x != std::string::npos && ReadInt(text.substr(0, x), 1, MaxSide, width) &&
           ReadInt(text.substr(x + 1), 1, MaxSide, height);
}

int ReadTintRgb(const std::string& text, Options* o) {
    int values[4];
    size_t start = 0;
    for (int i = 0; i < 4; i++) {
        size_t comma = text.find(',', start);
        if ((i < 3) != (comma != std::string::npos))
            return 0;
        std::string part = text.substr(start, i < 3 ? comma - start : std::string::npos);
        if (!ReadInt(part, 0, 255, &values[i]))
            return 0;
        start = comma + 1;
    }
    o->tintRed = values[0];
    o->tintGreen = values[1];
    o->tintBlue = values[2];
    o->tintStrength = values[3];
    return 1;
}

int ReadRotation(const std::string& text, float* degrees) {
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(v > -1e9 && v < 1e9))
        return 0;
    *degrees = static_cast<float>(v);
    return 1;
}

int Complain(const std::string& message) {
    std::fprintf(stderr, "vexlar-render: %s\n\n%s", message.c_str(), Usage);
    return 2;
}

// 0: run; 1: help shown; 2: bad options (usage shown).
int ParseOptions(int argc, char** argv, Options* o) {
    std::vector<std::string> positional;
    int sizeGiven = 0;
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(Usage, stdout);
            return 1;
        }
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--report") {
            o->report = 1;
            continue;
        }
        if (i + 1 >= argc)
            return Complain(arg + " needs a value");
        std::string value = argv[++i];
        if (arg == "--sheet") {
            o->sheet = 1;
            o->input = WideFromAnsi(value.c_str());
        } else if (arg == "--size") {
            if (!ReadSize(value, &o->width, &o->height))
                return Complain("bad --size: " + value);
            sizeGiven = 1;
        } else if (arg == "--layout") {
            o->layout = WideFromAnsi(value.c_str());
        } else if (arg == "--margin") {
            o->margins = WideFromAnsi(value.c_str());
        } else if (arg == "--opacity") {
            if (!ReadInt(value, 0, 255, &o->opacity))
                return Complain("bad --opacity: " + value);
        } else if (arg == "--tint") {
            if (o->tintGiven++)
                return Complain("give one tint only");
            if (!LookupTintPreset(WideFromAnsi(value.c_str()), &o->tintRed, &o->tintGreen,
                                  &o->tintBlue, &o->tintStrength))
                return Complain("no tint preset is called \"" + value + "\"");
        } else if (arg == "--tint-rgb") {
            if (o->tintGiven++)
                return Complain("give one tint only");
            if (!ReadTintRgb(value, o))
                return Complain("bad --tint-rgb: " + value);
        } else if (arg == "--rotate") {
            if (!ReadRotation(value, &o->rotation))
                return Complain("bad --rotate: " + value);
        } else {
            return Complain("unknown option " + arg);
        }
    }
    if (o->sheet) {
        if (positional.size() != 1)
            return Complain("give one folder after --sheet and one output file");
        if (!sizeGiven) {
            o->width = SheetDefaultWidth;
            o->height = SheetDefaultHeight;
        }
        o->output = WideFromAnsi(positional[0].c_str());
        return 0;
    }
    if (positional.size() != 2)
        return Complain("give one drawing and one output file");
    if (!sizeGiven)
        return Complain("--size is required");
    o->input = WideFromAnsi(positional[0].c_str());
    o->output = WideFromAnsi(positional[1].c_str());
    return 0;
}

void SetUpLayer(const Options& o, Layer* layer) {
    layer->layoutMode = ParseLayoutMode(o.layout);
    StoreMarginText(layer, o.margins);
    layer->opacity = o.opacity;
    layer->tintRed = o.tintRed;
    layer->tintGreen = o.tintGreen;
    layer->tintBlue = o.tintBlue;
    layer->tintStrength = o.tintStrength;
    layer->rotation = o.rotation;
}

void PrintWide(FILE* stream, const std::wstring& text) {
    std::fprintf(stream, "%s\n", Utf8FromWide(text).c_str());
}

// Sizes the buffer to width x height pixels of the colour; 0 (after saying
// so) when there is not enough memory.
int AllocatePicture(std::vector<uint32_t>* pixels, int width, int height, uint32_t colour) {
    try {
        pixels->assign(static_cast<size_t>(width) * static_cast<size_t>(height), colour);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "vexlar-render: not enough memory for a picture of %d x %d pixels\n",
                     width, height);
        return 0;
    }
    return 1;
}

// Renders the Layer into the pixels; 0 (after saying so) when GDI+ could not
// draw a drawing that has shapes (a drawing without any leaves them clear).
int DrawLayerPicture(Layer* layer, uint32_t* pixels, int width, int height) {
    if (RenderLayerPixels(layer, pixels, width, height) || layer->document.shapeCount < 1)
        return 1;
    std::fprintf(stderr, "vexlar-render: GDI+ could not draw a picture of %d x %d pixels\n", width,
                 height);
    return 0;
}

// Writes the PNG, making missing folders on the way first.
int WritePicture(const std::wstring& path, const uint32_t* pixels, int width, int height) {
    return MakeFoldersFor(path) && GfxSavePng(path.c_str(), pixels, width, height);
}

// The account of what is not drawn, on standard output.
void PrintNotDrawnReport(const SvgDocument& document) {
    PrintWide(stdout, NotDrawnReport(&document));
}

int Render(const Options& o) {
    uintptr_t token = 0;
    if (!GfxStartup(&token)) {
        std::fprintf(stderr, "vexlar-render: GDI+ startup failed.\n");
        return 1;
    }
    GfxResolvePathBounds(); // shape and content bounds need it
    Layer layer = Layer();
    SetUpLayer(o, &layer);
    int status = 0;
    if (!LoadSvgDocument(o.input, &layer.document)) {
        PrintWide(stderr, LastReportedError());
        status = 1;
    } else {
        std::vector<uint32_t> pixels;
        if (!AllocatePicture(&pixels, o.width, o.height, 0) ||
            !DrawLayerPicture(&layer, pixels.data(), o.width, o.height)) {
            status = 1;
        } else if (!WritePicture(o.output, pixels.data(), o.width, o.height)) {
            PrintWide(stderr, L"Cannot write PNG file: " + o.output);
            status = 1;
        }
        if (o.report) // after the render, which counts what it left out
            PrintNotDrawnReport(layer.document);
    }
    ClearSvgDocument(&layer.document);
    GfxShutdown(token);
    return status;
}

// The drawing's records as text on standard output, with "\n" line ends as
// the golden dumps of the tests have them.
int PrintRecords(const std::wstring& drawing) {
    uintptr_t token = 0;
    if (!GfxStartup(&token)) {
        std::fprintf(stderr, "vexlar-render: GDI+ startup failed.\n");
        return 1;
    }
    GfxResolvePathBounds();
    SvgDocument document = SvgDocument();
    int status = 0;
    if (LoadSvgDocument(drawing, &document)) {
        _setmode(_fileno(stdout), _O_BINARY);
        std::fputs(DumpRecords(&document).c_str(), stdout);
    } else {
        PrintWide(stderr, LastReportedError());
        status = 1;
    }
    ClearSvgDocument(&document);
    GfxShutdown(token);
    return status;
}

// ---- Batch: drawings sized like the reference pictures of an SVG suite ----

// The width and height in a PNG file's header; 0 when it is none.
int ReadPngSize(const std::wstring& path, int* width, int* height) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file)
        return 0;
    unsigned char header[24];
    size_t got = std::fread(header, 1, sizeof header, file);
    std::fclose(file);
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (got != sizeof header || std::memcmp(header, signature, 8) != 0 ||
        std::memcmp(header + 12, "IHDR", 4) != 0)
        return 0;
    auto bigEndian = [&header](int at) {
        return (static_cast<uint32_t>(header[at]) << 24) |
               (static_cast<uint32_t>(header[at + 1]) << 16) |
               (static_cast<uint32_t>(header[at + 2]) << 8) | header[at + 3];
    };
    const uint32_t w = bigEndian(16), h = bigEndian(20);
    if (w < 1 || h < 1 || w > MaxSide || h > MaxSide)
        return 0;
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return 1;
}

// The root's width or height in user units; a percentage, nothing or a
// value that is not positive gives the default of 100.
float RootSide(const XmlNode* root, const wchar_t* name) {
    const std::wstring text = TrimWhiteSpace(XmlAttribute(root, name));
    if (text.empty() || text.back() == L'%')
        return 100.0f;
    const float value = ParseLength(text);
    return value > 0.0f ? value : 100.0f;
}

struct ReferenceView {
    float x, y, width, height;
};

// What the reference draws: the root's own viewBox, else "0 0 W H" of its
// width and height. 0 when the file has no root to read.
int ReadReferenceView(const std::wstring& path, ReferenceView* view) {
    XmlTree* tree = LoadXmlTree(path);
    const XmlNode* root = tree && XmlParseSucceeded(tree) ? XmlRootElement(tree) : nullptr;
    if (root) {
        *view = {0.0f, 0.0f, RootSide(root, L"width"), RootSide(root, L"height")};
        const std::wstring& text = XmlAttribute(root, L"viewBox");
        float v[4] = {0, 0, 0, 0};
        int position = 1;
        for (int i = 0; i < 4; i++)
            position = ScanNumber(text, position, &v[i]);
        if (v[2] > 0.0f && v[3] > 0.0f)
            *view = {v[0], v[1], v[2], v[3]};
    }
    if (tree)
        ReleaseXmlTree(tree);
    return root != nullptr;
}

// The picture's size: the reference PNG's, else 300 wide by the view's
// proportions.
void ChooseReferenceSize(const std::wstring& drawing, const ReferenceView& view, int* width,
                         int* height) {
    std::wstring png = drawing;
    const size_t dot = png.find_last_of(L"./\\");
    if (dot != std::wstring::npos && png[dot] == L'.')
        png.resize(dot);
    if (ReadPngSize(png + L".png", width, height))
        return;
    *width = 300;
    const float h = 300.0f * view.height / view.width;
    *height = h < 1.0f ? 1 : (h > MaxSide ? MaxSide : static_cast<int>(h + 0.5f));
}

// Where a drawing's picture goes: its path made relative (drive, leading
// separators, "." and ".." parts dropped) under the folder, .svg made .png.
std::wstring BatchOutputPath(const std::wstring& folder, const std::wstring& drawing) {
    std::wstring relative;
    size_t start = drawing.size() > 1 && drawing[1] == L':' ? 2 : 0;
    while (start < drawing.size()) {
        size_t end = drawing.find_first_of(L"/\\", start);
        if (end == std::wstring::npos)
            end = drawing.size();
        const std::wstring part = drawing.substr(start, end - start);
        if (!part.empty() && part != L"." && part != L"..")
            relative += (relative.empty() ? L"" : L"/") + part;
        start = end + 1;
    }
    const size_t n = relative.size();
    if (n > 4 && LowerText(relative.substr(n - 4)) == L".svg")
        relative.resize(n - 4);
    return folder + L"/" + relative + L".png";
}

// Renders one drawing like its reference; returns 1, or 0 after printing why.
int RenderLikeReference(const std::wstring& drawing, const std::wstring& output) {
    Layer layer = Layer();
    layer.layoutMode = LayoutOriginal;
    layer.opacity = 255;
    int ok = LoadSvgDocument(drawing, &layer.document);
    std::wstring problem = ok ? L"" : LastReportedError();
    ReferenceView view;
    if (ok && !ReadReferenceView(drawing, &view)) {
        ok = 0;
        problem = L"the root element could not be read";
    }
    if (ok) {
        int width = 0, height = 0;
        ChooseReferenceSize(drawing, view, &width, &height);
        SvgDocument& document = layer.document;
        document.viewBoxX = view.x;
        document.viewBoxY = view.y;
        document.viewBoxWidth = view.width;
        document.viewBoxHeight = view.height;
        document.hasViewBox = 1;
        document.width = static_cast<float>(width);
        document.height = static_cast<float>(height);
        std::vector<uint32_t> pixels;
        if (!AllocatePicture(&pixels, width, height, 0) ||
            !DrawLayerPicture(&layer, pixels.data(), width, height)) {
            ok = 0;
            problem = L"the picture could not be drawn";
        } else if (!WritePicture(output, pixels.data(), width, height)) {
            ok = 0;
            problem = L"Cannot write PNG file: " + output;
        }
    }
    ClearSvgDocument(&layer.document);
    if (!ok)
        PrintWide(stderr, drawing + L": " + problem);
    return ok;
}

// The drawings a list file names: UTF-8, one a line, blank and # lines skipped.
int ReadBatchList(const std::wstring& path, std::vector<std::wstring>* drawings) {
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file)
        return 0;
    std::string bytes;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.append(buffer, n);
    std::fclose(file);
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        if (!line.empty() && line[0] != '#')
            drawings->push_back(WideFromUtf8(line.data(), line.size()));
        start = end + 1;
    }
    return 1;
}

int RenderBatch(const std::wstring& list, const std::wstring& folder) {
    std::vector<std::wstring> drawings;
    if (!ReadBatchList(list, &drawings)) {
        PrintWide(stderr, L"vexlar-render: cannot read the list " + list);
        return 1;
    }
    uintptr_t token = 0;
    if (!GfxStartup(&token)) {
        std::fprintf(stderr, "vexlar-render: GDI+ startup failed.\n");
        return 1;
    }
    GfxResolvePathBounds();
    size_t failed = 0;
    for (const std::wstring& drawing : drawings) {
        if (!RenderLikeReference(drawing, BatchOutputPath(folder, drawing)))
            failed++;
    }
    GfxShutdown(token);
    std::printf("batch: %d rendered, %d failed\n", static_cast<int>(drawings.size() - failed),
                static_cast<int>(failed));
    return failed ? 1 : 0;
}

// ---- Sheet: every drawing of a folder as a Layer of one size, on one picture ----

const int SheetGap = 8;          // around and between the cells
const int SheetLabelHeight = 18; // the file's name under its drawing
const int SheetMaxWidth = 1280;  // cells wrap to the next row beyond this
const uint32_t SheetBackground = 0xFFFFFFFFu;
const uint32_t SheetFrame = 0xFFC8C8C8u;

// The .svg files directly inside the folder, sorted by name without regard
// to case.
std::vector<std::wstring> ListSvgFiles(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name.size() > 4 &&
            LowerText(name.substr(name.size() - 4)) == L".svg")
            names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        return LowerText(a) < LowerText(b);
    });
    return names;
}

struct SheetGeometry {
    int columns, rows, width, height;
    int cellWidth, cellHeight; // the drawing's part of a cell
};

// Cells in rows of as many as fit SheetMaxWidth (one at least); 0 when the
// sheet would be larger than a picture may be.
int ArrangeSheet(int count, int cellWidth, int cellHeight, SheetGeometry* g) {
    g->cellWidth = cellWidth;
    g->cellHeight = cellHeight;
    g->columns = std::max(1, std::min(count, (SheetMaxWidth - SheetGap) / (cellWidth + SheetGap)));
    g->rows = (count + g->columns - 1) / g->columns;
    const int64_t width = SheetGap + int64_t{g->columns} * (cellWidth + SheetGap);
    const int64_t height = SheetGap + int64_t{g->rows} * (cellHeight + SheetLabelHeight + SheetGap);
    if (width > MaxSide || height > MaxSide)
        return 0;
    g->width = static_cast<int>(width);
    g->height = static_cast<int>(height);
    return 1;
}

// The top left corner of cell i's drawing.
void SheetCellOrigin(const SheetGeometry& g, int i, int* left, int* top) {
    *left = SheetGap + i % g.columns * (g.cellWidth + SheetGap);
    *top = SheetGap + i / g.columns * (g.cellHeight + SheetLabelHeight + SheetGap);
}

// Straight-alpha ARGB over an opaque colour.
uint32_t OverOpaque(uint32_t top, uint32_t below) {
    const uint32_t a = top >> 24;
    uint32_t result = 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t t = (top >> shift) & 0xFF, b = (below >> shift) & 0xFF;
        result |= ((t * a + b * (255 - a) + 127) / 255) << shift;
    }
    return result;
}

// Puts cell i's picture (null: none) over the background inside a thin frame.
void PlaceSheetPicture(const SheetGeometry& g, int i, const uint32_t* picture, uint32_t* sheet) {
    int left, top;
    SheetCellOrigin(g, i, &left, &top);
    for (int y = -1; y <= g.cellHeight; y++) {
        uint32_t* row = sheet + static_cast<size_t>(top + y) * g.width + left;
        for (int x = -1; x <= g.cellWidth; x++) {
            if (x < 0 || y < 0 || x == g.cellWidth || y == g.cellHeight)
                row[x] = SheetFrame;
            else if (picture)
                row[x] =
                    OverOpaque(picture[static_cast<size_t>(y) * g.cellWidth + x], SheetBackground);
        }
    }
}

struct SheetLabel {
    std::wstring name;
    std::wstring problem; // the module's message when the drawing did not load
};

void WriteSheetLabel(HDC dc, const SheetGeometry& g, int i, const SheetLabel& label) {
    int left, top;
    SheetCellOrigin(g, i, &left, &top);
    RECT under = {left, top + g.cellHeight + 2, left + g.cellWidth,
                  top + g.cellHeight + SheetLabelHeight};
    std::wstring name = label.name;
    SetTextColor(dc, RGB(0, 0, 0));
    DrawTextW(dc, &name[0], -1, &under, DT_CENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    if (label.problem.empty())
        return;
    RECT inside = {left + 4, top + 4, left + g.cellWidth - 4, top + g.cellHeight - 4};
    std::wstring problem = label.problem;
    SetTextColor(dc, RGB(200, 0, 0));
    DrawTextW(dc, &problem[0], -1, &inside,
              DT_CENTER | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
}

// Writes the labels with GDI on a copy of the sheet; 0 when GDI cannot.
int WriteSheetLabels(const SheetGeometry& g, const std::vector<SheetLabel>& labels,
                     std::vector<uint32_t>* sheet) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = g.width;
    info.bmiHeader.biHeight = -g.height; // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = bitmap && bits ? CreateCompatibleDC(nullptr) : nullptr;
    if (!dc) {
        if (bitmap)
            DeleteObject(bitmap);
        return 0;
    }
    const size_t bytes = sheet->size() * sizeof(uint32_t);
    std::memcpy(bits, sheet->data(), bytes);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    for (size_t i = 0; i < labels.size(); i++)
        WriteSheetLabel(dc, g, static_cast<int>(i), labels[i]);
    GdiFlush();
    std::memcpy(sheet->data(), bits, bytes);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
    DeleteObject(bitmap);
    for (uint32_t& p : *sheet)
        p |= 0xFF000000u; // GDI's text leaves alpha 0; the sheet is opaque
    return 1;
}

// Draws file i of the folder into its cell as the options' Layer shows it.
SheetLabel DrawSheetCell(const Options& o, const SheetGeometry& g, int i, const std::wstring& name,
                         std::vector<uint32_t>* picture, uint32_t* sheet) {
    SheetLabel label = {name, L""};
    Layer layer = Layer();
    SetUpLayer(o, &layer);
    if (LoadSvgDocument(o.input + L"\\" + name, &layer.document)) {
        std::fill(picture->begin(), picture->end(), 0u);
        if (!DrawLayerPicture(&layer, picture->data(), o.width, o.height))
            label.problem = L"The picture could not be drawn.";
        PlaceSheetPicture(g, i, label.problem.empty() ? picture->data() : nullptr, sheet);
    } else {
        label.problem = LastReportedError();
        PlaceSheetPicture(g, i, nullptr, sheet);
        PrintWide(stdout, name + L": " + label.problem);
    }
    ClearSvgDocument(&layer.document);
    return label;
}

int RenderSheet(const Options& o) {
    const std::vector<std::wstring> names = ListSvgFiles(o.input);
    if (names.empty()) {
        PrintWide(stderr, L"vexlar-render: no .svg files in " + o.input);
        return 1;
    }
    SheetGeometry g;
    if (!ArrangeSheet(static_cast<int>(names.size()), o.width, o.height, &g)) {
        std::fprintf(
            stderr,
            "vexlar-render: %d drawings of %d x %d make a sheet larger than %d pixels a side\n",
            static_cast<int>(names.size()), o.width, o.height, MaxSide);
        return 1;
    }
    std::vector<uint32_t> sheet, picture;
    if (!AllocatePicture(&sheet, g.width, g.height, SheetBackground) ||
        !AllocatePicture(&picture, o.width, o.height, 0))
        return 1;
    uintptr_t token = 0;
    if (!GfxStartup(&token)) {
        std::fprintf(stderr, "vexlar-render: GDI+ startup failed.\n");
        return 1;
    }
    GfxResolvePathBounds();
    std::vector<SheetLabel> labels;
    for (size_t i = 0; i < names.size(); i++)
        labels.push_back(
            DrawSheetCell(o, g, static_cast<int>(i), names[i], &picture, sheet.data()));
    int status = 0;
    if (!WriteSheetLabels(g, labels, &sheet)) {
        std::fprintf(stderr, "vexlar-render: GDI could not write the names on the sheet\n");
        status = 1;
    } else if (!WritePicture(o.output, sheet.data(), g.width, g.height)) {
        PrintWide(stderr, L"Cannot write PNG file: " + o.output);
        status = 1;
    }
    GfxShutdown(token);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--batch") {
        if (argc != 4)
            return Complain("--batch takes a list file and an output folder, nothing else");
        return RenderBatch(WideFromAnsi(argv[2]), WideFromAnsi(argv[3]));
    }
    if (argc > 1 && std::string(argv[1]) == "--records") {
        if (argc != 3)
            return Complain("--records takes one drawing, nothing else");
        return PrintRecords(WideFromAnsi(argv[2]));
    }
    Options options;
    int parsed = ParseOptions(argc, argv, &options);
    if (parsed == 1)
        return 0;
    if (parsed != 0)
        return parsed;
    return options.sheet ? RenderSheet(options) : Render(options);
}
