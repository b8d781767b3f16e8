// vexlar-render: renders an SVG drawing to a PNG file exactly as a Layer of the
// given client size shows it (layout, margins, opacity, tint, rotation), with
// straight alpha. A preview and test tool; Windows only (GDI+).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "layers/layer.h"
#include "layers/layout_text.h"
#include "layers/tint.h"
#include "render/graphics.h"
#include "render/rasterizer.h"
#include "svg/document.h"
#include "svg/report.h"
#include "svg/text.h"

#include <windows.h>

namespace {

const int MaxSide = 16384;

const char Usage[] =
    "usage: vexlar-render drawing.svg out.png --size WxH [options]\n"
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
    "  --help                    this text\n"
    "\n"
    "Exit status: 0 written, 1 the drawing could not be loaded or the PNG not\n"
    "written (the reason is printed), 2 bad options.\n";

struct Options {
    std::wstring input, output;
    int width = 0, height = 0;
    std::wstring layout, margins;
    int opacity = 255;
    int tintRed = 255, tintGreen = 255, tintBlue = 255, tintStrength = 0;
    int tintGiven = 0;
    float rotation = 0.0f;
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
        if (i + 1 >= argc)
            return Complain(arg + " needs a value");
        std::string value = argv[++i];
        if (arg == "--size") {
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
        std::vector<uint32_t> pixels(static_cast<size_t>(o.width) * o.height, 0);
        RenderLayerPixels(&layer, pixels.data(), o.width, o.height);
        if (!GfxSavePng(o.output.c_str(), pixels.data(), o.width, o.height)) {
            PrintWide(stderr, L"Cannot write PNG file: " + o.output);
            status = 1;
        }
    }
    ClearSvgDocument(&layer.document);
    GfxShutdown(token);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    int parsed = ParseOptions(argc, argv, &options);
    if (parsed == 1)
        return 0;
    if (parsed != 0)
        return parsed;
    return Render(options);
}
