// The records of whole drawings against golden dumps in tests/data/records/
// (NAME.svg and NAME.txt): a change to how records are built shows as a
// difference in their text.
// Rewrite the goldens: VEXLAR_UPDATE_RECORDS=1 bin/svg_tests --gtest_filter='*RecordDump*'
#include "svg/records/record_dump.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "svg/base/report.h"
#include "svg/base/strings.h"
#include "svg/load.h"
#include "svg/records/document.h"
#include "svg_files.h" // GraphicsTest

namespace {

class RecordDumpTest : public GraphicsTest, public ::testing::WithParamInterface<const char*> {};

std::string ReadFileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

// The number (from 1) of the first line where the texts differ, and that
// line of each.
std::string FirstDifference(const std::string& expected, const std::string& got) {
    std::istringstream e(expected), g(got);
    std::string lineE, lineG;
    for (int n = 1;; n++) {
        const bool moreE = static_cast<bool>(std::getline(e, lineE));
        const bool moreG = static_cast<bool>(std::getline(g, lineG));
        if (!moreE && !moreG)
            return "the texts differ only in line ends";
        if (!moreE || !moreG || lineE != lineG)
            return "line " + std::to_string(n) + "\n  expected: " + (moreE ? lineE : "(end)") +
                   "\n  got:      " + (moreG ? lineG : "(end)");
    }
}

TEST_P(RecordDumpTest, MatchesGolden) {
#ifdef _WIN32
    // Text outlines come from the installed fonts here, not the portable
    // build's stand-in boxes the golden holds.
    if (std::string(GetParam()) == "text")
        GTEST_SKIP() << "text outlines depend on the fonts";
#endif
    const std::string base = std::string(VEXLAR_TEST_DATA) + "/records/" + GetParam();
    SvgDocument document = SvgDocument();
    const std::string svgPath = base + ".svg";
    ASSERT_EQ(1, LoadSvgDocument(WideFromUtf8(svgPath.data(), svgPath.size()), &document))
        << Utf8FromWide(LastReportedError());
    const std::string got = DumpRecords(&document);
    ClearSvgDocument(&document);
    const std::string goldenPath = base + ".txt";
    if (std::getenv("VEXLAR_UPDATE_RECORDS")) {
        std::ofstream(goldenPath, std::ios::binary) << got;
        GTEST_SKIP() << "rewrote " << goldenPath;
    }
    const std::string expected = ReadFileBytes(goldenPath);
    if (got == expected)
        return;
    // The dump is left beside the program (the temporary folder goes when it ends).
    const std::filesystem::path actual =
        std::filesystem::absolute(std::string("records-") + GetParam() + ".txt");
    std::ofstream(actual, std::ios::binary) << got;
    ADD_FAILURE() << "records differ from the golden at " << FirstDifference(expected, got)
                  << "\n  diff -u " << goldenPath << " " << actual.string();
}

INSTANTIATE_TEST_SUITE_P(Drawings, RecordDumpTest,
                         ::testing::Values("shapes", "use-symbol", "clips-masks", "paint-servers",
                                           "markers", "text"));

} // namespace
