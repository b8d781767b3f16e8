#include "render/filters/lighting.h"

#include <algorithm>
#include <cmath>

#include "render/filters/filter_pixels.h"

namespace {

const float Pi = 3.14159265358979f;

struct Vec3 {
    float x, y, z;
};

Vec3 Normalised(Vec3 v) {
    const float n = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return n > 0 ? Vec3{v.x / n, v.y / n, v.z / n} : Vec3{0, 0, 0};
}

float Dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

float AlphaAt(const uint32_t* in, int width, int x, int y) {
    return (in[static_cast<size_t>(y) * width + x] >> 24) / 255.0f;
}

// The surface normal from the alpha around the pixel: Sobel weights where
// all neighbours exist, the one-sided forms SVG gives at the edges.
Vec3 NormalAt(const uint32_t* in, int width, int height, int x, int y, float surfaceScale) {
    const bool left = x > 0, right = x<width - 1, up = y> 0, down = y < height - 1;
    auto at = [&](int dx, int dy) { return AlphaAt(in, width, x + dx, y + dy); };
    // Along x: rows weighed 1, 2, 1 (those that exist), the difference
    // central or one-sided (counted twice).
    float kx = 0, wx = 0;
    const int x0 = left ? -1 : 0, x1 = right ? 1 : 0;
    for (int dy = -1; dy <= 1; dy++) {
        if ((dy < 0 && !up) || (dy > 0 && !down))
            continue;
        const float w = dy == 0 ? 2.0f : 1.0f;
        kx += w * (at(x1, dy) - at(x0, dy));
        wx += w;
    }
    float ky = 0, wy = 0;
    const int y0 = up ? -1 : 0, y1 = down ? 1 : 0;
    for (int dx = -1; dx <= 1; dx++) {
        if ((dx < 0 && !left) || (dx > 0 && !right))
            continue;
        const float w = dx == 0 ? 2.0f : 1.0f;
        ky += w * (at(dx, y1) - at(dx, y0));
        wy += w;
    }
    const float fx = (left && right ? 1.0f : 2.0f) / wx;
    const float fy = (up && down ? 1.0f : 2.0f) / wy;
    if (width == 1)
        kx = 0;
    if (height == 1)
        ky = 0;
    return Normalised(Vec3{-surfaceScale * fx * kx, -surfaceScale * fy * ky, 1});
}

} // namespace

void LightPixels(const uint32_t* in, uint32_t* out, int width, int height,
                 const LightingParams& p) {
    const float az = p.azimuth * Pi / 180, el = p.elevation * Pi / 180;
    const Vec3 distant = {std::cos(az) * std::cos(el), std::sin(az) * std::cos(el), std::sin(el)};
    const Vec3 spotAxis = Normalised(Vec3{p.pointsAtX - p.x, p.pointsAtY - p.y, p.pointsAtZ - p.z});
    const float coneCos = std::cos(std::fabs(p.coneAngle) * Pi / 180);
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            const Vec3 n = NormalAt(in, width, height, x, y, p.surfaceScale);
            const float z = p.surfaceScale * AlphaAt(in, width, x, y);
            Vec3 l = distant;
            float r = p.red, g = p.green, b = p.blue;
            if (p.light != LightDistant)
                l = Normalised(Vec3{p.x - x, p.y - y, p.z - z});
            if (p.light == LightSpot) {
                const float minusLS = -Dot(l, spotAxis);
                float k = 0;
                if (minusLS > 0 && (!p.hasCone || minusLS >= coneCos))
                    k = std::pow(minusLS, p.spotExponent);
                r *= k, g *= k, b *= k;
            }
            float factor;
            if (p.specular) {
                const Vec3 h = Normalised(Vec3{l.x, l.y, l.z + 1});
                factor = p.constant * std::pow(std::max(Dot(n, h), 0.0f), p.exponent);
            } else {
                factor = p.constant * std::max(Dot(n, l), 0.0f);
            }
            FilterColour c = {std::min(r * factor, 1.0f), std::min(g * factor, 1.0f),
                              std::min(b * factor, 1.0f), 1};
            if (p.specular)
                c.a = std::max({c.r, c.g, c.b});
            out[static_cast<size_t>(y) * width + x] = PackPremultiplied(c);
        }
    }
}
