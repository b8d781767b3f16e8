// Image records: a bitmap's pixels or a nested drawing, drawn inside the
// record's rectangle.
#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include "render/pixel_passes.h"
#include "render/raster_surface.h"
#include "render/shape_paint.h"
#include "svg/records/images.h"

namespace {

// An image's pixels as drawn: a bitmap's own, or a drawing's drawn on a
// bitmap at the resolution it has on the surface; faded by the record's
// opacity in a copy of their own.
struct ImagePixels {
    std::unique_ptr<Surface> drawing;
    std::vector<uint32_t> faded;
    const uint32_t* pixels;
    int width, height;
    Matrix2D toImage; // the pixels into the image's space
};

// Draws the image's drawing on a bitmap of its own, lying on the surface's
// pixels where the record's rectangle covers them, so that it is copied
// over pixel for pixel; false when there is nothing to draw, it is past the
// budget or cannot be made.
bool DrawNestedImage(RenderState* r, const Surface& on, const ShapeRecord& shape,
                     const DocumentImage& image, ImagePixels* out) {
    const Matrix2D world = ComposeMatrix(ElementsOf(on.base.get()), shape.matrix);
    const Matrix2D device = ComposeMatrix(world, image.place);
    const float elements[6] = {world.a, world.b, world.c, world.d, world.e, world.f};
    GfxRectF b;
    if (!GfxGetPathBounds(shape.path, elements, &b))
        return false;
    const DeviceBox area = DrawnArea(on);
    const double left = std::floor(std::max(static_cast<double>(b.x), area.left));
    const double top = std::floor(std::max(static_cast<double>(b.y), area.top));
    const double right = std::ceil(std::min(static_cast<double>(b.x) + b.width, area.right));
    const double bottom = std::ceil(std::min(static_cast<double>(b.y) + b.height, area.bottom));
    if (!(left < right && top < bottom))
        return false;
    const int across = static_cast<int>(right - left), down = static_cast<int>(bottom - top);
    const Matrix2D toBitmap = ComposeMatrix(
        Matrix2D{1, 0, 0, 1, -static_cast<float>(left), -static_cast<float>(top)}, device);
    Matrix2D fromBitmap;
    if (!InvertMatrix(toBitmap, &fromBitmap))
        return false;
    GfxOwned<GfxMatrix> base(
        GfxCreateMatrix6(toBitmap.a, toBitmap.b, toBitmap.c, toBitmap.d, toBitmap.e, toBitmap.f));
    if (!base)
        return false;
    out->drawing = DrawOnOwnBitmap(r, image.nested, base.get(), image.nested->shapes,
                                   image.nested->shapeCount, across, down);
    if (!out->drawing)
        return false;
    out->pixels = out->drawing->pixels;
    out->width = across, out->height = down;
    out->toImage = fromBitmap;
    return true;
}

// The pixels the record's image draws, faded by opacity (0..1); false when
// they cannot be had.
bool ImagePixelsOf(RenderState* r, const Surface& on, const ShapeRecord& shape,
                   const DocumentImage& image, float opacity, ImagePixels* out) {
    out->toImage = Matrix2D{1, 0, 0, 1, 0, 0};
    if (image.nested) {
        if (!DrawNestedImage(r, on, shape, image, out))
            return false;
    } else {
        out->pixels = image.pixels.data();
        out->width = static_cast<int>(image.box.width);
        out->height = static_cast<int>(image.box.height);
        if (image.pixels.size() != static_cast<size_t>(out->width) * out->height)
            return false;
    }
    if (opacity >= 1)
        return true;
    const int count = out->width * out->height;
    const int alpha = static_cast<int>(std::lround(std::max(opacity, 0.0f) * 255));
    if (out->drawing) {
        ApplyOpacity(out->drawing->pixels, count, alpha);
        return true;
    }
    try {
        out->faded.assign(out->pixels, out->pixels + count);
    } catch (const std::bad_alloc&) {
        return false;
    }
    ApplyOpacity(out->faded.data(), count, alpha);
    out->pixels = out->faded.data();
    return true;
}

} // namespace

void PaintImageRecord(RenderState* r, Surface* s, const ShapeRecord& shape, float fade) {
    const DocumentImage* image = DocumentImageOf(r->document, shape.image);
    ImagePixels drawn = ImagePixels();
    if (!image || !ImagePixelsOf(r, *s, shape, *image, shape.fillOpacity * fade, &drawn))
        return;
    const Matrix2D& m = shape.matrix;
    GfxOwned<GfxMatrix> world(GfxCreateMatrix6(m.a, m.b, m.c, m.d, m.e, m.f));
    if (!world) {
        CountPaintOutcome(r->budget, PaintLeftOutNoMemory);
        return;
    }
    GfxMultiplyMatrix(world.get(), s->base.get());
    const Matrix2D place = ComposeMatrix(image->place, drawn.toImage);
    const float elements[6] = {place.a, place.b, place.c, place.d, place.e, place.f};
    GfxGraphics* graphics = s->graphics.get();
    GfxSetWorldTransform(graphics, world.get());
    // A drawing's pixels lie on the surface's: copied over one for one.
    const bool nearest = image->pixelated || image->nested;
    GfxSetImageSampling(graphics, nearest ? GfxSamplingNearest : GfxSamplingBicubic);
    CountPaintOutcome(r->budget,
                      PaintOutcomeOf(GfxDrawImageInPath(graphics, drawn.pixels, drawn.width,
                                                        drawn.height, elements, shape.path)));
    GfxSetImageSampling(graphics, GfxSamplingDefault);
    GfxResetWorldTransform(graphics);
}
