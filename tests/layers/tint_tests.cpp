#include <gtest/gtest.h>

#include <set>
#include <string>

#include "layers/tint.h"

namespace {

struct Found {
    int found, red, green, blue, strength;
};

Found Lookup(const std::wstring& text) {
    Found f = {0, -1, -2, -3, -4}; // sentinels: must survive a miss
    f.found = LookupTintPreset(text, &f.red, &f.green, &f.blue, &f.strength);
    return f;
}

} // namespace

TEST(TintPresets, TableHoldsTheTwentyPresetsInDialogOrder) {
    ASSERT_EQ(20, TintPresetCount);
    EXPECT_STREQ(L"No Tint", TintPresets[0].displayName);
    EXPECT_STREQ(L"Warm Sunset", TintPresets[1].displayName);
    EXPECT_STREQ(L"Desaturate 75%", TintPresets[17].displayName);
    EXPECT_STREQ(L"Sunset Pink", TintPresets[19].displayName);
    EXPECT_EQ(0, TintPresets[0].strength);
    std::set<std::wstring> keys;
    for (const TintPreset& p : TintPresets) {
        // The key is the lower-case display name, every colour preset has
        // strength 128, and every name is unique.
        std::wstring lowered(p.displayName);
        for (wchar_t& c : lowered)
            c = static_cast<wchar_t>(towlower(c));
        EXPECT_EQ(lowered, p.key);
        if (p.strength != 0) {
            EXPECT_EQ(128, p.strength) << p.key;
        }
        EXPECT_TRUE(keys.insert(p.key).second) << p.key;
    }
}

TEST(TintPresets, EveryPresetIsFoundByItsDisplayName) {
    for (const TintPreset& p : TintPresets) {
        Found f = Lookup(p.displayName);
        ASSERT_EQ(1, f.found) << p.key;
        EXPECT_EQ(p.red, f.red);
        EXPECT_EQ(p.green, f.green);
        EXPECT_EQ(p.blue, f.blue);
        EXPECT_EQ(p.strength, f.strength);
    }
}

TEST(TintPresets, LookupTrimsBlanksAndIgnoresCase) {
    const wchar_t* sameAsWarmSunset[] = {L"Warm Sunset", L"WARM SUNSET", L"  warm sunset  ",
                                         L"wArM sUnSeT "};
    for (const wchar_t* text : sameAsWarmSunset) {
        Found f = Lookup(text);
        EXPECT_EQ(1, f.found) << text;
        EXPECT_EQ(255, f.red);
        EXPECT_EQ(180, f.green);
        EXPECT_EQ(120, f.blue);
        EXPECT_EQ(128, f.strength);
    }
    Found noTint = Lookup(L" no tint");
    EXPECT_EQ(1, noTint.found);
    EXPECT_EQ(0, noTint.strength);
    EXPECT_EQ(255, noTint.red);
}

TEST(TintPresets, TextsThatNameNoPresetLeaveTheOutputsUntouched) {
    const wchar_t* misses[] = {
        L"",                // empty
        L"   ",             // blank
        L"Custom",          // offered by the dialog, not a preset
        L" CUSTOM ",        //
        L"warm  sunset",    // two inner blanks
        L"\twarm sunset",   // only blanks are trimmed
        L"warm sunset\t",   //
        L"warm sunse",      // prefix
        L"warm sunsets",    //
        L"desaturate 50",   // without the percent sign
        L"warm\u00a0sunset" // no-break space is not a blank
    };
    for (const wchar_t* text : misses) {
        Found f = Lookup(text);
        EXPECT_EQ(0, f.found) << text;
        EXPECT_EQ(-1, f.red);
        EXPECT_EQ(-2, f.green);
        EXPECT_EQ(-3, f.blue);
        EXPECT_EQ(-4, f.strength);
    }
}
