// Gradient plans: the brush parameters a gradient gives for a shape, checked
// on every build without drawing (the render tests draw a few of them).
#include <gtest/gtest.h>

#include <cmath>

#include "render/gradient_plan.h"
#include "render/graphics.h"

namespace {

const uint32_t Red = 0xFFFF0000u, Green = 0xFF00FF00u, Blue = 0xFF0000FFu;

GradientDef Linear(float x1, float y1, float x2, float y2, int units, int spread = 2) {
    GradientDef def = GradientDef();
    def.x1 = x1;
    def.y1 = y1;
    def.x2 = x2;
    def.y2 = y2;
    def.units = units;
    def.spread = spread;
    SetGradientStops(&def, {{0, Red}, {1, Blue}});
    return def;
}

GradientDef Radial(float cx, float cy, float r, int units, int spread = 0) {
    GradientDef def = GradientDef();
    def.type = 1;
    def.cx = def.fx = cx;
    def.cy = def.fy = cy;
    def.r = r;
    def.units = units;
    def.spread = spread;
    SetGradientStops(&def, {{0, Red}, {1, Blue}});
    return def;
}

GradientTarget Box(float x, float y, float w, float h, float opacity = 1.0f) {
    return GradientTarget{x, y, w, h, 1, 0.0f, opacity};
}

GradientPlan Plan(const GradientDef& def, const GradientTarget& target) {
    GradientPlan plan;
    PlanGradient(&def, target, &plan);
    return plan;
}

// The gradient's t at a user-space point of a line plan.
float LineT(const GradientPlan& plan, float x, float y) {
    const float dx = plan.p2.x - plan.p1.x, dy = plan.p2.y - plan.p1.y;
    return ((x - plan.p1.x) * dx + (y - plan.p1.y) * dy) / (dx * dx + dy * dy);
}

void SetTransform(GradientDef* def, Matrix2D m) {
    def->hasTransform = 1;
    def->transform = m;
}

} // namespace

TEST(GradientPlan, StopsBecomeABlendFromZeroToOne) {
    struct Case {
        std::vector<GradientStop> stops;
        float opacity;
        std::vector<uint32_t> colours;
        std::vector<float> positions;
    };
    const Case cases[] = {
        // the first colour up to the first offset, the last from the last one
        {{{0.2f, Red}, {0.8f, Blue}}, 1, {Red, Red, Blue, Blue}, {0, 0.2f, 0.8f, 1}},
        // equal offsets stay: a sharp edge
        {{{0, Red}, {0.5f, Green}, {0.5f, Blue}, {1, Blue}},
         1,
         {Red, Green, Blue, Blue},
         {0, 0.5f, 0.5f, 1}},
        // of stops sharing offset 0 the last holds
        {{{0, Red}, {0, Green}, {1, Blue}}, 1, {Green, Blue}, {0, 1}},
        // opacity scales every colour
        {{{0, Red}, {1, 0x80000000u}}, 0.5f, {0x80FF0000u, 0x40000000u}, {0, 1}},
    };
    for (const Case& c : cases) {
        GradientDef def = GradientDef();
        SetGradientStops(&def, c.stops);
        std::vector<uint32_t> colours;
        std::vector<float> positions;
        StopsToBlend(&def, c.opacity, &colours, &positions);
        EXPECT_EQ(c.colours, colours);
        EXPECT_EQ(c.positions, positions);
    }
}

// Plans that paint one colour or nothing at all.
TEST(GradientPlan, DegenerateGradients) {
    GradientDef none = Linear(0, 0, 1, 0, 1);
    SetGradientStops(&none, {});
    GradientDef one = Linear(0, 0, 1, 0, 1);
    SetGradientStops(&one, {{0.3f, Green}});
    GradientDef point = Linear(5, 5, 5, 5, 0);
    GradientDef flat = Radial(50, 50, 0, 0);
    GradientDef negative = Radial(50, 50, -1, 0);
    GradientDef singular = Linear(0, 0, 1, 0, 0);
    SetTransform(&singular, {1, 1, 1, 1, 0, 0});
    GradientDef inBox = Radial(0.5f, 0.5f, 0.5f, 1);
    struct Case {
        const char* name;
        const GradientDef* def;
        GradientTarget target;
        int kind;
        uint32_t colour;
    };
    const Case cases[] = {
        {"no stops", &none, Box(0, 0, 10, 10), GradientPaintNothing, 0},
        {"one stop", &one, Box(0, 0, 10, 10), GradientPaintSolid, Green},
        {"zero-length vector", &point, Box(0, 0, 10, 10, 0.5f), GradientPaintSolid, 0x800000FFu},
        {"zero radius", &flat, Box(0, 0, 10, 10), GradientPaintSolid, Blue},
        {"negative radius", &negative, Box(0, 0, 10, 10), GradientPaintNothing, 0},
        {"singular transform", &singular, Box(0, 0, 10, 10), GradientPaintNothing, 0},
        {"box without height", &inBox, Box(0, 0, 10, 0), GradientPaintNothing, 0},
        {"no box", &inBox, GradientTarget{0, 0, 10, 10, 0, 0, 1}, GradientPaintNothing, 0},
    };
    for (const Case& c : cases) {
        GradientPlan plan = Plan(*c.def, c.target);
        EXPECT_EQ(c.kind, plan.kind) << c.name;
        if (c.kind == GradientPaintSolid) {
            EXPECT_EQ(c.colour, plan.solidColour) << c.name;
        }
    }
}

// Linear gradients in user space and in the box, under transforms: the
// folded vector gives every point the t that SVG gives it.
TEST(GradientPlan, LinearCoordinateSystems) {
    GradientDef skewed = Linear(0, 0, 100, 0, 0);
    SetTransform(&skewed, {1, 0, 1, 1, 0, 0}); // skewX(45)
    GradientDef turned = Linear(0, 0, 1, 0, 1);
    SetTransform(&turned, {0, 1, -1, 0, 0, 0}); // rotate(90), then the box
    GradientDef mirrored = Linear(10, 0, 210, 0, 0);
    SetTransform(&mirrored, {-1, 0, 0, 1, 0, 0});
    struct Case {
        const char* name;
        GradientDef def;
        GradientTarget target;
        float x, y, t; // the gradient's t at (x, y)
    };
    const Case cases[] = {
        // user space is the shape's own space, whatever its matrix
        {"user space", Linear(10, 0, 210, 0, 0), Box(0, 0, 1, 1), 110, 40, 0.5f},
        // in a 200 x 100 box the diagonal's lines of equal colour skew:
        // (200, 0) and (0, 100) both sit half way
        {"box corner x", Linear(0, 0, 1, 1, 1), Box(0, 0, 200, 100), 200, 0, 0.5f},
        {"box corner y", Linear(0, 0, 1, 1, 1), Box(0, 0, 200, 100), 0, 100, 0.5f},
        {"box offset", Linear(0, 0, 1, 0, 1), Box(50, 20, 100, 10), 75, 0, 0.25f},
        {"skewed", skewed, Box(0, 0, 1, 1), 60, 10, 0.5f},
        {"turned in the box", turned, Box(0, 0, 100, 50), 70, 10, 0.2f},
        {"mirrored", mirrored, Box(0, 0, 1, 1), -110, 7, 0.5f},
    };
    for (const Case& c : cases) {
        GradientPlan plan = Plan(c.def, c.target);
        ASSERT_EQ(GradientPaintLine, plan.kind) << c.name;
        EXPECT_NEAR(c.t, LineT(plan, c.x, c.y), 1e-4f) << c.name;
        EXPECT_EQ(GfxWrapModeTile, plan.wrapMode) << c.name;
    }
}

TEST(GradientPlan, LinearSpreads) {
    // Pad stretches the vector over the painted area with a 5 % margin, the
    // end colours at the new ends: (25..75) over a box 0..100 becomes
    // -5..105 with the stops at 30/110 and 80/110.
    GradientPlan pad = Plan(Linear(25, 0, 75, 0, 0, 0), Box(0, 0, 100, 10));
    ASSERT_EQ(GradientPaintLine, pad.kind);
    EXPECT_NEAR(-5.0f, pad.p1.x, 1e-3f);
    EXPECT_NEAR(105.0f, pad.p2.x, 1e-3f);
    const std::vector<uint32_t> colours = {Red, Red, Blue, Blue};
    EXPECT_EQ(colours, pad.colours);
    ASSERT_EQ(4u, pad.positions.size());
    EXPECT_NEAR(30.0f / 110, pad.positions[1], 1e-5f);
    EXPECT_NEAR(80.0f / 110, pad.positions[2], 1e-5f);
    EXPECT_EQ(1.0f, pad.positions[3]);
    // Stops sharing offset 0: the last holds from the vector's start on, the
    // first before it, with a step between.
    GradientDef shared = Linear(25, 0, 75, 0, 0, 0);
    SetGradientStops(&shared, {{0, Red}, {0, Green}, {1, Blue}});
    GradientPlan step = Plan(shared, Box(0, 0, 100, 10));
    EXPECT_EQ((std::vector<uint32_t>{Red, Red, Green, Blue, Blue}), step.colours);
    ASSERT_EQ(5u, step.positions.size());
    EXPECT_LT(step.positions[1], step.positions[2]);
    EXPECT_NEAR(30.0f / 110, step.positions[1], 1e-3f);
    // A stroke's reach widens the area.
    GradientTarget stroke = Box(0, 0, 100, 10);
    stroke.margin = 10;
    EXPECT_NEAR(-16.0f, Plan(Linear(25, 0, 75, 0, 0, 0), stroke).p1.x, 1e-3f);

    EXPECT_EQ(GfxWrapModeTileFlipXY, Plan(Linear(0, 0, 1, 0, 1, 1), Box(0, 0, 9, 9)).wrapMode);
    EXPECT_EQ(GfxWrapModeTile, Plan(Linear(0, 0, 1, 0, 1, 2), Box(0, 0, 9, 9)).wrapMode);
}

// Radial gradients: the circle stays in gradient space and the brush's
// transform carries it into the shape's space, so a non-square box gives an
// ellipse and any transform holds.
TEST(GradientPlan, RadialCoordinateSystems) {
    GradientPlan box = Plan(Radial(0.5f, 0.5f, 0.5f, 1), Box(10, 20, 200, 100));
    ASSERT_EQ(GradientPaintPath, box.kind);
    const float boxMatrix[6] = {200, 0, 0, 100, 10, 20};
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(boxMatrix[i], box.transform[i]) << i;
    EXPECT_EQ(0.5f, box.radius);
    EXPECT_EQ(0.5f, box.centre.x);

    // gradientTransform first, then the box.
    GradientDef turned = Radial(0.5f, 0.5f, 0.25f, 1);
    SetTransform(&turned, {0, 1, -1, 0, 1, 0});
    GradientPlan both = Plan(turned, Box(0, 0, 200, 100));
    const float composed[6] = {0, 100, -200, 0, 200, 0};
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(composed[i], both.transform[i]) << i;

    // A focal point outside the circle moves onto it, just inside.
    GradientDef outside = Radial(50, 50, 10, 0);
    outside.fx = 90;
    GradientPlan moved = Plan(outside, Box(0, 0, 100, 100));
    EXPECT_NEAR(59.99f, moved.focus.x, 1e-3f);
    EXPECT_EQ(50.0f, moved.focus.y);
    outside.fx = 55;
    EXPECT_EQ(55.0f, Plan(outside, Box(0, 0, 100, 100)).focus.x);
}

// Pad paints the last colour outside the circle; the blend runs from the
// boundary (0) to the focus (1).
TEST(GradientPlan, RadialPad) {
    GradientDef def = Radial(50, 50, 50, 0);
    SetGradientStops(&def, {{0.25f, Red}, {0.5f, Green}, {1, Blue}});
    GradientPlan plan = Plan(def, Box(0, 0, 100, 100));
    EXPECT_EQ(GfxWrapModeClamp, plan.wrapMode);
    EXPECT_EQ(Blue, plan.underColour);
    EXPECT_EQ(1, plan.underOpaqueBlend);
    const std::vector<uint32_t> colours = {Blue, Green, Red, Red};
    const std::vector<float> positions = {0, 0.5f, 0.75f, 1};
    EXPECT_EQ(colours, plan.colours);
    EXPECT_EQ(positions, plan.positions);

    SetGradientStops(&def, {{0, 0x80FF0000u}, {1, Blue}});
    EXPECT_EQ(0, Plan(def, Box(0, 0, 100, 100)).underOpaqueBlend);
}

// Reflect and repeat grow the circle about the focus until it covers the
// painted area, and unroll the stops once per turn.
TEST(GradientPlan, RadialReflectAndRepeatCoverTheShape) {
    // Corners of 0..100 lie 70.7 from the centre: 8 turns of radius 10.
    GradientPlan repeat = Plan(Radial(50, 50, 10, 0, 2), Box(0, 0, 100, 100));
    ASSERT_EQ(GradientPaintPath, repeat.kind);
    EXPECT_FLOAT_EQ(80.0f, repeat.radius);
    EXPECT_EQ(0u, repeat.underColour >> 24);
    ASSERT_EQ(16u, repeat.colours.size());
    EXPECT_EQ(Blue, repeat.colours[0]); // at the boundary: the end of the last turn
    EXPECT_EQ(Red, repeat.colours[1]);
    EXPECT_FLOAT_EQ(1.0f / 8, repeat.positions[2]);
    EXPECT_EQ(Red, repeat.colours[15]); // at the focus

    GradientPlan reflect = Plan(Radial(50, 50, 10, 0, 1), Box(0, 0, 100, 100));
    EXPECT_EQ(Red, reflect.colours[0]); // the eighth turn runs backwards
    EXPECT_EQ(Blue, reflect.colours[1]);

    // In box units the turns are counted in the box's space, which the
    // brush's transform maps onto the shape: corners lie 0.707 from the
    // centre, so two turns of radius 0.5.
    GradientPlan boxed = Plan(Radial(0.5f, 0.5f, 0.5f, 1, 1), Box(20, 20, 160, 160));
    ASSERT_EQ(GradientPaintPath, boxed.kind);
    EXPECT_FLOAT_EQ(1.0f, boxed.radius);
    ASSERT_EQ(4u, boxed.colours.size());
    EXPECT_EQ(Red, boxed.colours[0]); // the second turn runs backwards
    EXPECT_EQ(Blue, boxed.colours[1]);
    EXPECT_EQ(Red, boxed.colours[3]); // at the focus
    const float toShape[6] = {160, 0, 0, 160, 20, 20};
    for (int i = 0; i < 6; i++)
        EXPECT_FLOAT_EQ(toShape[i], boxed.transform[i]) << i;

    // An off-centre focus: the grown circle keeps the focus and moves its
    // centre away from it.
    GradientDef focal = Radial(50, 50, 10, 0, 2);
    focal.fx = 45;
    GradientPlan grown = Plan(focal, Box(0, 0, 100, 100));
    EXPECT_EQ(45.0f, grown.focus.x);
    EXPECT_NEAR(45.0f + 5.0f * grown.radius / 10.0f, grown.centre.x, 1e-3f);

    // A huge shape is covered by at most MaxRadialCycles turns.
    GradientPlan capped = Plan(Radial(0, 0, 1, 0, 2), Box(-1e6f, -1e6f, 2e6f, 2e6f));
    EXPECT_EQ(static_cast<size_t>(2 * MaxRadialCycles), capped.colours.size());
    // Many stops in many turns are thinned to fit the unrolled blend.
    GradientDef many = Radial(0, 0, 1, 0, 2);
    std::vector<GradientStop> stops;
    for (int i = 0; i < 1000; i++)
        stops.push_back(GradientStop{i / 999.0f, i % 2 ? Red : Blue});
    SetGradientStops(&many, stops);
    const GradientPlan thinned = Plan(many, Box(-1e6f, -1e6f, 2e6f, 2e6f));
    EXPECT_EQ(MaxUnrolledStops, thinned.colours.size());
}
