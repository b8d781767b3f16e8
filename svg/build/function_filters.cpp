// Filters drawn from a list of CSS filter functions: each function stands
// for the primitive that does what it says, on a region grown by what its
// blurs and shadows reach.
#include "svg/build/filters.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "svg/base/strings.h"
#include "svg/build/walk_context.h"
#include "svg/records/document.h"
#include "svg/records/filters.h"
#include "svg/records/offscreen_groups.h"
#include "svg/values/filter_functions.h"

namespace {

// A colour matrix of its 20 values, as the primitive reads them.
FilterPrimitive MatrixPrimitive(const float (&rows)[15]) {
    FilterPrimitive p = FilterPrimitive();
    p.kind = PrimitiveColourMatrix;
    p.mode = ColourMatrixValues;
    for (int row = 0; row < 3; row++) {
        for (int column = 0; column < 3; column++)
            p.values.push_back(rows[row * 5 + column]);
        p.values.push_back(0);
        p.values.push_back(0);
    }
    const float alpha[5] = {0, 0, 0, 1, 0};
    p.values.insert(p.values.end(), alpha, alpha + 5);
    return p;
}

// The same transfer function on red, green and blue; alpha kept.
FilterPrimitive TransferPrimitive(const TransferFunction& f) {
    FilterPrimitive p = FilterPrimitive();
    p.kind = PrimitiveComponentTransfer;
    for (int i = 0; i < 4; i++) {
        p.transfer[i] = TransferFunction();
        p.transfer[i].slope = p.transfer[i].amplitude = p.transfer[i].exponent = 1;
    }
    p.transfer[0] = p.transfer[1] = p.transfer[2] = f;
    return p;
}

TransferFunction LinearTransfer(float slope, float intercept) {
    TransferFunction f = TransferFunction();
    f.kind = TransferLinear;
    f.slope = slope, f.intercept = intercept;
    return f;
}

TransferFunction TableTransfer(float from, float to) {
    TransferFunction f = TransferFunction();
    f.kind = TransferTable;
    f.table = {from, to};
    return f;
}

// The primitive a filter function stands for, its colours in sRGB.
FilterPrimitive FunctionPrimitive(const FilterFunction& f, Argb currentColour) {
    const float a = f.amount, k = 1 - f.amount;
    switch (f.kind) {
    case FunctionBlur: {
        FilterPrimitive p = FilterPrimitive();
        p.kind = PrimitiveBlur;
        p.deviationX = p.deviationY = f.deviation;
        return p;
    }
    case FunctionDropShadow: {
        FilterPrimitive p = FilterPrimitive();
        p.kind = PrimitiveDropShadow;
        p.deviationX = p.deviationY = f.deviation;
        p.dx = f.dx, p.dy = f.dy;
        p.colour = f.currentColour ? currentColour : f.colour;
        return p;
    }
    case FunctionBrightness:
        return TransferPrimitive(LinearTransfer(a, 0));
    case FunctionContrast:
        return TransferPrimitive(LinearTransfer(a, 0.5f - 0.5f * a));
    case FunctionInvert:
        return TransferPrimitive(TableTransfer(a, 1 - a));
    case FunctionOpacity: {
        FilterPrimitive p = TransferPrimitive(TransferFunction());
        for (int i = 0; i < 3; i++)
            p.transfer[i] = p.transfer[3];
        p.transfer[3] = TableTransfer(0, a);
        return p;
    }
    case FunctionGrayscale: {
        const float rows[15] = {
            0.2126f + 0.7874f * k, 0.7152f - 0.7152f * k, 0.0722f - 0.0722f * k, 0, 0,
            0.2126f - 0.2126f * k, 0.7152f + 0.2848f * k, 0.0722f - 0.0722f * k, 0, 0,
            0.2126f - 0.2126f * k, 0.7152f - 0.7152f * k, 0.0722f + 0.9278f * k, 0, 0};
        return MatrixPrimitive(rows);
    }
    case FunctionSepia: {
        const float rows[15] = {
            0.393f + 0.607f * k, 0.769f - 0.769f * k, 0.189f - 0.189f * k, 0, 0,
            0.349f - 0.349f * k, 0.686f + 0.314f * k, 0.168f - 0.168f * k, 0, 0,
            0.272f - 0.272f * k, 0.534f - 0.534f * k, 0.131f + 0.869f * k, 0, 0};
        return MatrixPrimitive(rows);
    }
    default: { // hue-rotate and saturate
        FilterPrimitive p = FilterPrimitive();
        p.kind = PrimitiveColourMatrix;
        p.mode = f.kind == FunctionHueRotate ? ColourMatrixHueRotate : ColourMatrixSaturate;
        p.values = {a};
        return p;
    }
    }
}

} // namespace

int AddFunctionFilter(WalkContext* context, const std::wstring& property, const LengthBasis& basis,
                      Argb colour, const Matrix2D& matrix, const float box[4], float bounds[4]) {
    std::vector<FilterFunction> functions;
    if (!ParseFilterFunctions(TrimWhiteSpace(property), basis, &functions))
        return 0;
    // What the blurs and shadows reach beyond the box.
    float reach = 0;
    for (const FilterFunction& f : functions)
        reach += 3 * f.deviation + std::max(std::fabs(f.dx), std::fabs(f.dy));
    FilterRecord record = FilterRecord();
    record.x = box[0] - reach, record.y = box[1] - reach;
    record.width = box[2] + 2 * reach, record.height = box[3] + 2 * reach;
    if (!(record.width > 0 && record.height > 0))
        return 0;
    record.matrix = matrix;
    for (const FilterFunction& f : functions) {
        FilterPrimitive p = FunctionPrimitive(f, colour);
        p.in1 = p.in2 = record.primitives.empty() ? FilterInputSourceGraphic
                                                  : static_cast<int>(record.primitives.size()) - 1;
        p.x = record.x, p.y = record.y, p.width = record.width, p.height = record.height;
        record.primitives.push_back(std::move(p));
    }
    const float region[4] = {record.x, record.y, record.width, record.height};
    BoundsUnder(matrix, region, bounds);
    return AddDocumentFilter(context->document, &record);
}
