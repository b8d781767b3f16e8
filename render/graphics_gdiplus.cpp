// The graphics layer on the GDI+ flat API: the one place in the module that
// calls GDI+. Handles of the layer are the GDI+ objects themselves, except
// the graphics record, which also owns the bitmap wrapping the caller's
// pixels.
#include <windows.h>
// GDI+ needs the COM declarations that WIN32_LEAN_AND_MEAN leaves out.
#include <objidl.h>
#include <gdiplus.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "render/graphics.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

struct GfxGraphics {
    GpGraphics* graphics;
    GpBitmap* bitmap; // wraps the caller's pixels; freed with the graphics
};

static GpPath* AsPath(GfxPath* path) {
    return reinterpret_cast<GpPath*>(path);
}

static GpMatrix* AsMatrix(GfxMatrix* matrix) {
    return reinterpret_cast<GpMatrix*>(matrix);
}

static GpBrush* AsBrush(GfxBrush* brush) {
    return reinterpret_cast<GpBrush*>(brush);
}

static GpLineGradient* AsLineBrush(GfxBrush* brush) {
    return reinterpret_cast<GpLineGradient*>(brush);
}

static GpPathGradient* AsPathBrush(GfxBrush* brush) {
    return reinterpret_cast<GpPathGradient*>(brush);
}

static GpPen* AsPen(GfxPen* pen) {
    return reinterpret_cast<GpPen*>(pen);
}

// The test hook's count: the GDI+ calls that allocate still to make before
// one fails as GDI+ does when out of memory (0: none fails).
static long long allocationsToRefuse = 0;
static bool allocationRefused = false;

void GfxFailAllocation(long long n) {
    allocationsToRefuse = n;
    allocationRefused = false;
}

int GfxAllocationRefused() {
    return allocationRefused ? 1 : 0;
}

// Asked before each GDI+ call that allocates: true when the hook fails it.
static bool Refused() {
    if (allocationsToRefuse > 0 && --allocationsToRefuse == 0) {
        allocationRefused = true;
        return true;
    }
    return false;
}

// A temporary GDI+ matrix of six floats; null for no matrix.
static GpMatrix* MatrixFromElements(const float* m) {
    GpMatrix* matrix = nullptr;
    if (m && (Refused() || GdipCreateMatrix2(m[0], m[1], m[2], m[3], m[4], m[5], &matrix) != Ok))
        return nullptr;
    return matrix;
}

// ---- library --------------------------------------------------------------

int GfxStartup(uintptr_t* token) {
    GdiplusStartupInput input; // version 1, no debug call-back
    input.GdiplusVersion = 1;
    input.DebugEventCallback = nullptr;
    input.SuppressBackgroundThread = FALSE;
    input.SuppressExternalCodecs = FALSE;
    ULONG_PTR started = 0;
    if (GdiplusStartup(&started, &input, nullptr) != Ok)
        return 0;
    *token = started;
    return 1;
}

void GfxShutdown(uintptr_t token) {
    GdiplusShutdown(token);
}

typedef GpStatus(WINGDIPAPI* PathWorldBoundsProc)(GpPath*, GpRectF*, const GpMatrix*, const GpPen*);
static PathWorldBoundsProc pathWorldBounds = nullptr;

int GfxResolvePathBounds() {
    if (pathWorldBounds)
        return 1;
    HMODULE module = GetModuleHandleW(L"gdiplus.dll");
    if (!module)
        module = LoadLibraryW(L"gdiplus.dll");
    if (!module)
        return 0;
    // Through the generic function type, which converts to any other.
    typedef void (*AnyProc)();
    AnyProc proc = reinterpret_cast<AnyProc>(GetProcAddress(module, "GdipGetPathWorldBounds"));
    pathWorldBounds = reinterpret_cast<PathWorldBoundsProc>(proc);
    return pathWorldBounds ? 1 : 0;
}

// ---- paths ----------------------------------------------------------------

GfxPath* GfxCreatePath() {
    GpPath* path = nullptr;
    if (Refused() || GdipCreatePath(FillModeAlternate, &path) != Ok)
        return nullptr;
    return reinterpret_cast<GfxPath*>(path);
}

void GfxDeletePath(GfxPath* path) {
    GdipDeletePath(AsPath(path));
}

void GfxStartFigure(GfxPath* path) {
    GdipStartPathFigure(AsPath(path));
}

void GfxAddLine(GfxPath* path, float x1, float y1, float x2, float y2) {
    GdipAddPathLine(AsPath(path), x1, y1, x2, y2);
}

void GfxAddBezier(GfxPath* path, float x1, float y1, float x2, float y2, float x3, float y3,
                  float x4, float y4) {
    GdipAddPathBezier(AsPath(path), x1, y1, x2, y2, x3, y3, x4, y4);
}

void GfxAddArc(GfxPath* path, float x, float y, float width, float height, float startAngle,
               float sweepAngle) {
    GdipAddPathArc(AsPath(path), x, y, width, height, startAngle, sweepAngle);
}

void GfxAddEllipse(GfxPath* path, float x, float y, float width, float height) {
    GdipAddPathEllipse(AsPath(path), x, y, width, height);
}

void GfxAddRectangle(GfxPath* path, float x, float y, float width, float height) {
    GdipAddPathRectangle(AsPath(path), x, y, width, height);
}

void GfxCloseFigure(GfxPath* path) {
    GdipClosePathFigure(AsPath(path));
}

// One path made of the points, added to the path without connecting them: a
// call or two for any number of figures instead of one per segment.
void GfxAddFigures(GfxPath* path, const GfxPointF* points, const uint8_t* types, int count) {
    if (count <= 0)
        return;
    GpPath* figures = nullptr;
    if (Refused() || GdipCreatePath2(reinterpret_cast<const GpPointF*>(points), types, count,
                                     FillModeAlternate, &figures) != Ok)
        return;
    GdipAddPathPath(AsPath(path), figures, FALSE);
    GdipDeletePath(figures);
}

GfxPath* GfxCreatePathFromFigures(const GfxPointF* points, const uint8_t* types, int count) {
    if (count <= 0)
        return GfxCreatePath();
    GpPath* path = nullptr;
    if (Refused() || GdipCreatePath2(reinterpret_cast<const GpPointF*>(points), types, count,
                                     FillModeAlternate, &path) != Ok)
        return nullptr;
    return reinterpret_cast<GfxPath*>(path);
}

void GfxSetFillMode(GfxPath* path, int fillMode) {
    GdipSetPathFillMode(AsPath(path),
                        fillMode == GfxFillModeWinding ? FillModeWinding : FillModeAlternate);
}

void GfxTransformPath(GfxPath* path, const float matrix[6]) {
    GpMatrix* gpMatrix = MatrixFromElements(matrix);
    if (!gpMatrix)
        return;
    GdipTransformPath(AsPath(path), gpMatrix);
    GdipDeleteMatrix(gpMatrix);
}

int GfxGetFillMode(GfxPath* path) {
    GpFillMode mode = FillModeAlternate;
    GdipGetPathFillMode(AsPath(path), &mode);
    return mode == FillModeWinding ? GfxFillModeWinding : GfxFillModeAlternate;
}

int GfxGetPathBounds(GfxPath* path, const float* matrix, GfxRectF* bounds) {
    if (!pathWorldBounds)
        return 0;
    GpMatrix* gpMatrix = MatrixFromElements(matrix);
    if (matrix && !gpMatrix)
        return 0;
    GpRectF rect;
    GpStatus status = pathWorldBounds(AsPath(path), &rect, gpMatrix, nullptr);
    if (gpMatrix)
        GdipDeleteMatrix(gpMatrix);
    if (status != Ok)
        return 0;
    *bounds = GfxRectF{rect.X, rect.Y, rect.Width, rect.Height};
    return 1;
}

int GfxGetPathPointCount(GfxPath* path) {
    INT count = 0;
    if (GdipGetPointCount(AsPath(path), &count) != Ok)
        return 0;
    return count;
}

GfxPath* GfxClonePath(GfxPath* path) {
    GpPath* copy = nullptr;
    if (Refused() || GdipClonePath(AsPath(path), &copy) != Ok)
        return nullptr;
    return reinterpret_cast<GfxPath*>(copy);
}

void GfxTransformPath(GfxPath* path, GfxMatrix* matrix) {
    GdipTransformPath(AsPath(path), AsMatrix(matrix));
}

int GfxGetPathData(GfxPath* path, GfxPointF* points, uint8_t* types, int count) {
    int total = GfxGetPathPointCount(path);
    if (total <= 0 || count <= 0)
        return 0;
    std::vector<GpPointF> allPoints(total);
    std::vector<BYTE> allTypes(total);
    if (GdipGetPathPoints(AsPath(path), allPoints.data(), total) != Ok ||
        GdipGetPathTypes(AsPath(path), allTypes.data(), total) != Ok)
        return 0;
    int n = count < total ? count : total;
    for (int i = 0; i < n; i++) {
        points[i] = GfxPointF{allPoints[i].X, allPoints[i].Y};
        types[i] = allTypes[i];
    }
    return n;
}

// ---- text -----------------------------------------------------------------

// The installed family whose name is the given one, case aside; null when
// there is none. GDI+'s own look-up comes first; the installed collection's
// family names are searched after it because some GDI+ implementations (Wine's)
// compare the name's full face name ("Noto Sans Regular") with the family
// names and so miss families whose regular face is named apart from them.
static GpFontFamily* FindFamily(const wchar_t* name) {
    GpFontFamily* found = nullptr;
    if (!name || !*name)
        return nullptr;
    if (GdipCreateFontFamilyFromName(name, nullptr, &found) == Ok)
        return found;
    GpFontCollection* installed = nullptr; // belongs to GDI+
    INT count = 0;
    if (GdipNewInstalledFontCollection(&installed) != Ok ||
        GdipGetFontCollectionFamilyCount(installed, &count) != Ok || count <= 0)
        return nullptr;
    std::vector<GpFontFamily*> families(static_cast<size_t>(count));
    INT listed = 0;
    if (GdipGetFontCollectionFamilyList(installed, count, families.data(), &listed) != Ok)
        return nullptr;
    for (INT i = 0; i < listed && !found; i++) {
        WCHAR familyName[LF_FACESIZE] = {0};
        if (GdipGetFamilyName(families[i], familyName, LANG_NEUTRAL) == Ok &&
            lstrcmpiW(familyName, name) == 0 && GdipCloneFontFamily(families[i], &found) != Ok)
            found = nullptr;
    }
    return found;
}

int GfxFontFamilyInstalled(const wchar_t* family) {
    GpFontFamily* found = FindFamily(family);
    if (!found)
        return 0;
    GdipDeleteFontFamily(found);
    return 1;
}

// The family, or a copy of the generic sans-serif one; null on failure.
static GpFontFamily* CreateFamily(const wchar_t* family) {
    GpFontFamily* found = FindFamily(family);
    if (found)
        return found;
    GpFontFamily* generic = nullptr;
    if (GdipGetGenericFontFamilySansSerif(&generic) != Ok ||
        GdipCloneFontFamily(generic, &found) != Ok)
        return nullptr;
    return found;
}

// The style bits the family has: a family without a bold or italic face
// gets its regular face, which GDI+ would otherwise refuse.
static int AvailableStyle(GpFontFamily* family, int style) {
    BOOL available = FALSE;
    if (GdipIsStyleAvailable(family, style, &available) == Ok && available)
        return style;
    if (GdipIsStyleAvailable(family, style & GfxFontBold, &available) == Ok && available)
        return style & GfxFontBold;
    return 0;
}

// A copy of the typographic format (no padding around the text), on one
// line, with blanks at the end measured. The generic format itself belongs
// to GDI+. Null on failure.
static GpStringFormat* CreateTextFormat() {
    GpStringFormat* generic = nullptr;
    GpStringFormat* format = nullptr;
    if (GdipStringFormatGetGenericTypographic(&generic) != Ok ||
        GdipCloneStringFormat(generic, &format) != Ok)
        return nullptr;
    INT flags = 0;
    GdipGetStringFormatFlags(format, &flags);
    GdipSetStringFormatFlags(format, flags | StringFormatFlagsNoWrap | StringFormatFlagsNoClip |
                                         StringFormatFlagsMeasureTrailingSpaces);
    return format;
}

// A GDI font of the family's face with the style bits, emHeight pixels to
// the em, selected into a memory DC of its own.
struct SelectedFace {
    HDC dc;
    HFONT font;
    HGDIOBJ before;
};

static void ReleaseFace(SelectedFace* face) {
    if (face->before)
        SelectObject(face->dc, face->before);
    if (face->font)
        DeleteObject(face->font);
    if (face->dc)
        DeleteDC(face->dc);
}

// False, with nothing left to release, when GDI has no face of that family
// name (it would stand another in).
static bool SelectFace(const wchar_t* family, int style, int emHeight, SelectedFace* face) {
    *face = SelectedFace{nullptr, nullptr, nullptr};
    if (!family || !*family)
        return false;
    face->dc = CreateCompatibleDC(nullptr);
    face->font = CreateFontW(-emHeight, 0, 0, 0, (style & GfxFontBold) ? FW_BOLD : FW_NORMAL,
                             (style & GfxFontItalic) ? TRUE : FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_TT_ONLY_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH, family);
    face->before = face->dc && face->font ? SelectObject(face->dc, face->font) : nullptr;
    WCHAR name[LF_FACESIZE] = {0};
    if (face->before && GetTextFaceW(face->dc, LF_FACESIZE, name) && lstrcmpiW(name, family) == 0)
        return true;
    ReleaseFace(face);
    *face = SelectedFace{nullptr, nullptr, nullptr};
    return false;
}

// The ascent, in design units, that GDI+ sets the first line's baseline
// below the layout box's top by: the face's text-metric ascent (as GDI reads
// it, from usWinAscent). Wine's GDI+ lays text out by that ascent but answers
// GdipGetCellAscent from another table, so the ascent is read through GDI;
// the cell ascent when GDI does not find the face.
static float LayoutAscent(GpFontFamily* family, int style, UINT16 em) {
    UINT16 cell = 0;
    GdipGetCellAscent(family, style, &cell);
    WCHAR name[LF_FACESIZE] = {0};
    SelectedFace face;
    if (!em || GdipGetFamilyName(family, name, LANG_NEUTRAL) != Ok ||
        !SelectFace(name, style, em, &face))
        return cell;
    TEXTMETRICW metrics;
    float ascent = GetTextMetricsW(face.dc, &metrics) ? static_cast<float>(metrics.tmAscent) : cell;
    ReleaseFace(&face);
    return ascent;
}

int GfxAddPathText(GfxPath* path, const wchar_t* text, int length, const wchar_t* family, int style,
                   float emSize, float x, float y) {
    if (length <= 0)
        return 1;
    GpFontFamily* fontFamily = CreateFamily(family);
    GpStringFormat* format = CreateTextFormat();
    int done = 0;
    if (fontFamily && format) {
        style = AvailableStyle(fontFamily, style);
        UINT16 em = 0;
        GdipGetEmHeight(fontFamily, style, &em);
        // The layout box's top is the line's top: the baseline lies one
        // ascent below it.
        float top = em ? y - emSize * LayoutAscent(fontFamily, style, em) / em : y;
        RectF box(x, top, 0, 0);
        done = GdipAddPathString(AsPath(path), text, length, fontFamily, style, emSize, &box,
                                 format) == Ok;
    }
    if (format)
        GdipDeleteStringFormat(format);
    if (fontFamily)
        GdipDeleteFontFamily(fontFamily);
    return done;
}

// What measuring needs: a font at the measuring size on the graphics of a
// one-pixel bitmap, and the typographic format. Measured unhinted at a size
// where rounding does not show, then scaled.
struct TextMeasurer {
    GpFontFamily* family;
    GpStringFormat* format;
    GpBitmap* bitmap;
    GpGraphics* graphics;
    GpFont* font;
};

static const float MeasureSize = 256;

// Font tables larger than this are not read (the largest kerning tables of
// big families stay well below it).
static const DWORD MaxFontTableSize = 16u << 20;

static void CloseMeasurer(TextMeasurer* m) {
    if (m->font)
        GdipDeleteFont(m->font);
    if (m->graphics)
        GdipDeleteGraphics(m->graphics);
    if (m->bitmap)
        GdipDisposeImage(m->bitmap);
    if (m->format)
        GdipDeleteStringFormat(m->format);
    if (m->family)
        GdipDeleteFontFamily(m->family);
}

// Returns 1 when the measurer is ready; close it either way.
static int OpenMeasurer(TextMeasurer* m, const wchar_t* family, int style) {
    *m = TextMeasurer{CreateFamily(family), CreateTextFormat(), nullptr, nullptr, nullptr};
    if (!m->family || !m->format ||
        GdipCreateBitmapFromScan0(1, 1, 0, PixelFormat32bppARGB, nullptr, &m->bitmap) != Ok ||
        GdipGetImageGraphicsContext(m->bitmap, &m->graphics) != Ok ||
        GdipCreateFont(m->family, MeasureSize, AvailableStyle(m->family, style), UnitPixel,
                       &m->font) != Ok)
        return 0;
    GdipSetPageUnit(m->graphics, UnitPixel);
    GdipSetTextRenderingHint(m->graphics, TextRenderingHintAntiAlias);
    return 1;
}

// The advance of the characters at the measuring size; 0 when it cannot be had.
static float MeasuredAdvance(TextMeasurer* m, const wchar_t* text, int length) {
    RectF layout(0, 0, 0, 0), bounds;
    INT fitted = 0, lines = 0;
    if (length <= 0 || GdipMeasureString(m->graphics, text, length, m->font, &layout, m->format,
                                         &bounds, &fitted, &lines) != Ok)
        return 0;
    return bounds.Width;
}

float GfxMeasureText(const wchar_t* text, int length, const wchar_t* family, int style,
                     float emSize) {
    if (length <= 0 || !(emSize > 0))
        return 0;
    TextMeasurer m;
    float width = 0;
    if (OpenMeasurer(&m, family, style))
        width = MeasuredAdvance(&m, text, length) * emSize / MeasureSize;
    CloseMeasurer(&m);
    return width;
}

void GfxMeasureClusters(const wchar_t* text, const int* ends, int count, const wchar_t* family,
                        int style, float emSize, float* advances) {
    for (int i = 0; i < count; i++)
        advances[i] = 0;
    if (count <= 0 || !(emSize > 0))
        return;
    TextMeasurer m;
    if (OpenMeasurer(&m, family, style)) {
        for (int i = 0, start = 0; i < count; start = ends[i++])
            advances[i] = MeasuredAdvance(&m, text + start, ends[i] - start) * emSize / MeasureSize;
    }
    CloseMeasurer(&m);
}

std::vector<uint8_t> GfxFontTable(const wchar_t* family, int style, const char* tag) {
    std::vector<uint8_t> table;
    SelectedFace face;
    // Only the family asked for: a stand-in GDI picked has other kerning.
    if (!SelectFace(family, style, 2048, &face))
        return table;
    DWORD name = static_cast<DWORD>(static_cast<uint8_t>(tag[0])) |
                 static_cast<DWORD>(static_cast<uint8_t>(tag[1])) << 8 |
                 static_cast<DWORD>(static_cast<uint8_t>(tag[2])) << 16 |
                 static_cast<DWORD>(static_cast<uint8_t>(tag[3])) << 24;
    DWORD size = GetFontData(face.dc, name, 0, nullptr, 0);
    if (size != GDI_ERROR && size > 0 && size <= MaxFontTableSize) {
        table.resize(size);
        if (GetFontData(face.dc, name, 0, table.data(), size) != size)
            table.clear();
    }
    ReleaseFace(&face);
    return table;
}

// ---- matrices -------------------------------------------------------------

GfxMatrix* GfxCreateMatrix() {
    GpMatrix* matrix = nullptr;
    if (Refused() || GdipCreateMatrix(&matrix) != Ok)
        return nullptr;
    return reinterpret_cast<GfxMatrix*>(matrix);
}

GfxMatrix* GfxCreateMatrix6(float a, float b, float c, float d, float e, float f) {
    GpMatrix* matrix = nullptr;
    if (Refused() || GdipCreateMatrix2(a, b, c, d, e, f, &matrix) != Ok)
        return nullptr;
    return reinterpret_cast<GfxMatrix*>(matrix);
}

void GfxDeleteMatrix(GfxMatrix* matrix) {
    GdipDeleteMatrix(AsMatrix(matrix));
}

void GfxTranslateMatrix(GfxMatrix* matrix, float dx, float dy) {
    GdipTranslateMatrix(AsMatrix(matrix), dx, dy, MatrixOrderAppend);
}

void GfxScaleMatrix(GfxMatrix* matrix, float sx, float sy) {
    GdipScaleMatrix(AsMatrix(matrix), sx, sy, MatrixOrderAppend);
}

void GfxRotateMatrix(GfxMatrix* matrix, float degrees) {
    GdipRotateMatrix(AsMatrix(matrix), degrees, MatrixOrderAppend);
}

void GfxMultiplyMatrix(GfxMatrix* matrix, GfxMatrix* other) {
    GdipMultiplyMatrix(AsMatrix(matrix), AsMatrix(other), MatrixOrderAppend);
}

void GfxGetMatrixElements(GfxMatrix* matrix, float elements[6]) {
    GdipGetMatrixElements(AsMatrix(matrix), elements);
}

// ---- drawing --------------------------------------------------------------

GfxGraphics* GfxCreateGraphicsOnPixels(uint32_t* pixels, int width, int height, int rowWords) {
    GpBitmap* bitmap = nullptr;
    const int stride = (rowWords > 0 ? rowWords : width) * 4;
    if (Refused() || GdipCreateBitmapFromScan0(width, height, stride, PixelFormat32bppARGB,
                                               reinterpret_cast<BYTE*>(pixels), &bitmap) != Ok)
        return nullptr;
    GpGraphics* graphics = nullptr;
    if (GdipGetImageGraphicsContext(bitmap, &graphics) != Ok) {
        GdipDisposeImage(bitmap);
        return nullptr;
    }
    GfxGraphics* record = new (std::nothrow) GfxGraphics{graphics, bitmap};
    if (!record) {
        GdipDeleteGraphics(graphics);
        GdipDisposeImage(bitmap);
    }
    return record;
}

void GfxDeleteGraphics(GfxGraphics* graphics) {
    GdipDeleteGraphics(graphics->graphics);
    GdipDisposeImage(graphics->bitmap);
    delete graphics;
}

void GfxSetHighQuality(GfxGraphics* graphics) {
    GdipSetSmoothingMode(graphics->graphics, SmoothingModeAntiAlias);
    GdipSetPixelOffsetMode(graphics->graphics, PixelOffsetModeHighQuality);
    GdipSetCompositingQuality(graphics->graphics, CompositingQualityHighQuality);
}

void GfxSetImageSampling(GfxGraphics* graphics, int sampling) {
    GdipSetInterpolationMode(graphics->graphics,
                             sampling == GfxSamplingNearest   ? InterpolationModeNearestNeighbor
                             : sampling == GfxSamplingBicubic ? InterpolationModeHighQualityBicubic
                                                              : InterpolationModeDefault);
}

void GfxSetClipRect(GfxGraphics* graphics, float x, float y, float width, float height) {
    GdipSetClipRect(graphics->graphics, x, y, width, height, CombineModeReplace);
}

void GfxResetClip(GfxGraphics* graphics) {
    GdipResetClip(graphics->graphics);
}

// ---- regions and clipping ---------------------------------------------------

static GpRegion* AsRegion(GfxRegion* region) {
    return reinterpret_cast<GpRegion*>(region);
}

GfxRegion* GfxCreateEmptyRegion() {
    GpRegion* region = nullptr;
    if (Refused() || GdipCreateRegion(&region) != Ok)
        return nullptr;
    GdipSetEmpty(region);
    return reinterpret_cast<GfxRegion*>(region);
}

// The path is copied and moved by the matrix, so the caller's path keeps
// its user units.
GfxRegion* GfxCreatePathRegion(GfxPath* path, const float matrix[6]) {
    GpPath* copy = nullptr;
    if (Refused() || GdipClonePath(AsPath(path), &copy) != Ok)
        return nullptr;
    GpMatrix* m = MatrixFromElements(matrix);
    if (m) {
        GdipTransformPath(copy, m);
        GdipDeleteMatrix(m);
    }
    GpRegion* region = nullptr;
    GpStatus status = Refused() ? OutOfMemory : GdipCreateRegionPath(copy, &region);
    GdipDeletePath(copy);
    return status == Ok ? reinterpret_cast<GfxRegion*>(region) : nullptr;
}

GfxRegion* GfxCloneRegion(GfxRegion* region) {
    GpRegion* copy = nullptr;
    if (Refused() || GdipCloneRegion(AsRegion(region), &copy) != Ok)
        return nullptr;
    return reinterpret_cast<GfxRegion*>(copy);
}

void GfxDeleteRegion(GfxRegion* region) {
    GdipDeleteRegion(AsRegion(region));
}

void GfxUniteRegion(GfxRegion* region, GfxRegion* other) {
    GdipCombineRegionRegion(AsRegion(region), AsRegion(other), CombineModeUnion);
}

void GfxIntersectRegion(GfxRegion* region, GfxRegion* other) {
    GdipCombineRegionRegion(AsRegion(region), AsRegion(other), CombineModeIntersect);
}

bool GfxGetRegionRows(GfxRegion* region, std::vector<GfxRectF>* rows) {
    static_assert(sizeof(GfxRectF) == sizeof(GpRectF), "the same four floats");
    GpMatrix* identity = nullptr;
    if (Refused() || GdipCreateMatrix(&identity) != Ok)
        return false;
    UINT count = 0;
    bool read = GdipGetRegionScansCount(AsRegion(region), &count, identity) == Ok;
    try {
        rows->resize(read ? count : 0);
    } catch (const std::bad_alloc&) {
        read = false;
    }
    INT made = static_cast<INT>(count);
    if (read && count &&
        GdipGetRegionScans(AsRegion(region), reinterpret_cast<GpRectF*>(rows->data()), &made,
                           identity) != Ok)
        read = false;
    GdipDeleteMatrix(identity);
    if (read) // shrinks only
        rows->resize(made < 0 ? 0 : std::min(static_cast<UINT>(made), count));
    return read;
}

GfxRegion* GfxCreateRectsRegion(const GfxRectF* rects, int count) {
    GpPath* path = nullptr;
    GpRegion* region = nullptr;
    if (Refused() || GdipCreatePath(FillModeAlternate, &path) != Ok)
        return nullptr;
    const bool added =
        count <= 0 ||
        GdipAddPathRectangles(path, reinterpret_cast<const GpRectF*>(rects), count) == Ok;
    if (!added || Refused() || GdipCreateRegionPath(path, &region) != Ok)
        region = nullptr;
    GdipDeletePath(path);
    return reinterpret_cast<GfxRegion*>(region);
}

void GfxIntersectClipRegion(GfxGraphics* graphics, GfxRegion* region) {
    GdipResetWorldTransform(graphics->graphics);
    GdipSetClipRegion(graphics->graphics, AsRegion(region), CombineModeIntersect);
}

void GfxSetWorldTransform(GfxGraphics* graphics, GfxMatrix* matrix) {
    if (matrix)
        GdipSetWorldTransform(graphics->graphics, AsMatrix(matrix));
    else
        GdipResetWorldTransform(graphics->graphics);
}

void GfxExcludeClipPath(GfxGraphics* graphics, GfxPath* path) {
    GdipSetClipPath(graphics->graphics, AsPath(path), CombineModeExclude);
}

unsigned GfxSaveGraphics(GfxGraphics* graphics) {
    GraphicsState state = 0;
    GdipSaveGraphics(graphics->graphics, &state);
    return state;
}

void GfxRestoreGraphics(GfxGraphics* graphics, unsigned state) {
    GdipRestoreGraphics(graphics->graphics, state);
}

static int DrawResultOf(GpStatus status) {
    if (status == Ok)
        return GfxDrawn;
    return status == OutOfMemory ? GfxDrawOutOfMemory : GfxDrawRefused;
}

int GfxFillPath(GfxGraphics* graphics, GfxBrush* brush, GfxPath* path) {
    return DrawResultOf(Refused() ? OutOfMemory
                                  : GdipFillPath(graphics->graphics, AsBrush(brush), AsPath(path)));
}

int GfxDrawImageInPath(GfxGraphics* graphics, const uint32_t* pixels, int width, int height,
                       const float matrix[6], GfxPath* path) {
    GpBitmap* bitmap = nullptr;
    const GpStatus made =
        Refused()
            ? OutOfMemory
            : GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppARGB,
                                        reinterpret_cast<BYTE*>(const_cast<uint32_t*>(pixels)),
                                        &bitmap);
    if (made != Ok)
        return DrawResultOf(made);
    // Mirrored beyond its edges, so that smooth sampling does not fade them.
    GpImageAttributes* attributes = nullptr;
    if (GdipCreateImageAttributes(&attributes) == Ok)
        GdipSetImageAttributesWrapMode(attributes, WrapModeTileFlipXY, 0, FALSE);
    const float w = static_cast<float>(width), h = static_cast<float>(height);
    const GpPointF corners[3] = {{matrix[4], matrix[5]},
                                 {matrix[0] * w + matrix[4], matrix[1] * w + matrix[5]},
                                 {matrix[2] * h + matrix[4], matrix[3] * h + matrix[5]}};
    GraphicsState state = 0;
    GdipSaveGraphics(graphics->graphics, &state);
    GdipSetClipPath(graphics->graphics, AsPath(path), CombineModeIntersect);
    const GpStatus status = GdipDrawImagePointsRect(graphics->graphics, bitmap, corners, 3, 0, 0, w,
                                                    h, UnitPixel, attributes, nullptr, nullptr);
    GdipRestoreGraphics(graphics->graphics, state);
    if (attributes)
        GdipDisposeImageAttributes(attributes);
    GdipDisposeImage(bitmap);
    return DrawResultOf(status);
}

void GfxResetWorldTransform(GfxGraphics* graphics) {
    GdipResetWorldTransform(graphics->graphics);
}

int GfxDrawPath(GfxGraphics* graphics, GfxPen* pen, GfxPath* path) {
    return DrawResultOf(Refused() ? OutOfMemory
                                  : GdipDrawPath(graphics->graphics, AsPen(pen), AsPath(path)));
}

// ---- brushes and pens -----------------------------------------------------

GfxBrush* GfxCreateSolidBrush(uint32_t argb) {
    GpSolidFill* brush = nullptr;
    if (Refused() || GdipCreateSolidFill(argb, &brush) != Ok)
        return nullptr;
    return reinterpret_cast<GfxBrush*>(brush);
}

void GfxDeleteBrush(GfxBrush* brush) {
    GdipDeleteBrush(AsBrush(brush));
}

GfxBrush* GfxCreateLineBrush(GfxPointF p1, GfxPointF p2, uint32_t colour1, uint32_t colour2,
                             int wrapMode) {
    GpPointF from = {p1.x, p1.y}, to = {p2.x, p2.y};
    GpLineGradient* brush = nullptr;
    if (Refused() || GdipCreateLineBrush(&from, &to, colour1, colour2,
                                         static_cast<GpWrapMode>(wrapMode), &brush) != Ok)
        return nullptr;
    return reinterpret_cast<GfxBrush*>(brush);
}

void GfxSetLinePresetBlend(GfxBrush* brush, const uint32_t* colours, const float* positions,
                           int count) {
    GdipSetLinePresetBlend(AsLineBrush(brush), reinterpret_cast<const ARGB*>(colours), positions,
                           count);
}

void GfxSetLineTransform(GfxBrush* brush, const float matrix[6]) {
    GpMatrix* gpMatrix = MatrixFromElements(matrix);
    if (!gpMatrix)
        return;
    GdipSetLineTransform(AsLineBrush(brush), gpMatrix);
    GdipDeleteMatrix(gpMatrix);
}

GfxBrush* GfxCreateTextureBrush(const uint32_t* pixels, int width, int height,
                                const float matrix[6]) {
    GpBitmap* bitmap = nullptr;
    if (Refused() || GdipCreateBitmapFromScan0(
                         width, height, width * 4, PixelFormat32bppARGB,
                         reinterpret_cast<BYTE*>(const_cast<uint32_t*>(pixels)), &bitmap) != Ok)
        return nullptr;
    GpTexture* brush = nullptr;
    GpStatus status = Refused() ? OutOfMemory : GdipCreateTexture(bitmap, WrapModeTile, &brush);
    GdipDisposeImage(bitmap); // the brush holds its own copy of the image
    if (status != Ok)
        return nullptr;
    if (GpMatrix* gpMatrix = MatrixFromElements(matrix)) {
        GdipSetTextureTransform(brush, gpMatrix);
        GdipDeleteMatrix(gpMatrix);
    }
    return reinterpret_cast<GfxBrush*>(brush);
}

GfxBrush* GfxCreatePathGradient(GfxPath* path) {
    GpPathGradient* brush = nullptr;
    if (Refused() || GdipCreatePathGradientFromPath(AsPath(path), &brush) != Ok)
        return nullptr;
    return reinterpret_cast<GfxBrush*>(brush);
}

void GfxSetPathGradientCenterColour(GfxBrush* brush, uint32_t argb) {
    GdipSetPathGradientCenterColor(AsPathBrush(brush), argb);
}

void GfxSetPathGradientSurroundColour(GfxBrush* brush, uint32_t argb) {
    ARGB colour = argb;
    INT count = 1;
    GdipSetPathGradientSurroundColorsWithCount(AsPathBrush(brush), &colour, &count);
}

void GfxSetPathGradientPresetBlend(GfxBrush* brush, const uint32_t* colours, const float* positions,
                                   int count) {
    GdipSetPathGradientPresetBlend(AsPathBrush(brush), reinterpret_cast<const ARGB*>(colours),
                                   positions, count);
}

void GfxSetPathGradientCenterPoint(GfxBrush* brush, GfxPointF point) {
    GpPointF centre = {point.x, point.y};
    GdipSetPathGradientCenterPoint(AsPathBrush(brush), &centre);
}

void GfxSetPathGradientTransform(GfxBrush* brush, const float matrix[6]) {
    GpMatrix* gpMatrix = MatrixFromElements(matrix);
    if (!gpMatrix)
        return;
    GdipSetPathGradientTransform(AsPathBrush(brush), gpMatrix);
    GdipDeleteMatrix(gpMatrix);
}

void GfxSetPathGradientWrapMode(GfxBrush* brush, int wrapMode) {
    GdipSetPathGradientWrapMode(AsPathBrush(brush), static_cast<GpWrapMode>(wrapMode));
}

GfxPen* GfxCreatePen(uint32_t argb, float width, int unit) {
    GpPen* pen = nullptr;
    if (Refused() || GdipCreatePen1(argb, width, static_cast<GpUnit>(unit), &pen) != Ok)
        return nullptr;
    return reinterpret_cast<GfxPen*>(pen);
}

GfxPen* GfxCreatePenFromBrush(GfxBrush* brush, float width, int unit) {
    GpPen* pen = nullptr;
    if (Refused() || GdipCreatePen2(AsBrush(brush), width, static_cast<GpUnit>(unit), &pen) != Ok)
        return nullptr;
    return reinterpret_cast<GfxPen*>(pen);
}

void GfxSetPenLineCap(GfxPen* pen, int lineCap) {
    GpLineCap cap = static_cast<GpLineCap>(lineCap);
    GdipSetPenLineCap197819(AsPen(pen), cap, cap, DashCapFlat);
}

void GfxSetPenLineJoin(GfxPen* pen, int lineJoin) {
    GdipSetPenLineJoin(AsPen(pen), static_cast<GpLineJoin>(lineJoin));
}

void GfxSetPenMiterLimit(GfxPen* pen, float limit) {
    GdipSetPenMiterLimit(AsPen(pen), limit);
}

void GfxSetPenDashes(GfxPen* pen, const float* lengths, int count, float offset, int dashCap) {
    GdipSetPenDashArray(AsPen(pen), lengths, count);
    GdipSetPenDashOffset(AsPen(pen), offset);
    GdipSetPenDashCap197819(AsPen(pen), dashCap == 2 ? DashCapRound : DashCapFlat);
}

void GfxDeletePen(GfxPen* pen) {
    GdipDeletePen(AsPen(pen));
}

// ---- images ---------------------------------------------------------------

// The class id of GDI+'s PNG encoder.
static int FindPngEncoder(CLSID* clsid) {
    UINT count = 0, size = 0;
    if (GdipGetImageEncodersSize(&count, &size) != Ok || size == 0)
        return 0;
    std::vector<BYTE> buffer(size);
    ImageCodecInfo* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
    if (GdipGetImageEncoders(count, size, codecs) != Ok)
        return 0;
    for (UINT i = 0; i < count; i++) {
        if (codecs[i].MimeType && wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            *clsid = codecs[i].Clsid;
            return 1;
        }
    }
    return 0;
}

int GfxSavePng(const wchar_t* path, const uint32_t* pixels, int width, int height) {
    CLSID png;
    if (!FindPngEncoder(&png))
        return 0;
    // The bitmap only reads the pixels while it is saved.
    GpBitmap* bitmap = nullptr;
    if (Refused() || GdipCreateBitmapFromScan0(
                         width, height, width * 4, PixelFormat32bppARGB,
                         reinterpret_cast<BYTE*>(const_cast<uint32_t*>(pixels)), &bitmap) != Ok)
        return 0;
    GpStatus status = GdipSaveImageToFile(bitmap, path, &png, nullptr);
    GdipDisposeImage(bitmap);
    return status == Ok ? 1 : 0;
}

// Copies the bitmap's pixels as straight-alpha 32-bit words, rows from the top.
static int CopyBitmapPixels(GpBitmap* bitmap, uint32_t* out, int width, int height) {
    GpRect rect = {0, 0, width, height};
    BitmapData data;
    if (GdipBitmapLockBits(bitmap, &rect, ImageLockModeRead, PixelFormat32bppARGB, &data) != Ok)
        return 0;
    const BYTE* row = static_cast<const BYTE*>(data.Scan0);
    for (int y = 0; y < height; y++, row += data.Stride)
        std::memcpy(out + static_cast<size_t>(y) * width, row, static_cast<size_t>(width) * 4);
    GdipBitmapUnlockBits(bitmap, &data);
    return 1;
}

int GfxLoadImage(const wchar_t* path, uint32_t** pixels, int* width, int* height) {
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromFile(path, &bitmap) != Ok)
        return 0;
    UINT w = 0, h = 0;
    GdipGetImageWidth(bitmap, &w);
    GdipGetImageHeight(bitmap, &h);
    uint32_t* buffer = nullptr;
    if (w > 0 && h > 0)
        buffer = new (std::nothrow) uint32_t[static_cast<size_t>(w) * h];
    if (!buffer || !CopyBitmapPixels(bitmap, buffer, static_cast<int>(w), static_cast<int>(h))) {
        delete[] buffer;
        GdipDisposeImage(bitmap);
        return 0;
    }
    GdipDisposeImage(bitmap);
    *pixels = buffer;
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return 1;
}

int GfxDecodeImage(const void* bytes, size_t size, size_t maxPixels, std::vector<uint32_t>* pixels,
                   int* width, int* height) {
    if (!bytes || size == 0 || size > 0x7FFFFFFF)
        return 0;
    IStream* stream = SHCreateMemStream(static_cast<const BYTE*>(bytes), static_cast<UINT>(size));
    if (!stream)
        return 0;
    GpBitmap* bitmap = nullptr;
    const GpStatus status = GdipCreateBitmapFromStream(stream, &bitmap);
    stream->Release(); // the bitmap keeps its own reference while it lives
    if (status != Ok)
        return 0;
    UINT w = 0, h = 0;
    GdipGetImageWidth(bitmap, &w);
    GdipGetImageHeight(bitmap, &h);
    int done = 0;
    const size_t count = static_cast<size_t>(w) * h;
    if (w > 0 && h > 0 && w <= 0x7FFFFFFF && h <= 0x7FFFFFFF && count <= maxPixels) {
        try {
            pixels->assign(count, 0);
            done =
                CopyBitmapPixels(bitmap, pixels->data(), static_cast<int>(w), static_cast<int>(h));
        } catch (const std::bad_alloc&) {
            done = 0;
        }
    }
    GdipDisposeImage(bitmap);
    if (!done)
        return 0;
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return 1;
}
