// The graphics layer: every GDI+ operation the module uses, behind plain
// functions and opaque handles. On Windows one file (render/graphics_gdiplus.cpp)
// implements it with the GDI+ flat API; the native build has a portable
// implementation of the path and matrix operations only
// (render/graphics_portable.cpp), so the SVG readers can be tested and fuzzed
// without Windows.
//
// Conventions: matrices are six floats a, b, c, d, e, f (a point (x, y) maps to
// (a*x + c*y + e, b*x + d*y + f)), and every matrix operation appends: it applies
// after the operations already in the matrix. Angles are in degrees, 0 along
// +x, growing towards +y. Colours are 0xAARRGGBB, straight alpha.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct GfxPath;
struct GfxMatrix;
struct GfxGraphics;
struct GfxBrush;
struct GfxPen;
struct GfxRegion;

struct GfxPointF {
    float x, y;
};

struct GfxRectF {
    float x, y, width, height;
};

// Point types of a path, as GDI+ stores them.
enum {
    GfxPointTypeStart = 0,
    GfxPointTypeLine = 1,
    GfxPointTypeBezier = 3,
    GfxPointTypeMask = 0x07,
    GfxPointTypeCloseSubpath = 0x80,
};

enum { GfxFillModeAlternate = 0, GfxFillModeWinding = 1 };
enum { GfxWrapModeTile = 0, GfxWrapModeTileFlipXY = 3, GfxWrapModeClamp = 4 };

// ---- library --------------------------------------------------------------
// Starts GDI+ (version 1, no debug call-back). Returns 1 and the token on
// success, 0 otherwise. The portable build always succeeds.
int GfxStartup(uintptr_t* token);
void GfxShutdown(uintptr_t token);
// Looks up the path world-bounds entry point of the running graphics library
// (gdiplus.dll's GdipGetPathWorldBounds). Returns 1 when it is available.
// Path bounds (GfxGetPathBounds) work only after a successful lookup.
int GfxResolvePathBounds();

// ---- paths ----------------------------------------------------------------
GfxPath* GfxCreatePath(); // alternate fill mode; null when it cannot be made
void GfxDeletePath(GfxPath* path);
// A path held until something takes it (release()): deleted if the holder
// is left early, as when memory runs out on the way.
struct GfxPathDeleter {
    void operator()(GfxPath* path) const { GfxDeletePath(path); }
};
using GfxOwnedPath = std::unique_ptr<GfxPath, GfxPathDeleter>;
void GfxStartFigure(GfxPath* path);
void GfxAddLine(GfxPath* path, float x1, float y1, float x2, float y2);
void GfxAddBezier(GfxPath* path, float x1, float y1, float x2, float y2, float x3, float y3,
                  float x4, float y4);
void GfxAddArc(GfxPath* path, float x, float y, float width, float height, float startAngle,
               float sweepAngle);
void GfxAddEllipse(GfxPath* path, float x, float y, float width, float height);
void GfxAddRectangle(GfxPath* path, float x, float y, float width, float height);
void GfxCloseFigure(GfxPath* path);
// Appends figures given whole: points and their GfxPointType codes, the
// first point starting a figure.
void GfxAddFigures(GfxPath* path, const GfxPointF* points, const uint8_t* types, int count);
// A new path (fill mode alternate) of exactly these figures, as
// GfxCreatePath and GfxAddFigures make it, in one step; null when it cannot
// be had.
GfxPath* GfxCreatePathFromFigures(const GfxPointF* points, const uint8_t* types, int count);
void GfxSetFillMode(GfxPath* path, int fillMode);
// Maps every point of the path through the matrix (six floats).
void GfxTransformPath(GfxPath* path, const float matrix[6]);
int GfxGetFillMode(GfxPath* path);
// Axis-aligned bounds of the path's points (control points included) under
// an optional matrix (six floats, or null), without a pen. As GDI+ measures
// them, bounds under a matrix are the box around the transformed box of the
// points, which is wider than the points' own box when the matrix rotates or
// shears. Returns 1 on success; 0 when the bounds
// entry point is unavailable (see GfxResolvePathBounds) or the call failed.
int GfxGetPathBounds(GfxPath* path, const float* matrix, GfxRectF* bounds);
// The path's points and their types, for inspection (tests, tools).
// GfxGetPathData copies the first `count` of them at most and returns how
// many it copied.
int GfxGetPathPointCount(GfxPath* path);
int GfxGetPathData(GfxPath* path, GfxPointF* points, uint8_t* types, int count);

// ---- matrices -------------------------------------------------------------
GfxMatrix* GfxCreateMatrix(); // identity
GfxMatrix* GfxCreateMatrix6(float a, float b, float c, float d, float e, float f);
void GfxDeleteMatrix(GfxMatrix* matrix);
void GfxTranslateMatrix(GfxMatrix* matrix, float dx, float dy);
void GfxScaleMatrix(GfxMatrix* matrix, float sx, float sy);
void GfxRotateMatrix(GfxMatrix* matrix, float degrees);
// matrix = matrix followed by other.
void GfxMultiplyMatrix(GfxMatrix* matrix, GfxMatrix* other);
void GfxGetMatrixElements(GfxMatrix* matrix, float elements[6]);

// ---- text -----------------------------------------------------------------
// Font style bits.
enum { GfxFontBold = 1, GfxFontItalic = 2 };
// Whether a font family of the name is installed.
int GfxFontFamilyInstalled(const wchar_t* family);
// Appends the outlines of `length` characters as figures of the path, in the
// family (one that is not installed, or "": the system's generic sans-serif
// family) with the style bits at the em size (in path units), the first
// character's origin on the baseline at (x, y). Returns 1 on success (blanks
// add no figures and succeed).
int GfxAddPathText(GfxPath* path, const wchar_t* text, int length, const wchar_t* family, int style,
                   float emSize, float x, float y);
// How far the characters advance along the baseline, blanks at the end
// included, in the units of the em size; 0 when they cannot be measured.
float GfxMeasureText(const wchar_t* text, int length, const wchar_t* family, int style,
                     float emSize);
// A copy of one of the OpenType tables (tag: four letters, such as "GPOS")
// of the family's face with the style bits; empty when the family is not
// installed under that name, or the face has no such table.
std::vector<uint8_t> GfxFontTable(const wchar_t* family, int style, const char* tag);
// The advance of each of `count` pieces of the text, as GfxMeasureText
// measures it alone: piece i runs from ends[i - 1] (0 for the first) up to
// ends[i]. Advances that cannot be measured are 0.
void GfxMeasureClusters(const wchar_t* text, const int* ends, int count, const wchar_t* family,
                        int style, float emSize, float* advances);

// ---- decoding images -----------------------------------------------------------
// Decodes a PNG, JPEG, GIF (its first frame), BMP or TIFF held in memory with
// the graphics library's own decoders, into straight-alpha words (width x
// height, rows from the top). Returns 0 when the bytes cannot be decoded or
// the picture has more than maxPixels pixels. The portable build decodes
// nothing.
int GfxDecodeImage(const void* bytes, size_t size, size_t maxPixels, std::vector<uint32_t>* pixels,
                   int* width, int* height);

#ifdef _WIN32
// Test hook: the nth GDI+ call from now on that allocates (making a path,
// matrix, region, brush, pen, bitmap or graphics object, filling or
// stroking) fails as GDI+ fails when out of memory; 0 fails none.
// GfxAllocationRefused says whether one has failed since.
void GfxFailAllocation(long long n);
int GfxAllocationRefused();

// ---- drawing (Windows only) -------------------------------------------------
// A graphics object drawing into a caller-owned 32-bit buffer of width x height
// words (0xAARRGGBB, rows from the top, rowWords words apart; 0: width). It
// wraps the buffer as a 32bppARGB bitmap, so drawing leaves straight (not
// premultiplied) alpha on every platform. Null on failure.
GfxGraphics* GfxCreateGraphicsOnPixels(uint32_t* pixels, int width, int height, int rowWords = 0);
void GfxDeleteGraphics(GfxGraphics* graphics);
// Anti-aliasing, high-quality pixel offset and compositing.
void GfxSetHighQuality(GfxGraphics* graphics);
// How texture brushes sample their image from now on: the library's default
// (bilinear), nearest neighbour, or high-quality bicubic.
enum { GfxSamplingDefault, GfxSamplingNearest, GfxSamplingBicubic };
void GfxSetImageSampling(GfxGraphics* graphics, int sampling);
void GfxSetClipRect(GfxGraphics* graphics, float x, float y, float width, float height);
// No clip: drawing reaches every pixel of the buffer.
void GfxResetClip(GfxGraphics* graphics);
// Takes the path (under the world transform) out of the clip.
void GfxExcludeClipPath(GfxGraphics* graphics, GfxPath* path);
// Saves the clip and transforms; restoring gives them back. Returns the state.
unsigned GfxSaveGraphics(GfxGraphics* graphics);
void GfxRestoreGraphics(GfxGraphics* graphics, unsigned state);
void GfxSetWorldTransform(GfxGraphics* graphics, GfxMatrix* matrix);
void GfxResetWorldTransform(GfxGraphics* graphics);
// A copy of the path (null when it cannot be made), and the path's points
// moved through a matrix.
GfxPath* GfxClonePath(GfxPath* path);
void GfxTransformPath(GfxPath* path, GfxMatrix* matrix);
// What a fill, a stroke or an image drawing came to. Out of memory is not 0
// either: compare with the names rather than testing for truth.
enum GfxDrawResult {
    GfxDrawRefused = 0, // coordinates GDI+ cannot take, or another refusal
    GfxDrawn = 1,
    GfxDrawOutOfMemory = 2, // GDI+ could not have the memory it needed
};
int GfxFillPath(GfxGraphics* graphics, GfxBrush* brush, GfxPath* path);
int GfxDrawPath(GfxGraphics* graphics, GfxPen* pen, GfxPath* path);

// Draws the image (width x height straight-alpha words), its square of
// pixels (0, 0)-(width, height) placed in world space by the matrix (six
// floats), inside the path (in world space) and the clip. The edge pixels
// extend to the image's edges. Returns a GfxDrawResult.
int GfxDrawImageInPath(GfxGraphics* graphics, const uint32_t* pixels, int width, int height,
                       const float matrix[6], GfxPath* path);

// ---- regions and clipping -------------------------------------------------------
// A region covering nothing. Null on failure.
GfxRegion* GfxCreateEmptyRegion();
// The area inside the path (by its fill mode) under the matrix (six floats).
// Null on failure.
GfxRegion* GfxCreatePathRegion(GfxPath* path, const float matrix[6]);
GfxRegion* GfxCloneRegion(GfxRegion* region);
void GfxDeleteRegion(GfxRegion* region);
// region = region joined with (or cut down to) other.
void GfxUniteRegion(GfxRegion* region, GfxRegion* other);
void GfxIntersectRegion(GfxRegion* region, GfxRegion* other);
// The rectangles of the region's pixel rows (the region in buffer pixels);
// false when they cannot be had.
bool GfxGetRegionRows(GfxRegion* region, std::vector<GfxRectF>* rows);
// The area of the rectangles as one path of them: a region joined from many
// shapes is then one shape to clip with, made once, not again at every fill
// through it (as Wine's GDI+ does). Null on failure.
GfxRegion* GfxCreateRectsRegion(const GfxRectF* rects, int count);
// Cuts the graphics' clip down to the region, given in buffer pixels; the
// world transform is reset to the identity first.
void GfxIntersectClipRegion(GfxGraphics* graphics, GfxRegion* region);

// ---- brushes and pens ---------------------------------------------------------
GfxBrush* GfxCreateSolidBrush(uint32_t argb);
void GfxDeleteBrush(GfxBrush* brush);
GfxBrush* GfxCreateLineBrush(GfxPointF p1, GfxPointF p2, uint32_t colour1, uint32_t colour2,
                             int wrapMode);
void GfxSetLinePresetBlend(GfxBrush* brush, const uint32_t* colours, const float* positions,
                           int count);
void GfxSetLineTransform(GfxBrush* brush, const float matrix[6]);
GfxBrush* GfxCreatePathGradient(GfxPath* path);
void GfxSetPathGradientCenterColour(GfxBrush* brush, uint32_t argb);
void GfxSetPathGradientSurroundColour(GfxBrush* brush, uint32_t argb);
void GfxSetPathGradientPresetBlend(GfxBrush* brush, const uint32_t* colours, const float* positions,
                                   int count);
void GfxSetPathGradientCenterPoint(GfxBrush* brush, GfxPointF point);
void GfxSetPathGradientTransform(GfxBrush* brush, const float matrix[6]);
void GfxSetPathGradientWrapMode(GfxBrush* brush, int wrapMode);
// A brush repeating the image (width x height straight-alpha words) over the
// plane, its pixels placed in world space by the matrix (six floats). The
// pixels stay untouched while the brush lives. Null on failure.
GfxBrush* GfxCreateTextureBrush(const uint32_t* pixels, int width, int height,
                                const float matrix[6]);
// A pen of the colour and width; unit is the GDI+ unit code (2 = pixel,
// 0 = world). Null on failure.
GfxPen* GfxCreatePen(uint32_t argb, float width, int unit);
// A pen that paints with the brush (which the caller still owns and may
// delete once the pen exists). Null on failure.
GfxPen* GfxCreatePenFromBrush(GfxBrush* brush, float width, int unit);
// Both line caps (0 flat, 1 square, 2 round) and a flat dash cap.
void GfxSetPenLineCap(GfxPen* pen, int lineCap);
void GfxSetPenLineJoin(GfxPen* pen, int lineJoin); // 0 miter, 1 bevel, 2 round
void GfxSetPenMiterLimit(GfxPen* pen, float limit);
// Dashes: dash and gap lengths, and the offset into them, in multiples of the
// pen's width (as GDI+ counts them); every length must be above 0. The dash
// cap (0 flat, 2 round) ends every dash.
void GfxSetPenDashes(GfxPen* pen, const float* lengths, int count, float offset, int dashCap);
void GfxDeletePen(GfxPen* pen);

// ---- images (tools and tests) -----------------------------------------------------
// Writes a width x height buffer of straight-alpha 0xAARRGGBB words as a PNG
// file with GDI+'s PNG encoder. Returns 1 on success.
int GfxSavePng(const wchar_t* path, const uint32_t* pixels, int width, int height);
// Reads a PNG (or any image GDI+ decodes) into straight-alpha words. The
// caller frees *pixels with delete[]. Returns 1 on success.
int GfxLoadImage(const wchar_t* path, uint32_t** pixels, int* width, int* height);
#endif
