#include "svg/values/viewport.h"

#include <algorithm>

#include "svg/base/scan.h"
#include "svg/base/strings.h"
#include "svg/values/lengths.h"

namespace {

struct AlignEntry {
    const wchar_t* name; // lower case
    int alignX, alignY;
};

const AlignEntry AlignTable[] = {
    {L"xminymin", -1, -1}, {L"xmidymin", 0, -1}, {L"xmaxymin", 1, -1},
    {L"xminymid", -1, 0},  {L"xmidymid", 0, 0},  {L"xmaxymid", 1, 0},
    {L"xminymax", -1, 1},  {L"xmidymax", 0, 1},  {L"xmaxymax", 1, 1},
};

// Where a length of `content` lands inside `room` for the alignment.
float AlignOffset(int align, float room, float content) {
    if (align < 0)
        return 0.0f;
    if (align > 0)
        return room - content;
    return (room - content) / 2.0f;
}

} // namespace

AspectRatio ParseAspectRatio(const std::wstring& text) {
    AspectRatio aspect = AspectRatio();
    size_t position = 0;
    TextView word;
    NextWord(text, &position, &word);
    if (IsWordIgnoringCase(word, L"defer"))
        NextWord(text, &position, &word);
    if (IsWordIgnoringCase(word, L"none")) {
        aspect.none = 1;
        return aspect;
    }
    const AlignEntry* found = nullptr;
    for (const AlignEntry& entry : AlignTable) {
        if (IsWordIgnoringCase(word, entry.name))
            found = &entry;
    }
    if (!found)
        return AspectRatio();
    aspect.alignX = found->alignX;
    aspect.alignY = found->alignY;
    if (!NextWord(text, &position, &word))
        return aspect;
    if (IsWordIgnoringCase(word, L"slice"))
        aspect.slice = 1;
    else if (!IsWordIgnoringCase(word, L"meet"))
        return AspectRatio();
    return aspect;
}

int ParseViewBox(const std::wstring& text, ViewBox* box) {
    float values[4] = {0, 0, 0, 0};
    int position = 1;
    for (float& value : values) {
        int next = ScanNumber(text, position, &value);
        if (next <= position)
            return 0;
        position = next;
    }
    if (!(values[2] > 0 && values[3] > 0))
        return 0;
    *box = ViewBox{values[0], values[1], values[2], values[3]};
    return 1;
}

Matrix2D ViewBoxMatrix(const ViewBox& box, const AspectRatio& aspect, float x, float y, float width,
                       float height) {
    float scaleX = width / box.width, scaleY = height / box.height;
    if (!aspect.none) {
        float scale = aspect.slice ? std::max(scaleX, scaleY) : std::min(scaleX, scaleY);
        scaleX = scaleY = scale;
    }
    float offsetX = x + AlignOffset(aspect.alignX, width, box.width * scaleX);
    float offsetY = y + AlignOffset(aspect.alignY, height, box.height * scaleY);
    if (aspect.none)
        offsetX = x, offsetY = y;
    return Matrix2D{scaleX, 0, 0, scaleY, offsetX - box.x * scaleX, offsetY - box.y * scaleY};
}

float ViewportLength(const std::wstring& text, float reference, float fallback) {
    std::wstring value = TrimWhiteSpace(text);
    if (value.empty())
        return fallback;
    const LengthBasis basis = {DefaultFontSize, reference, reference};
    return ResolveLength(value, basis, LengthHorizontal);
}
