// Linear and radial gradient definitions: the table of one document's
// gradients, filled while it loads.
#include "svg/style/gradients.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <unordered_map>
#include <vector>

#include "svg/base/strings.h"
#include "svg/values/lengths.h"
#include "svg/xml/element_walk.h"
#include "svg/xml/xml_tree.h"

static const Argb GreyColour = 0xFF808080u;

int GradientStopCount(const GradientDef* definition) {
    return definition->stopList ? static_cast<int>(definition->stopList->stops.size()) : 0;
}

const GradientStop* GradientStops(const GradientDef* definition) {
    return GradientStopCount(definition) > 0 ? definition->stopList->stops.data() : nullptr;
}

static Argb AverageOf(const std::vector<GradientStop>& stops) {
    if (stops.empty())
        return GreyColour;
    Argb average = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint64_t sum = 0;
        for (const GradientStop& stop : stops)
            sum += (stop.colour >> shift) & 0xFFu;
        average |= static_cast<Argb>(sum / stops.size()) << shift;
    }
    return average;
}

// Whether the stop between two others shows anywhere: not when all three
// have one colour, nor when all three share one offset.
static bool StopShows(const GradientStop& before, const GradientStop& stop,
                      const GradientStop& after) {
    const bool sameColour = before.colour == stop.colour && stop.colour == after.colour;
    const bool sameOffset = before.offset == stop.offset && stop.offset == after.offset;
    return !sameColour && !sameOffset;
}

// The stops within each 1/buckets of the vector reduced to the first and last.
static void KeepBucketEnds(std::vector<GradientStop>* stops, size_t buckets) {
    std::vector<GradientStop>& s = *stops;
    const float count = static_cast<float>(buckets);
    auto bucketOf = [&](const GradientStop& stop) {
        return std::fmin(std::floor(stop.offset * count), count - 1);
    };
    size_t kept = 0;
    for (size_t i = 0; i < s.size(); i++) {
        const bool firstOfBucket = i == 0 || bucketOf(s[i - 1]) != bucketOf(s[i]);
        const bool lastOfBucket = i + 1 == s.size() || bucketOf(s[i + 1]) != bucketOf(s[i]);
        if (firstOfBucket || lastOfBucket)
            s[kept++] = s[i];
    }
    s.resize(kept);
}

// Drops the stops that change nothing painted, keeping both ends.
static void DropHiddenStops(std::vector<GradientStop>* stops) {
    std::vector<GradientStop>& s = *stops;
    size_t kept = 1;
    for (size_t i = 1; i + 1 < s.size(); i++) {
        if (StopShows(s[kept - 1], s[i], s[i + 1]))
            s[kept++] = s[i];
    }
    s[kept++] = s.back();
    s.resize(kept);
}

void ThinGradientStops(std::vector<GradientStop>* stops, size_t most) {
    if (stops->size() <= most)
        return;
    DropHiddenStops(stops);
    if (stops->size() > most)
        KeepBucketEnds(stops, std::max<size_t>(most / 2, 1));
}

std::shared_ptr<const GradientStopList> MakeGradientStopList(std::vector<GradientStop> stops) {
    std::shared_ptr<GradientStopList> list = std::make_shared<GradientStopList>();
    list->average = AverageOf(stops); // of the stops as written
    ThinGradientStops(&stops, MaxGradientStops);
    list->stops = std::move(stops);
    return list;
}

void SetGradientStops(GradientDef* definition, const std::vector<GradientStop>& stops) {
    definition->stopList = MakeGradientStopList(stops);
}

void ClearGradientRegistries(GradientRegistry* registry) {
    *registry = GradientRegistry();
}

bool IsGradientElementName(const std::wstring& name) {
    return LowerTextIs(name, L"lineargradient") || LowerTextIs(name, L"radialgradient");
}

static bool IsGradientElement(const XmlNode* node) {
    return IsGradientElementName(XmlName(node));
}

static void RegisterIfGradient(const XmlNode* node, void* registry) {
    RegisterGradientElement(static_cast<GradientRegistry*>(registry), node);
}

void RegisterGradientElement(GradientRegistry* registry, const XmlNode* node) {
    if (!IsGradientElement(node))
        return;
    const std::wstring& id = XmlAttribute(node, L"id");
    if (id.empty())
        return;
    // The first element with an id owns it, as for every other reference.
    if (registry->elements.emplace(id, node).second)
        registry->order.push_back(node);
}

// Depth-first in document order, without recursion, down to the search depth.
void RegisterGradientElements(GradientRegistry* registry, const XmlNode* element) {
    VisitElements(element, kMaxElementSearchDepth, RegisterIfGradient, registry);
}

double ReadGradientCoordinate(const std::wstring& text) {
    std::wstring trimmed = TrimWhiteSpace(text);
    if (trimmed.empty())
        return 0;
    if (trimmed.back() == L'%')
        return DecimalValueOfText(trimmed.substr(0, trimmed.size() - 1)) / 100;
    return DecimalValueOfText(trimmed);
}

Argb AverageStopColour(const GradientDef* definition) {
    return definition->stopList ? definition->stopList->average : GreyColour;
}

const GradientDef* FindRegisteredGradient(const GradientRegistry* registry,
                                          const std::wstring& id) {
    auto found = registry->definitions.find(id);
    return found == registry->definitions.end() ? nullptr : &found->second;
}

int FindGradientAverageColour(const GradientRegistry* registry, const std::wstring& id,
                              Argb* colour) {
    auto found = registry->averages.find(id);
    if (found == registry->averages.end())
        return 0;
    *colour = found->second;
    return 1;
}
