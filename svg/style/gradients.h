// Linear and radial gradient definitions, read while a document loads.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "svg/values/colour.h"
#include "svg/values/transform.h"

struct XmlNode;

struct GradientStop {
    float offset; // 0..1, never below an earlier stop's
    Argb colour;
};

// The stops of one gradient element, read once and shared by every gradient
// that inherits them, with their average colour.
struct GradientStopList {
    std::vector<GradientStop> stops;
    Argb average;
};

// A gradient with its whole reference chain resolved. Copying it copies the
// numbers and shares the stops.
struct GradientDef {
    int type;             // 0 linear, 1 radial
    float x1, y1, x2, y2; // linear vector
    float cx, cy, r;      // radial circle
    float fx, fy;         // radial focal point
    int units;            // 1 objectBoundingBox, 0 userSpaceOnUse
    int hasTransform;
    Matrix2D transform;
    int spread;                                       // 0 pad, 1 reflect, 2 repeat
    std::shared_ptr<const GradientStopList> stopList; // null: no stops
};

// Stops a gradient keeps at most: more than a brush shows across a screen.
const size_t MaxGradientStops = 512;

// Thins more than `most` stops to at most that many, in one pass. A stop
// inside a run of three or more of one colour, or of three or more at one
// offset, changes nothing painted and goes. When that is not enough, the
// stops within each 2/most of the gradient vector are reduced to the first
// and the last of them: on a gradient a screen shows, nearer stops than that
// fall within a few pixels of one another.
void ThinGradientStops(std::vector<GradientStop>* stops, size_t most);

int GradientStopCount(const GradientDef* definition);
// The stops in document order; null when there are none.
const GradientStop* GradientStops(const GradientDef* definition);
// A shared list of the stops, thinned to MaxGradientStops, with the average
// colour of them all.
std::shared_ptr<const GradientStopList> MakeGradientStopList(std::vector<GradientStop> stops);
// Gives the definition these stops (a test and tool helper).
void SetGradientStops(GradientDef* definition, const std::vector<GradientStop>& stops);

// The gradients of one document by id, each with its reference chain
// resolved, and their average colours. The gradient elements are kept from
// registering them until the table is built, in document order; the first
// element with an id owns it.
struct GradientRegistry {
    std::unordered_map<std::wstring, const XmlNode*> elements;
    std::vector<const XmlNode*> order;
    std::unordered_map<std::wstring, GradientDef> definitions;
    std::unordered_map<std::wstring, Argb> averages;
};

void ClearGradientRegistries(GradientRegistry* registry);
void RegisterGradientElements(GradientRegistry* registry, const XmlNode* element);
// The same for one element: registered when it is a gradient with an id.
void RegisterGradientElement(GradientRegistry* registry, const XmlNode* element);
// Whether an element of this name is a gradient.
bool IsGradientElementName(const std::wstring& name);
// A number, or a percentage as a fraction ("50%" is 0.5); 0 for nothing.
double ReadGradientCoordinate(const std::wstring& text);
Argb AverageStopColour(const GradientDef* definition);
// Table lookups; null / 0 when the id is not registered. An id that names a
// gradient element is a usable paint server exactly when
// FindRegisteredGradient finds it.
const GradientDef* FindRegisteredGradient(const GradientRegistry* registry, const std::wstring& id);
int FindGradientAverageColour(const GradientRegistry* registry, const std::wstring& id,
                              Argb* colour);
