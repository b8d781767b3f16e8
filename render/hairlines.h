// Hairlines: strokes narrower than a device pixel. GDI+ draws every pen
// under one pixel one full pixel wide, which makes fine line art several
// times too dark; such a stroke is drawn one pixel wide instead, its
// opacity scaled by the width it has on the device.
#pragma once

struct ShapeRecord;

// The least a hairline's opacity is scaled by, so that the finest lines
// still show.
const float HairlineFloor = 0.1f;

// A stroke as it is drawn: its width (in the units the record's stroke
// width is in) and what its colour and opacity are scaled by.
struct StrokeWeight {
    float width;
    float alphaScale; // 1, or the device width (at least HairlineFloor) for a hairline
};

// The weight of the record's stroke where one of its units is `scale`
// device pixels wide (1 for a non-scaling stroke, whose width is in pixels).
StrokeWeight HairlineWeight(const ShapeRecord& shape, double scale);

// The record with its stroke drawn at that weight: width replaced, stroke
// colour and opacity faded (dashes stay in user units: they are kept as
// lengths and divided by the new width when the pen is made).
void ApplyStrokeWeight(const StrokeWeight& weight, ShapeRecord* shape);
