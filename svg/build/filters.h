// Filters: the «filter» element an element's "filter" property names,
// resolved for that element into a filter record (svg/records/filters.h):
// its region, its primitives' subregions and values in the element's user
// space, and their inputs.
#pragma once

#include <string>

#include "svg/records/filters.h"
#include "svg/values/colour.h"
#include "svg/values/lengths.h"
#include "svg/values/transform.h"

struct WalkContext;
struct XmlNode;

enum FilterUse {
    FilterUnused,    // "none", no property, or a list of functions that is not valid
    FilterHidden,    // a reference to nothing or to another element: nothing is drawn
    FilterUsed,      // a «filter» element
    FilterFunctions, // a list of filter functions and references
    FilterNotDrawn   // a filter (or one of a list) with a primitive not drawn (an feImage of a
                     // file, or of the element itself): unfiltered
};

// What the "filter" property (text) of the element asks for, its lengths
// measured against the basis; *filter is the «filter» element when
// FilterUsed.
int FilterOf(WalkContext* context, const XmlNode* element, const std::wstring& property,
             const LengthBasis& basis, const XmlNode** filter);

// The «filter» element the id names; null when it names none (or "").
const XmlNode* FilterElement(WalkContext* context, const std::wstring& id);

// Reads the filter for an element whose user space is `matrix`, whose
// bounding box is `box` and whose viewport is viewportWidth x viewportHeight
// (as AddGroupFilter takes them) into *record; false when the filter hides
// the element.
bool ReadGroupFilter(WalkContext* context, const XmlNode* filter, const Matrix2D& matrix,
                     const float box[4], float viewportWidth, float viewportHeight,
                     FilterRecord* record);

// Builds the filter for an element whose user space is `matrix` (into the
// document's), whose bounding box is `box` (x, y, width, height in that
// space) and whose viewport is viewportWidth x viewportHeight. Returns the
// filter's number; 0 when the filter hides the element (a region or a
// subregion of no area, no primitives) or no storage can be had. *bounds
// gets the region's box in document space.
int AddGroupFilter(WalkContext* context, const XmlNode* filter, const Matrix2D& matrix,
                   const float box[4], float viewportWidth, float viewportHeight, float bounds[4]);

// The box (min x, min y, max x, max y) of the rectangle (x, y, width,
// height) under the matrix.
void BoundsUnder(const Matrix2D& m, const float rect[4], float bounds[4]);

// The same as AddGroupFilter for a list of filter functions and references
// to «filter» elements, each step reading the result of the one before,
// currentColor being `colour`. The functions' region is the box grown by
// what they reach; each referenced filter keeps its own region. A reference
// to no «filter» element is passed over.
int AddFunctionFilter(WalkContext* context, const std::wstring& property, const LengthBasis& basis,
                      Argb colour, const Matrix2D& matrix, const float box[4], float viewportWidth,
                      float viewportHeight, float bounds[4]);
