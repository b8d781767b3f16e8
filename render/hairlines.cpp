#include "render/hairlines.h"

#include <algorithm>
#include <cmath>

#include "svg/records/document.h"

StrokeWeight HairlineWeight(const ShapeRecord& shape, double scale) {
    const double device = static_cast<double>(shape.strokeWidth) * scale;
    if (!(device > 0 && device < 1) || !std::isfinite(scale))
        return StrokeWeight{shape.strokeWidth, 1.0f};
    return StrokeWeight{static_cast<float>(1.0 / scale),
                        std::max(static_cast<float>(device), HairlineFloor)};
}

void ApplyStrokeWeight(const StrokeWeight& weight, ShapeRecord* shape) {
    shape->strokeWidth = weight.width;
    if (weight.alphaScale < 1) {
        shape->strokeColor = ScaleAlpha(shape->strokeColor, weight.alphaScale);
        shape->strokeOpacity *= weight.alphaScale;
    }
}
