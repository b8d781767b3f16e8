// Loads with each allocation failing in turn. Natively the graphics paths
// are the module's own (made with operator new), so a path that nothing owns
// yet when memory runs out shows up as a block left over.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "failing_allocator.h"
#include "svg/base/report.h"
#include "svg/load.h"
#include "svg/records/document.h"

using namespace failing_allocator;

namespace {

// Every kind of thing a load makes: shapes and text with clip paths and
// markers (one shape split in two records by its paint order), gradients,
// a pattern, a mask, a use of a symbol and a nested viewport. Among them are
// the readers that run between making a path and handing it to the document.
const char Drawing[] =
    "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' "
    "viewBox='0 0 100 100'><style>.k{fill:url(#g)} rect{stroke:red}</style>"
    "<defs><marker id='m' markerWidth='4' markerHeight='4'><circle r='1'/></marker>"
    "<clipPath id='c'><rect width='50' height='50'/></clipPath>"
    "<clipPath id='b' clipPathUnits='objectBoundingBox'><circle cx='.5' cy='.5' r='.5'/></clipPath>"
    "<linearGradient id='g'><stop offset='0' stop-color='red'/><stop offset='1'/></linearGradient>"
    "<radialGradient id='r' xlink:href='#g'/>"
    "<pattern id='p' width='10' height='10' patternUnits='userSpaceOnUse'>"
    "<circle r='3' fill='url(#g)'/></pattern>"
    "<mask id='k'><rect width='50' height='50' fill='white'/></mask>"
    "<symbol id='s' viewBox='0 0 10 10'><rect width='5' height='5'/></symbol></defs>"
    "<polyline id='l' points='0,0 10,10 20,0' marker-mid='url(#m)' stroke='red' fill='lime' "
    "paint-order='fill markers stroke' clip-path='url(#c)'/>"
    "<path d='M0 0 L10 10 20 0' marker-end='url(#m)' stroke='blue' clip-path='url(#c)'/>"
    "<text x='1' y='10' clip-path='url(#c)'>a<tspan dx='2' fill='url(#r)'>bc</tspan></text>"
    "<g opacity='0.5' mask='url(#k)' clip-path='url(#b)'><rect class='k' width='20' height='20' "
    "rx='2'/><ellipse cx='5' cy='5' rx='3' ry='2' fill='url(#p)'/></g>"
    "<use xlink:href='#s' x='10' width='20' height='20'/>"
    "<svg x='50' width='20' height='20' viewBox='0 0 5 5'><path d='M0 0 Q2 0 4 2 T5 5 A1 1 0 0 1 "
    "0 5z' fill='url(#r)' stroke='url(#p)'/></svg></svg>";

int LoadAndClear(const std::wstring& path) {
    SvgDocument document = SvgDocument();
    const int loaded = LoadSvgDocument(path, &document);
    ClearSvgDocument(&document);
    return loaded;
}

TEST(OutOfMemory, ALoadThatRunsOutLeavesNoBlockBehind) {
    const std::string file = testing::TempDir() + "vexlar_oom_markers.svg";
    std::ofstream(file, std::ios::binary) << Drawing;
    const std::wstring path(file.begin(), file.end());
    // The last message is kept: give it its lasting size. Then two whole
    // loads, so that the module's lasting tables reach theirs.
    ReportLastError(std::wstring(300, L'-'));
    ASSERT_EQ(1, LoadAndClear(path));
    ASSERT_EQ(1, LoadAndClear(path));
    const long long baseline = liveBlocks;
    for (long long n = 1;; n++) {
        failureInjected = false;
        allocationsToFail = n;
        const int loaded = LoadAndClear(path);
        allocationsToFail = 0;
        const bool injected = failureInjected;
        // A whole load after it rebuilds the tables a failed load emptied.
        ASSERT_EQ(1, LoadAndClear(path)) << "allocation " << n;
        ASSERT_EQ(baseline, liveBlocks) << "blocks left after allocation " << n << " failed";
        if (!injected) {
            EXPECT_EQ(1, loaded);
            break;
        }
        ASSERT_LT(n, 100000) << "runaway";
    }
    std::remove(file.c_str());
}

} // namespace
