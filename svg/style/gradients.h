// Linear and radial gradient definitions, read while a document loads.
#pragma once

#include <memory>
#include <string>
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

int GradientStopCount(const GradientDef* definition);
// The stops in document order; null when there are none.
const GradientStop* GradientStops(const GradientDef* definition);
// Gives the definition these stops (a test and tool helper).
void SetGradientStops(GradientDef* definition, const std::vector<GradientStop>& stops);

// Module-wide registries describing the file loaded last (emptied and
// refilled by every load, emptied by the host's tear-down).
void ClearGradientRegistries();
void RegisterGradientElements(const XmlNode* element);
// The same for one element: registered when it is a gradient with an id.
void RegisterGradientElement(const XmlNode* element);
// Whether an element of this name is a gradient.
bool IsGradientElementName(const std::wstring& name);
// Resolves every registered gradient with its reference chain. Each element's
// own attributes and stops are read once, however many gradients refer to it.
// Percentages in user space are of the document's viewport, in user units.
void BuildGradientRegistry(float viewportWidth, float viewportHeight);
double ReadGradientCoordinate(const std::wstring& text);
Argb ReadStopColour(const XmlNode* stop);
Argb AverageStopColour(const GradientDef* definition);
// Registry lookups; null / 0 when the id is not registered. An id that names a
// gradient element is a usable paint server exactly when
// FindRegisteredGradient finds it.
const GradientDef* FindRegisteredGradient(const std::wstring& id);
int FindGradientAverageColour(const std::wstring& id, Argb* colour);
