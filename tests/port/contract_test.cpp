// The port's promises, run against one implementation of it (see port_harness.h):
// what the behaviour may rely on whichever window carries it. Here: fields,
// captions and geometry; contract_events_test.cpp has the pointer and the timer.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "contract.h"
#include "support/row_name.h"
#include "window/design.h"

namespace aspect::testing_support::contract {
namespace {

// Program writes into a field: uncut, the change event at once and nested in the write.
struct WriteRow {
    const char* name;
    const char* text;
};

const WriteRow kWrites[] = {
    {"OneDigit", "7"},           {"FiveDigits", "12345"},        {"SixDigits", "123456"},
    {"NineDigits", "123456789"}, {"PastedLetters", "12 ab.5e3"}, {"Accented", "1ő2"},
};

class ProgramWrite : public PortContract, public ::testing::WithParamInterface<WriteRow> {};

TEST_P(ProgramWrite, IsKeptWholeAndRaisesOneNestedChange) {
    for (const Control field : {Control::txtW, Control::txtH}) {
        const std::string text = GetParam().text;
        bool writing = true;
        std::vector<std::string> seen;
        log.onChange = [&](Control changed) {
            EXPECT_EQ(changed, field);
            EXPECT_TRUE(writing) << "the change event runs inside the write";
            seen.push_back(form.Text(changed));
        };
        form.SetText(field, text);
        writing = false;
        EXPECT_EQ(form.Text(field), text);
        EXPECT_EQ(seen, std::vector<std::string>{text}) << "one change event, text already in";
        log.onChange = nullptr;
        form.SetText(field, "");
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, ProgramWrite, ::testing::ValuesIn(kWrites), RowName{});

TEST_F(PortContract, RewritingTheSameTextIsNoChange) {
    form.SetText(Control::txtW, "");
    EXPECT_TRUE(log.events.empty()) << "the field starts empty";
    form.SetText(Control::txtW, "1920");
    form.SetText(Control::txtW, "1920");
    EXPECT_EQ(log.Count("txtW_Change"), 1);
    form.SetText(Control::txtW, "");
    EXPECT_EQ(log.Count("txtW_Change"), 2);
    EXPECT_EQ(log.Count("txtH_Change"), 0);
}

TEST_F(PortContract, AWriteInsideAChangeEventNestsItsOwnChange) {
    log.onChange = [&](Control field) {
        if (field == Control::txtW) form.SetText(Control::txtH, "1080");
        log.Note("returned from " + std::string(field == Control::txtW ? "txtW" : "txtH"));
    };
    form.SetText(Control::txtW, "1920");
    log.Note("write returned");
    EXPECT_EQ(log.events,
              (std::vector<std::string>{"txtW_Change", "txtH_Change", "returned from txtH",
                                        "returned from txtW", "write returned"}));
}

// What the user types: a key event before each character, the limit of five.
struct TypeRow {
    const char* name;
    const char* before;  // written by the program first
    const char* keys;
    const char* after;
    std::vector<std::uint16_t> keyCodes;
};

const TypeRow kTyping[] = {
    {"FiveDigits", "", "12345", "12345", {49, 50, 51, 52, 53}},
    {"SixthRefused", "", "123456", "12345", {49, 50, 51, 52, 53, 54}},
    {"BackspaceDeletes", "", "12\b3", "13", {49, 50, 8, 51}},
    {"DiscardedByTheHandler", "", "1x2", "12", {49, 120, 50}},
    {"ReplacedByTheHandler", "", "a1", "71", {97, 49}},
    {"LongProgramTextTakesNoMore", "1234567", "8", "1234567", {56}},
    {"LongProgramTextCanShrink", "1234567", "\b", "123456", {8}},
};

class Typing : public PortContract, public ::testing::WithParamInterface<TypeRow> {};

TEST_P(Typing, KeyEventsThenTheFieldsOwnLimit) {
    const TypeRow& row = GetParam();
    // The handler throws away an 'x' and turns an 'a' into a '7'.
    log.keyPolicy = [](std::uint16_t& k) {
        if (k == 'x') k = 0;
        if (k == 'a') k = '7';
    };
    for (const Control field : {Control::txtW, Control::txtH}) {
        form.SetText(field, row.before);
        log.keys.clear();
        h->Type(field, row.keys);
        EXPECT_EQ(form.Text(field), row.after);
        EXPECT_EQ(log.keys, row.keyCodes);
        form.SetText(field, "");
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, Typing, ::testing::ValuesIn(kTyping), RowName{});

// The same paste leaves the same text in every window: the first line, cut to the
// room the limit leaves (counted in UTF-16 units, as the system's fields count),
// never inside a user-perceived character, nor beside one already in the field.
struct PasteRow {
    const char* name;
    const char* before;
    const char* pasted;
    Caret caret;
    const char* after;
};

const PasteRow kPastes[] = {
    {"Fits", "", "1920", Caret::End, "1920"},
    {"CutToTheLimitNotFiltered", "", "12ab345", Caret::End, "12ab3"},
    {"FillsTheRest", "123", "4567", Caret::End, "12345"},
    {"FullFieldTakesNothing", "12345", "6", Caret::End, "12345"},
    {"FirstLineOnly", "", "12\r\n34", Caret::End, "12"},
    {"FirstLineOnlyLineFeed", "1", "2\n3", Caret::End, "12"},
    {"PairThatFits", "12", "\U0001F6009", Caret::End, "12\U0001F6009"},
    {"PairAcrossTheLimit", "12", "34\U0001F600", Caret::End, "1234"},
    {"CombiningMarkAcrossTheLimit", "", "1234e\u0301", Caret::End, "1234"},
    {"VariationSelectorAcrossTheLimit", "1234", "\u2764\uFE0F", Caret::End, "1234"},
    {"SkinToneAcrossTheLimit", "12", "\U0001F44D\U0001F3FD", Caret::End, "12"},
    {"ZwjSequenceAcrossTheLimit", "1", "\U0001F469\u200D\U0001F4BB", Caret::End, "1"},
    {"FlagPairs", "", "\U0001F1ED\U0001F1FA\U0001F1EC\U0001F1E7", Caret::End,
     "\U0001F1ED\U0001F1FA"},
    {"FlagAcrossTheLimit", "12", "\U0001F1ED\U0001F1FA", Caret::End, "12"},
    {"EmojisBeforeAnEmoji", "\U0001F600", "\U0001F603\U0001F603\U0001F603", Caret::Start,
     "\U0001F603\U0001F600"},
    {"EmojisBeforeAnEmojiAndADigit", "\U0001F6001", "\U0001F603\U0001F603", Caret::Start,
     "\U0001F603\U0001F6001"},
    {"DigitsBeforeAnEmoji", "\U0001F600", "1234", Caret::Start, "123\U0001F600"},
    {"RepeatedTextAtTheStart", "1", "123456", Caret::Start, "12341"},
};

class Pasting : public PortContract, public ::testing::WithParamInterface<PasteRow> {};

TEST_P(Pasting, TakesWholeCharactersThatFitInFive) {
    const PasteRow& row = GetParam();
    form.SetText(Control::txtW, row.before);
    log.events.clear();
    h->Paste(Control::txtW, row.pasted, row.caret);
    EXPECT_EQ(form.Text(Control::txtW), row.after);
    EXPECT_EQ(log.Count("txtW_Change"), std::string(row.before) == row.after ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, Pasting, ::testing::ValuesIn(kPastes), RowName{});

// Undo and redo give back only texts the field showed, the program's longer ones
// whole: never one the user's limit cut.
TEST_F(PortContract, UndoAndRedoGiveBackOnlyShownTexts) {
    for (const Control field : {Control::txtW, Control::txtH}) {
        std::vector<std::string> shown{form.Text(field)};
        log.onChange = [&](Control changed) { shown.push_back(form.Text(changed)); };
        form.SetText(field, "49995000");
        h->TypeOver(field, "1");
        ASSERT_EQ(form.Text(field), "1");
        log.onChange = nullptr;  // what the steps bring back must be among these
        for (const bool undo : {true, false, true, true}) {
            undo ? h->Undo(field) : h->Redo(field);
            EXPECT_NE(std::find(shown.begin(), shown.end(), form.Text(field)), shown.end())
                << (undo ? "undo" : "redo") << " gave " << form.Text(field);
        }
        form.SetText(field, "");
    }
}

// Every route by which a character reaches a field passes it to the key event,
// once for each UTF-16 unit, and nothing else decides whether it goes in.
struct RouteRow {
    const char* name;
    const char* typed;  // UTF-8
    const char* after;
};

const RouteRow kRoutedCharacters[] = {
    {"LettersAndSigns", "abX.-", ""},
    {"AccentedBetweenDigits", "1\u00e92\u00e1", "12"},
    {"EmojiThenDigit", "\U0001F6003", "3"},
    {"DigitsPastTheLimit", "1234567", "12345"},
};

std::vector<std::uint16_t> Utf16Units(std::string_view utf8) {
    std::vector<std::uint16_t> units;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        char32_t c = lead & (0x7Fu >> extra);
        for (std::size_t k = 1; k <= extra; ++k) {
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
        }
        i += 1 + extra;
        if (c < 0x10000) {
            units.push_back(static_cast<std::uint16_t>(c));
        } else {
            units.push_back(static_cast<std::uint16_t>(0xD800 + ((c - 0x10000) >> 10)));
            units.push_back(static_cast<std::uint16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
    }
    return units;
}

class CharacterRoute : public PortContract, public ::testing::WithParamInterface<RouteRow> {};

TEST_P(CharacterRoute, GoesThroughTheKeyEvent) {
    const RouteRow& row = GetParam();
    log.keyPolicy = [](std::uint16_t& k) {
        if ((k < '0' || k > '9') && k != '\b') k = 0;
    };
    const std::vector<std::string> routes = h->CharacterRoutes();
    if (routes.empty()) GTEST_SKIP() << "plain keys only";
    for (const std::string& route : routes) {
        for (const Control field : {Control::txtW, Control::txtH}) {
            form.SetText(field, "");
            log.keys.clear();
            h->TypeThrough(route, field, row.typed);
            EXPECT_EQ(form.Text(field), row.after) << route;
            EXPECT_EQ(log.keys, Utf16Units(row.typed)) << route;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, CharacterRoute, ::testing::ValuesIn(kRoutedCharacters), RowName{});

// Captions in UTF-8, Hungarian letters included, come back as written.
TEST_F(PortContract, CaptionsRoundTrip) {
    const char* const texts[] = {
        "Árvíztűrő tükörfúrógép", "ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP", "Képarány számoló", "16 : 9", "-", ""};
    for (const Control c : {Control::frmMain, Control::lblTitle, Control::lblVersion,
                            Control::lblResult, Control::chLock}) {
        for (const char* text : texts) {
            form.SetCaption(c, text);
            EXPECT_EQ(form.Caption(c), text) << window::DesignOf(c).name;
        }
    }
    EXPECT_TRUE(log.events.empty());
}

TEST_F(PortContract, AutoSizeLabelsRefitToTheirCaption) {
    for (const Control c : {Control::lblTitle, Control::lblVersion}) {
        const window::ControlDesign& d = window::DesignOf(c);
        form.SetCaption(c, "v1");
        const double shortWidth = form.Width(c);
        form.SetCaption(c, "Árvíztűrő tükörfúrógép, ÁRVÍZTŰRŐ");
        const double longWidth = form.Width(c);
        EXPECT_GT(longWidth, shortWidth + 100) << d.name;
        EXPECT_GT(form.Height(c), 0) << d.name;
        form.SetCaption(c, "v1");
        EXPECT_EQ(form.Width(c), shortWidth) << d.name;
        // The left edge stays, or for right-aligned text the right edge.
        EXPECT_TRUE(form.Left(c) == d.left || (d.align == window::Align::Right &&
                                               form.Left(c) + form.Width(c) == d.left + d.width))
            << d.name << " at " << form.Left(c);
        EXPECT_EQ(form.Top(c), d.top) << d.name;
    }
    // A label without auto-size keeps its size.
    form.SetCaption(Control::lblResult, "123456789 : 123456789 : 123456789");
    EXPECT_EQ(form.Width(Control::lblResult), 353);
    EXPECT_EQ(form.Height(Control::lblResult), 41);
}

TEST_F(PortContract, ControlsStartAsDesigned) {
    for (const window::ControlDesign& d : window::Design()) {
        if (d.kind == window::Kind::Timer || d.kind == window::Kind::Line || d.autoSize) continue;
        EXPECT_EQ(form.Left(d.id), d.left) << d.name;
        EXPECT_EQ(form.Top(d.id), d.top) << d.name;
        EXPECT_EQ(form.Width(d.id), d.width) << d.name;
        EXPECT_EQ(form.Height(d.id), d.height) << d.name;
    }
    EXPECT_EQ(form.Text(Control::txtW), "");
    EXPECT_EQ(form.Text(Control::txtH), "");
    EXPECT_EQ(form.Value(Control::chLock), 0);
    EXPECT_EQ(form.ScaleWidth(), 401);
}

// Whole-number positions and sizes written on a shape or a flag read back exactly.
struct GeometryRow {
    const char* name;
    Control control;
    double left, top, width, height;
};

const GeometryRow kGeometry[] = {
    {"PreviewAtTheFrame", Control::shpScr, 40, 192, 320, 180},
    {"PreviewOnePixel", Control::shpScr, 199, 281, 1, 1},
    {"PreviewOddSizes", Control::shpScr, 41, 215, 319, 135},
    {"PreviewAtTheOrigin", Control::shpScr, 0, 0, 401, 409},
    {"OutlineMoved", Control::shp4_3, 81, 192, 240, 180},
    {"FlagOnItsTwin", Control::imgLangHUN_hl, 376, 4, 21, 20},
};

class Geometry : public PortContract, public ::testing::WithParamInterface<GeometryRow> {};

TEST_P(Geometry, WholeNumbersRoundTripExactly) {
    const GeometryRow& row = GetParam();
    form.SetLeft(row.control, row.left);
    form.SetTop(row.control, row.top);
    if (row.control == Control::shpScr) {
        form.SetWidth(row.control, row.width);
        form.SetHeight(row.control, row.height);
    }
    EXPECT_EQ(form.Left(row.control), row.left);
    EXPECT_EQ(form.Top(row.control), row.top);
    EXPECT_EQ(form.Width(row.control), row.width);
    EXPECT_EQ(form.Height(row.control), row.height);
    form.SetVisible(row.control, true);
    EXPECT_EQ(form.Width(row.control), row.width) << "showing keeps the size";
    form.SetVisible(row.control, false);
    EXPECT_EQ(form.Left(row.control), row.left) << "hiding keeps the place";
}

INSTANTIATE_TEST_SUITE_P(Rows, Geometry, ::testing::ValuesIn(kGeometry), RowName{});

}  // namespace
}  // namespace aspect::testing_support::contract
