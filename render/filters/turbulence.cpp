#include "render/filters/turbulence.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "render/filters/filter_pixels.h"

namespace {

const int BSize = 0x100;
const int BMask = 0xff;
const int PerlinN = 0x1000;
const long RandM = 2147483647; // 2^31 - 1
const long RandA = 16807;      // 7^5, a primitive root of m
const long RandQ = 127773;     // m / a
const long RandR = 2836;       // m % a

// The lattice of one seed.
struct Lattice {
    int selector[BSize + BSize + 2];
    double gradient[4][BSize + BSize + 2][2];
};

struct StitchInfo {
    int width, height, wrapX, wrapY;
};

long SetupSeed(long seed) {
    if (seed <= 0)
        seed = -(seed % (RandM - 1)) + 1;
    if (seed > RandM - 1)
        seed = RandM - 1;
    return seed;
}

long NextRandom(long seed) {
    long result = RandA * (seed % RandQ) - RandR * (seed / RandQ);
    if (result <= 0)
        result += RandM;
    return result;
}

void InitLattice(Lattice* l, long seed) {
    seed = SetupSeed(seed);
    int i = 0;
    for (int k = 0; k < 4; k++) {
        for (i = 0; i < BSize; i++) {
            l->selector[i] = i;
            for (int j = 0; j < 2; j++) {
                seed = NextRandom(seed);
                l->gradient[k][i][j] =
                    static_cast<double>((seed % (BSize + BSize)) - BSize) / BSize;
            }
            double* g = l->gradient[k][i];
            const double s = std::sqrt(g[0] * g[0] + g[1] * g[1]);
            g[0] /= s;
            g[1] /= s;
        }
    }
    while (--i) {
        const int k = l->selector[i];
        seed = NextRandom(seed);
        const int j = static_cast<int>(seed % BSize);
        l->selector[i] = l->selector[j];
        l->selector[j] = k;
    }
    for (i = 0; i < BSize + 2; i++) {
        l->selector[BSize + i] = l->selector[i];
        for (int k = 0; k < 4; k++) {
            for (int j = 0; j < 2; j++)
                l->gradient[k][BSize + i][j] = l->gradient[k][i][j];
        }
    }
}

double SCurve(double t) {
    return t * t * (3. - 2. * t);
}

double Lerp(double t, double a, double b) {
    return a + t * (b - a);
}

double Noise2(const Lattice& l, int channel, const double vec[2], const StitchInfo* stitch) {
    double t = vec[0] + PerlinN;
    int bx0 = static_cast<int>(t) & BMask;
    int bx1 = (bx0 + 1) & BMask;
    const double rx0 = t - static_cast<int>(t), rx1 = rx0 - 1.0;
    t = vec[1] + PerlinN;
    int by0 = static_cast<int>(t) & BMask;
    int by1 = (by0 + 1) & BMask;
    const double ry0 = t - static_cast<int>(t), ry1 = ry0 - 1.0;
    if (stitch) {
        if (bx0 >= stitch->wrapX)
            bx0 -= stitch->width;
        if (bx1 >= stitch->wrapX)
            bx1 -= stitch->width;
        if (by0 >= stitch->wrapY)
            by0 -= stitch->height;
        if (by1 >= stitch->wrapY)
            by1 -= stitch->height;
    }
    bx0 &= BMask, bx1 &= BMask, by0 &= BMask, by1 &= BMask;
    const int i = l.selector[bx0], j = l.selector[bx1];
    const int b00 = l.selector[i + by0], b10 = l.selector[j + by0];
    const int b01 = l.selector[i + by1], b11 = l.selector[j + by1];
    const double sx = SCurve(rx0), sy = SCurve(ry0);
    const double* q = l.gradient[channel][b00];
    double u = rx0 * q[0] + ry0 * q[1];
    q = l.gradient[channel][b10];
    double v = rx1 * q[0] + ry0 * q[1];
    const double a = Lerp(sx, u, v);
    q = l.gradient[channel][b01];
    u = rx0 * q[0] + ry1 * q[1];
    q = l.gradient[channel][b11];
    v = rx1 * q[0] + ry1 * q[1];
    const double b = Lerp(sx, u, v);
    return Lerp(sy, a, b);
}

// A base frequency moved to the nearest one that fits the tile a whole
// number of times.
double StitchedFrequency(double frequency, double tile) {
    if (frequency == 0)
        return frequency;
    const double lo = std::floor(tile * frequency) / tile;
    const double hi = std::ceil(tile * frequency) / tile;
    return frequency / lo < hi / frequency ? lo : hi;
}

double Turbulence(const Lattice& l, const TurbulenceParams& p, int channel, double x, double y) {
    double baseX = p.baseX, baseY = p.baseY;
    StitchInfo stitch = StitchInfo();
    StitchInfo* info = nullptr;
    if (p.stitch) {
        baseX = StitchedFrequency(baseX, p.tileWidth);
        baseY = StitchedFrequency(baseY, p.tileHeight);
        info = &stitch;
        stitch.width = static_cast<int>(p.tileWidth * baseX + 0.5);
        stitch.wrapX = static_cast<int>(p.tileX * baseX + PerlinN + stitch.width);
        stitch.height = static_cast<int>(p.tileHeight * baseY + 0.5);
        stitch.wrapY = static_cast<int>(p.tileY * baseY + PerlinN + stitch.height);
    }
    double sum = 0;
    double vec[2] = {x * baseX, y * baseY};
    double ratio = 1;
    const int octaves = std::min(p.octaves, MaxTurbulenceOctaves);
    for (int octave = 0; octave < octaves; octave++) {
        const double n = Noise2(l, channel, vec, info);
        sum += (p.fractal ? n : std::fabs(n)) / ratio;
        vec[0] *= 2, vec[1] *= 2;
        ratio *= 2;
        if (info) {
            stitch.width *= 2;
            stitch.wrapX = 2 * stitch.wrapX - PerlinN;
            stitch.height *= 2;
            stitch.wrapY = 2 * stitch.wrapY - PerlinN;
        }
    }
    return sum;
}

} // namespace

double TurbulenceAt(const TurbulenceParams& params, int channel, double x, double y) {
    std::unique_ptr<Lattice> lattice(new (std::nothrow) Lattice());
    if (!lattice)
        return 0;
    InitLattice(lattice.get(), params.seed);
    return Turbulence(*lattice, params, channel, x, y);
}

bool TurbulencePixels(uint32_t* pixels, int width, int height, const FilterRect& area,
                      const Matrix2D& userToImage, const TurbulenceParams& params) {
    Matrix2D toUser;
    if (!InvertMatrix(userToImage, &toUser))
        return false;
    std::unique_ptr<Lattice> lattice(new (std::nothrow) Lattice());
    if (!lattice)
        return false;
    InitLattice(lattice.get(), params.seed);
    const int left = std::max(area.left, 0), top = std::max(area.top, 0);
    const int right = std::min(area.right, width), bottom = std::min(area.bottom, height);
    for (int y = top; y < bottom; y++) {
        for (int x = left; x < right; x++) {
            float ux = static_cast<float>(x), uy = static_cast<float>(y);
            ApplyMatrix(toUser, &ux, &uy);
            float c[4];
            for (int channel = 0; channel < 4; channel++) {
                const double n = Turbulence(*lattice, params, channel, ux, uy);
                const double v = params.fractal ? (n * 255 + 255) / 2 : n * 255;
                c[channel] = static_cast<float>(std::min(std::max(v, 0.0), 255.0) / 255);
            }
            pixels[static_cast<size_t>(y) * width + x] =
                PackPremultiplied(Premultiplied(FilterColour{c[0], c[1], c[2], c[3]}));
        }
    }
    return true;
}
