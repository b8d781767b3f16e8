// Loads with each allocation failing in turn. Natively the graphics paths
// are the module's own (made with operator new), so a path that nothing owns
// yet when memory runs out shows up as a block left over.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "failing_allocator.h"
#include "svg/document.h"
#include "svg/report.h"

using namespace failing_allocator;

namespace {

// Shapes and text with clip paths and markers, one shape split in two
// records by its paint order: the readers that run between making a path and
// handing it to the document.
const char Drawing[] =
    "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 100 100'>"
    "<defs><marker id='m' markerWidth='4' markerHeight='4'><circle r='1'/></marker>"
    "<clipPath id='c'><rect width='50' height='50'/></clipPath></defs>"
    "<polyline id='p' points='0,0 10,10 20,0' marker-mid='url(#m)' stroke='red' fill='lime' "
    "paint-order='fill markers stroke' clip-path='url(#c)'/>"
    "<path d='M0 0 L10 10 20 0' marker-end='url(#m)' stroke='blue' clip-path='url(#c)'/>"
    "<text x='1' y='10' clip-path='url(#c)'>ab</text></svg>";

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
