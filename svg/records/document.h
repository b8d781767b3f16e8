// The parsed form of one SVG file: an ordered list of shape records.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "svg/records/bounds.h"
#include "svg/records/work_budget.h"
#include "svg/values/colour.h"
#include "svg/values/shared_floats.h"
#include "svg/values/shared_text.h"
#include "svg/values/transform.h"
#include "svg/values/viewport.h"

struct GfxPath;
struct DocumentGradients;
struct DocumentClips;
struct DocumentGroups;
struct UnknownElements;
struct DocumentImages;

// One drawn element. A new record starts with every field zero.
struct ShapeRecord {
    GfxPath* path;    // owned; fill mode already set from fillRule
    Argb fillColor;   // alpha already multiplied by opacity x fillOpacity
    Argb strokeColor; // alpha already multiplied by opacity x strokeOpacity
    float strokeWidth;
    int fillRule; // 1 nonzero, 0 evenodd
    int lineCap;  // 0 butt, 1 square, 2 round
    int lineJoin; // 0 miter, 1 bevel, 2 round
    float miterLimit;
    int hasFill;
    int hasStroke;
    Matrix2D matrix; // user space to document space
    std::wstring id;
    SharedText fillRef;   // gradient id of the fill, shared; null for a plain colour
    SharedText strokeRef; // gradient id of the stroke
    float boundsX, boundsY, boundsWidth, boundsHeight; // untransformed path bounds
    int boundsValid;
    SharedFloats dashes; // the stroke's dash and gap lengths in user units, shared; null: solid
    float dashOffset;
    int nonScalingStroke; // the stroke width is in pixels, whatever the transforms
    float fillOpacity;    // opacity x fill-opacity, for a gradient's colours
    float strokeOpacity;  // opacity x stroke-opacity
    int clip; // number of the clip region that cuts the record (svg/build/clip_paths.h), 0 none
    int strokeFirst; // paint-order puts the stroke under the fill
    int group;       // number of the innermost offscreen group it is drawn in
                     // (svg/records/offscreen_groups.h), 0 none
    // Pattern tiles that paint it (svg/records/offscreen_groups.h), 0 none.
    int fillPattern, strokePattern;
    int image; // the image filling the path (svg/records/images.h), 0 none
};

// What a file holds that is left out or drawn only approximately, counted
// while it loads (the module reports none of it; tools may show it).
enum NotDrawnKind {
    NotDrawnText,
    NotDrawnFilter,
    NotDrawnMask,
    NotDrawnPattern,
    NotDrawnMarker,
    NotDrawnImage,
    NotDrawnForeignObject,
    NotDrawnAnimation,
    NotDrawnCss,
    NotDrawnFadedGroups,      // set by the last render: groups, masks and tiles past the offscreen
                              // budget
    NotDrawnUnusableGeometry, // set by the last render: shapes with coordinates GDI+ cannot take
    NotDrawnLoadBudget,       // elements past the load's work budget (svg/records/work_budget.h)
    NotDrawnRenderBudget,     // set by the last render: shapes past its work budget
    NotDrawnUnfiltered,       // set by the last render: filters past the offscreen budget
    NotDrawnLoadText,         // text elements past the load's budget of characters
    NotDrawnRenderStops,      // set by the last render: the shape past its gradient stops
    NotDrawnSolidDashes,      // set by the last render: dashed strokes past its dashes, drawn solid
    NotDrawnOutOfMemory,      // set by the last render: shapes GDI+ had no memory for
    NotDrawnKindCount
};

// All-zero is a valid empty document. It owns its records, their paths and
// strings, its copy of the gradients they refer to and its clip regions.
struct SvgDocument {
    float viewBoxX, viewBoxY, viewBoxWidth, viewBoxHeight;
    int hasViewBox;
    float width, height;
    int shapeCount;
    ShapeRecord* shapes;
    int shapeCapacity;
    Bounds content; // document-space bounds of the records, strokes included
    DocumentGradients* gradients;
    AspectRatio aspect;     // the root's preserveAspectRatio
    DocumentClips* clips;   // owned; null when nothing is clipped
    DocumentGroups* groups; // owned; null when nothing is drawn offscreen
    int notDrawn[NotDrawnKindCount];
    UnknownElements* unknownElements; // owned; null when there are none
    DocumentImages* images;           // owned; null when it draws none
    WorkBudget loadWork;              // what its load spent of the load's work budget
};

// Empties the document: its records and all it owns are released.
void ClearSvgDocument(SvgDocument* document);
// The user-space size that percentages refer to: the view box, or 100 x 100
// when the document has none.
void DocumentViewportSize(const SvgDocument* document, float* width, float* height);

// A new all-zero record at the end of the document's list, or null when the
// larger storage cannot be had (the document is then unchanged).
ShapeRecord* AppendShapeRecord(SvgDocument* document);
// Makes room for that many records at once, at most 262,144 (a walk over a
// tree of that many elements then grows the storage only through uses and
// markers). Without the memory for it, the records grow step by step.
void ReserveShapeRecords(SvgDocument* document, size_t count);

// Records drawn into an offscreen bitmap of their own (a mask's content).
// Record storage, here and in a document, is raw memory for `capacity`
// records of which the first `count` are made (records are made as they
// are added: a large reserve is not written twice).
struct RecordList {
    ShapeRecord* shapes; // owned, with their paths
    int count, capacity;
};

// Ends the first `count` records of the storage and frees it (paths stay).
void FreeRecordStorage(ShapeRecord* shapes, int count);
// Exchanges the document's records with the list's: a walk into an empty
// list fills it, and a second exchange gives the document its records back.
void SwapRecords(SvgDocument* document, RecordList* list);
void ReleaseRecords(RecordList* list);
