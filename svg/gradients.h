// Linear and radial gradient definitions, read while a document loads.
#pragma once

#include <string>

#include "svg/colour.h"
#include "svg/transform.h"

struct XmlNode;
struct SvgDocument;

struct GradientStop {
    float offset; // 0..1
    Argb colour;
};

enum { GradientMaxStops = 16 };

// A fixed-size plain record: copied by value, holds no pointers.
struct GradientDef {
    int type;             // 0 linear, 1 radial
    float x1, y1, x2, y2; // linear vector
    float cx, cy, r;      // radial circle
    float fx, fy;         // radial focal point
    int units;            // 1 objectBoundingBox, 0 userSpaceOnUse
    int hasTransform;
    Matrix2D transform;
    int spread; // 0 pad, 1 reflect, 2 repeat
    int stopCount;
    GradientStop stops[GradientMaxStops];
    int vectorFromTransform;
};

// Module-wide registries describing the file loaded last (emptied and
// refilled by every load, emptied by the host's tear-down).
void ClearGradientRegistries();
void RegisterGradientElements(const XmlNode* element);
void BuildGradientRegistry();
void ReadGradient(const XmlNode* element, GradientDef* definition, int depth);
double ReadGradientCoordinate(const std::wstring& text);
Argb ReadStopColour(const XmlNode* stop);
Argb AverageStopColour(const GradientDef* definition);
// Registry lookups; null / 0 when the id is not registered.
const GradientDef* FindRegisteredGradient(const std::wstring& id);
int FindGradientAverageColour(const std::wstring& id, Argb* colour);

// A loaded document keeps its own copy of the gradients its shapes refer to,
// so that redrawing it never sees another file's gradients.
void CopyReferencedGradients(SvgDocument* document);
void ReleaseDocumentGradients(SvgDocument* document);
const GradientDef* FindDocumentGradient(const SvgDocument* document, const std::wstring& id);
