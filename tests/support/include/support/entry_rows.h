#pragma once

#include <cstdint>

// Entries and what the window shows for them, one table for every window that
// runs them: the fake one of the calculation tests and the real ones.
namespace aspect::testing_support {

// Both fields entered with the ratio unlocked: the result and the preview.
struct UnlockedRow {
    const char* name;
    const char* w;
    const char* h;
    const char* caption;
    std::int32_t ratioW, ratioH;
    double width, height, leftOffset, topOffset;  // preview against the 16:9 frame
};

inline const UnlockedRow kUnlocked[] = {
    {"FullHd", "1920", "1080", "16 : 9", 16, 9, 320, 180, 0, 0},
    {"WxgaShownAs16to10", "1280", "800", "16 : 10", 8, 5, 288, 180, 16, 0},
    {"Xga", "1024", "768", "4 : 3", 4, 3, 240, 180, 40, 0},
    {"WideBranch", "1366", "768", "683 : 384", 683, 384, 320, 180, 0, 0},
    {"UltraWideCentredVertically", "2560", "1080", "64 : 27", 64, 27, 320, 135, 0, 22},
    {"UltraWideRoundedHeight", "3440", "1440", "43 : 18", 43, 18, 320, 134, 0, 23},
    {"HeightTieToEven", "640", "5", "128 : 1", 128, 1, 320, 2, 0, 89},
    {"TallSliver", "1", "100", "1 : 100", 1, 100, 2, 180, 159, 0},
    {"PortraitCentredHorizontally", "1080", "1920", "9 : 16", 9, 16, 101, 180, 109, 0},
    {"TieToEvenWidth", "637", "360", "637 : 360", 637, 360, 318, 180, 1, 0},
    {"UlpMissFindsMultiple", "640", "464", "120 : 87", 120, 87, 248, 180, 36, 0},
    {"NoWholeTerm", "1280", "854", "1280 : 854", 1280, 854, 270, 180, 25, 0},
    {"PastedLettersReadAsLeadingNumber", "12ab", "12", "1 : 1", 1, 1, 180, 180, 70, 0},
    {"PastedFractionTiesToEven", "2.5", "1", "2 : 1", 2, 1, 320, 160, 0, 10},
};

// A ratio stored by an unlocked entry, then the lock on and one field edited:
// the text of the field the calculation recomputes.
struct LockedRow {
    const char* name;
    const char* storedW;  // unlocked entry that stores the ratio
    const char* storedH;
    bool widthEdited;
    const char* typed;
    const char* expected;  // text of the recomputed field
    bool red;
};

inline const LockedRow kLocked[] = {
    {"HeightFromWidth", "1920", "1080", true, "1280", "720", false},
    {"WidthFromHeightRoundsTwice", "1920", "1080", false, "1200", "2133", false},
    {"StoredEightToFiveNotSixteenToTen", "1280", "800", true, "1000", "625", false},
    {"TieToEvenFour", "1920", "1080", true, "8", "4", false},
    {"TieToEvenFourteen", "1920", "1080", true, "24", "14", false},
    {"TieToEvenTwentyTwo", "1920", "1080", true, "40", "22", false},
    {"DoubleRoundingGivesSix", "2560", "1080", true, "13", "6", false},
    {"DoubleRoundingGivesTwo", "2560", "1080", true, "6", "2", false},
    {"LongResultMarkedRed", "1", "100", true, "1000", "100000", true},
    {"OutOfRangeShowsError", "1", "5000", true, "99999", "99999", true},
    {"EmptiedFieldGivesZero", "1920", "1080", true, "", "0", false},
    {"NoStoredRatioWidthEdit", "", "", true, "1920", "99999", true},
    {"NoStoredRatioHeightEdit", "", "", false, "1080", "99999", true},
    {"AfterInvalidEntry", "0", "5", true, "1920", "99999", true},
    {"PastedBeyondThirtyTwoBits", "1920", "1080", true, "9e99", "99999", true},
    {"PastedBeyondThirtyTwoBitsHeight", "1920", "1080", false, "3e9", "99999", true},
};

}  // namespace aspect::testing_support
