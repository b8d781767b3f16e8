#include "svg/build/shared_content.h"

#include <cstring>
#include <new>

#include "svg/build/walk_context.h"

namespace {

uint32_t Bits(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

} // namespace

ContentUse MakeContentUse(const WalkContext* context, const XmlNode* element, int parent,
                          const Matrix2D& matrix, const float* box, float viewportWidth,
                          float viewportHeight) {
    ContentUse use = {element, {}};
    std::array<uint32_t, 16>& v = use.second;
    v[0] = static_cast<uint32_t>(parent);
    const float m[6] = {matrix.a, matrix.b, matrix.c, matrix.d, matrix.e, matrix.f};
    for (int i = 0; i < 6; i++)
        v[1 + i] = Bits(m[i]);
    for (int i = 0; box && i < 4; i++)
        v[7 + i] = Bits(box[i]);
    v[11] = Bits(viewportWidth);
    v[12] = Bits(viewportHeight);
    v[13] = static_cast<uint32_t>(context->clipsInProgress.size());
    v[14] = static_cast<uint32_t>(context->masksInProgress.size());
    v[15] = static_cast<uint32_t>(context->patternsInProgress.size());
    return use;
}

bool MayShareContent(const WalkContext* context) {
    return context->markersInProgress.empty() && context->imagesInProgress.empty();
}

int SharedNumber(const WalkContext* context, const std::map<ContentUse, int>& built,
                 const ContentUse& use) {
    if (!MayShareContent(context))
        return 0;
    auto found = built.find(use);
    return found == built.end() ? 0 : found->second;
}

void RememberShared(const WalkContext* context, std::map<ContentUse, int>* built,
                    const ContentUse& use, int number, unsigned long refusedBefore) {
    if (!number || !MayShareContent(context) || context->refused != refusedBefore)
        return;
    try {
        built->emplace(use, number);
    } catch (const std::bad_alloc&) {
    }
}
