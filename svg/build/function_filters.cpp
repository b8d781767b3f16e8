// Filters drawn from a list of CSS filter functions and references to
// «filter» elements: each function stands for the primitive that does what
// it says, on a region grown by what its blurs and shadows reach; each
// referenced filter's primitives follow as a step of their own.
#include "svg/build/filters.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "svg/base/strings.h"
#include "svg/build/walk_context.h"
#include "svg/records/document.h"
#include "svg/records/bounds.h"
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

// The result the next step reads: the last primitive's, the element's own
// picture before the first.
int LastResult(const FilterRecord& record) {
    return record.primitives.empty() ? FilterInputSourceGraphic
                                     : static_cast<int>(record.primitives.size()) - 1;
}

void SetSubregion(const float region[4], FilterPrimitive* p) {
    p->x = region[0], p->y = region[1], p->width = region[2], p->height = region[3];
}

// Cuts the primitive's subregion to the region of its step.
void CutSubregion(const float region[4], FilterPrimitive* p) {
    const float left = std::max(p->x, region[0]), top = std::max(p->y, region[1]);
    const float right = std::min(p->x + p->width, region[0] + region[2]);
    const float bottom = std::min(p->y + p->height, region[1] + region[3]);
    const float cut[4] = {left, top, std::max(right - left, 0.0f), std::max(bottom - top, 0.0f)};
    SetSubregion(cut, p);
}

void AddRegion(Bounds* bounds, const float region[4]) {
    AddToBounds(bounds, region[0], region[1], region[0] + region[2], region[1] + region[3]);
}

bool ReadsInput(const FilterRecord& step, int input) {
    for (const FilterPrimitive& p : step.primitives) {
        if (p.in1 == input || p.in2 == input ||
            std::find(p.inputs.begin(), p.inputs.end(), input) != p.inputs.end())
            return true;
    }
    return false;
}

// The alpha of an earlier result, as SourceAlpha is of the element's picture.
FilterPrimitive AlphaOf(int input, const float region[4]) {
    FilterPrimitive p = FilterPrimitive();
    p.kind = PrimitiveColourMatrix;
    p.mode = ColourMatrixValues;
    p.values.assign(20, 0.0f);
    p.values[18] = 1;
    p.in1 = p.in2 = input;
    SetSubregion(region, &p);
    return p;
}

// Appends a referenced filter's primitives as the next step: what they read
// as the element's picture (and its alpha) is the result of the step
// before, and each is cut to the step's own region.
void AppendStep(FilterRecord* record, FilterRecord* step, const float region[4]) {
    const int previous = LastResult(*record);
    int alpha = FilterInputSourceAlpha;
    if (previous >= 0 && ReadsInput(*step, FilterInputSourceAlpha)) {
        record->primitives.push_back(AlphaOf(previous, region));
        alpha = LastResult(*record);
    }
    const int offset = static_cast<int>(record->primitives.size());
    auto remap = [&](int input) {
        return input >= 0 ? input + offset : input == FilterInputSourceAlpha ? alpha : previous;
    };
    for (FilterPrimitive& p : step->primitives) {
        p.in1 = remap(p.in1);
        p.in2 = remap(p.in2);
        for (int& input : p.inputs)
            input = remap(input);
        CutSubregion(region, &p);
        record->primitives.push_back(std::move(p));
    }
}

} // namespace

int AddFunctionFilter(WalkContext* context, const std::wstring& property, const LengthBasis& basis,
                      Argb colour, const Matrix2D& matrix, const float box[4], float viewportWidth,
                      float viewportHeight, float bounds[4]) {
    std::vector<FilterFunction> functions;
    if (!ParseFilterFunctions(TrimWhiteSpace(property), basis, &functions))
        return 0;
    // What the blurs and shadows reach beyond the box.
    float reach = 0;
    for (const FilterFunction& f : functions)
        reach += 3 * f.deviation + std::max(std::fabs(f.dx), std::fabs(f.dy));
    const float functionRegion[4] = {box[0] - reach, box[1] - reach, box[2] + 2 * reach,
                                     box[3] + 2 * reach};
    FilterRecord record = FilterRecord();
    record.matrix = matrix;
    Bounds region = Bounds();
    for (const FilterFunction& f : functions) {
        if (f.kind == FunctionUrl) {
            const XmlNode* filter = FilterElement(context, f.id);
            if (!filter)
                continue; // in a list, a reference to nothing is passed over
            FilterRecord step;
            if (!ReadGroupFilter(context, filter, matrix, box, viewportWidth, viewportHeight,
                                 &step))
                return 0;
            const float stepRegion[4] = {step.x, step.y, step.width, step.height};
            AppendStep(&record, &step, stepRegion);
            AddRegion(&region, stepRegion);
            continue;
        }
        if (!(functionRegion[2] > 0 && functionRegion[3] > 0))
            return 0;
        FilterPrimitive p = FunctionPrimitive(f, colour);
        p.in1 = p.in2 = LastResult(record);
        SetSubregion(functionRegion, &p);
        record.primitives.push_back(std::move(p));
        AddRegion(&region, functionRegion);
    }
    if (record.primitives.empty())
        return 0;
    record.x = region.minX, record.y = region.minY;
    record.width = region.maxX - region.minX, record.height = region.maxY - region.minY;
    const float whole[4] = {record.x, record.y, record.width, record.height};
    BoundsUnder(matrix, whole, bounds);
    return AddDocumentFilter(context->document, &record);
}
