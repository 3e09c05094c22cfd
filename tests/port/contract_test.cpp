// The port's promises, run against one implementation of it (see port_harness.h):
// what the behaviour may rely on whichever window carries it.
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "port/form_port.h"
#include "support/port_harness.h"
#include "support/row_name.h"
#include "window/design.h"

namespace aspect::testing_support {
namespace {

using port::Control;

// Records the window's events in order; each test may add what a handler does.
class Log final : public port::FormEvents {
  public:
    explicit Log(PortHarness& h) : h_(h) {}

    std::vector<std::string> events;
    std::vector<double> ticks;                      // when the timer fired
    std::function<void(std::uint16_t&)> keyPolicy;  // may change a typed code
    std::function<void(Control field)> onChange;    // runs inside a change event
    std::vector<std::uint16_t> keys;                // codes as the key events saw them

    void Form_Load() override { Note("Form_Load"); }
    void Form_MouseMove() override { Note("Form_MouseMove"); }
    void txtW_KeyPress(std::uint16_t& k) override { Key(k); }
    void txtH_KeyPress(std::uint16_t& k) override { Key(k); }
    void txtW_Change() override { Change(Control::txtW, "txtW_Change"); }
    void txtH_Change() override { Change(Control::txtH, "txtH_Change"); }
    void imgLangENG_MouseMove() override { Note("imgLangENG_MouseMove"); }
    void imgLangHUN_MouseMove() override { Note("imgLangHUN_MouseMove"); }
    void lblHomepage_MouseMove() override { Note("lblHomepage_MouseMove"); }
    void imgLangENG_hl_Click() override { Note("imgLangENG_hl_Click"); }
    void imgLangHUN_hl_Click() override { Note("imgLangHUN_hl_Click"); }
    void lblHomepage_Click() override { Note("lblHomepage_Click"); }
    void tmrLang_Timer() override {
        Note("tmrLang_Timer");
        ticks.push_back(h_.Now());
    }

    void Note(std::string e) { events.push_back(std::move(e)); }
    int Count(const std::string& e) const {
        return static_cast<int>(std::count(events.begin(), events.end(), e));
    }

  private:
    void Key(std::uint16_t& k) {
        keys.push_back(k);
        if (keyPolicy) keyPolicy(k);
    }
    void Change(Control field, const char* name) {
        Note(name);
        if (onChange) onChange(field);
    }

    PortHarness& h_;
};

class PortContract : public ::testing::Test {
  protected:
    void SetUp() override { h->Bind(log); }

    std::unique_ptr<PortHarness> h = MakePortHarness();
    port::FormPort& form = h->Form();
    Log log{*h};
};

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

struct PasteRow {
    const char* name;
    const char* before;
    const char* pasted;
    const char* after;
};

const PasteRow kPastes[] = {
    {"Fits", "", "1920", "1920"},
    {"CutToTheLimit", "", "1234567", "12345"},
    {"FillsTheRest", "123", "4567", "12345"},
    {"FullFieldTakesNothing", "12345", "6", "12345"},
};

class Pasting : public PortContract, public ::testing::WithParamInterface<PasteRow> {};

TEST_P(Pasting, TakesWhatFitsInFiveCharacters) {
    const PasteRow& row = GetParam();
    form.SetText(Control::txtW, row.before);
    log.events.clear();
    h->Paste(Control::txtW, row.pasted);
    EXPECT_EQ(form.Text(Control::txtW), row.after);
    EXPECT_EQ(log.Count("txtW_Change"), std::string(row.before) == row.after ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Rows, Pasting, ::testing::ValuesIn(kPastes), RowName{});

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

// Where pointer moves and clicks go: labels and pictures take them (and drop
// those they have no handler for), bare background, rectangles and lines pass
// them to the window.
struct PointerRow {
    const char* name;
    int x, y;
    const char* move;   // the event a move raises, or ""
    const char* click;  // the event a click raises, or ""
};

const PointerRow kPointer[] = {
    {"BareBackground", 1, 408, "Form_MouseMove", ""},
    {"BareWhiteBand", 240, 50, "Form_MouseMove", ""},
    {"SeparatorLine", 230, 70, "Form_MouseMove", ""},
    {"GreyPanel", 200, 280, "", ""},
    {"OutlineOnThePanel", 40, 250, "", ""},
    {"ResultBox", 200, 140, "", ""},
    {"Title", 150, 20, "", ""},
    {"Logo", 40, 34, "", ""},
    {"Emblem", 90, 49, "", ""},
    {"WidthField", 80, 93, "", ""},
    {"EnglishFlag", 362, 14, "imgLangENG_MouseMove", ""},
    {"HungarianFlag", 386, 14, "imgLangHUN_MouseMove", ""},
    {"LitEnglishFlag", 290, 18, "", "imgLangENG_hl_Click"},
    {"LitHungarianFlag", 314, 18, "", "imgLangHUN_hl_Click"},
    {"Link", 340, 60, "lblHomepage_MouseMove", "lblHomepage_Click"},
};

class Pointer : public PortContract, public ::testing::WithParamInterface<PointerRow> {};

std::vector<std::string> Only(const char* event) {
    return *event ? std::vector<std::string>{event} : std::vector<std::string>{};
}

TEST_P(Pointer, ReachesTheControlInFront) {
    const PointerRow& row = GetParam();
    h->MovePointer(row.x, row.y);
    EXPECT_EQ(log.events, Only(row.move));
    log.events.clear();
    h->Click(row.x, row.y);
    EXPECT_EQ(log.events, Only(row.click));
    EXPECT_EQ(form.Value(Control::chLock), 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, Pointer, ::testing::ValuesIn(kPointer), RowName{});

TEST_F(PortContract, HiddenControlsTakeNoPointerEvents) {
    // The lit flag laid on its plain twin, as start-up does.
    form.SetLeft(Control::imgLangHUN_hl, form.Left(Control::imgLangHUN));
    form.SetTop(Control::imgLangHUN_hl, form.Top(Control::imgLangHUN));
    const int x = 386, y = 14;
    h->MovePointer(x, y);
    h->Click(x, y);
    EXPECT_EQ(log.events, (std::vector<std::string>{"imgLangHUN_hl_Click"}))
        << "the lit flag in front";
    form.SetVisible(Control::imgLangHUN_hl, false);
    log.events.clear();
    h->MovePointer(x + 1, y);
    h->Click(x + 1, y);
    EXPECT_EQ(log.events, (std::vector<std::string>{"imgLangHUN_MouseMove"})) << "the plain flag";
    // A hidden label lets the window's surface behind it have the move.
    form.SetVisible(Control::lblResult, false);
    log.events.clear();
    h->MovePointer(200, 140);
    EXPECT_EQ(log.events, (std::vector<std::string>{"Form_MouseMove"}));
    form.SetVisible(Control::lblResult, true);
    log.events.clear();
    h->MovePointer(201, 141);
    EXPECT_TRUE(log.events.empty());
}

TEST_F(PortContract, CheckBoxClicksToggleItsValueSilently) {
    const window::ControlDesign& d = window::DesignOf(Control::chLock);
    for (const int expected : {1, 0, 1}) {
        h->Click(d.left + 6, d.top + 12);
        EXPECT_EQ(form.Value(Control::chLock), expected);
    }
    EXPECT_TRUE(log.events.empty());
}

TEST_F(PortContract, PointerInsideTheClientAreaIsInsideTheBounds) {
    const port::OuterBounds b = form.WindowBounds();
    EXPECT_GE(b.width, 401.0 * port::kTwipsPerPixel);
    EXPECT_GE(b.height, 409.0 * port::kTwipsPerPixel);
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{400, 408}, std::pair{200, 100}}) {
        h->MovePointer(x, y);
        const port::ScreenPoint p = form.CursorPos();
        const double tx = static_cast<double>(p.x) * port::kTwipsPerPixel;
        const double ty = static_cast<double>(p.y) * port::kTwipsPerPixel;
        EXPECT_TRUE(tx >= b.left && tx < b.left + b.width) << x << "," << y;
        EXPECT_TRUE(ty >= b.top && ty < b.top + b.height) << x << "," << y;
    }
}

// The timer: nothing while disabled, a tick each interval while enabled, and a
// fresh interval from each enabling. Lower bounds only: a busy machine makes
// ticks late, never much early: a coarse timer may take 5% off each interval,
// and the clocks differ by up to a millisecond.
constexpr double kShortest = window::kTimerInterval * 0.95 - 1;  // milliseconds

TEST_F(PortContract, DisabledTimerNeverTicks) {
    h->Wait(3 * window::kTimerInterval);
    form.SetTimerEnabled(Control::tmrLang, true);
    form.SetTimerEnabled(Control::tmrLang, false);
    h->Wait(3 * window::kTimerInterval);
    EXPECT_TRUE(log.ticks.empty());
}

TEST_F(PortContract, EnabledTimerTicksEveryInterval) {
    const double start = h->Now();
    form.SetTimerEnabled(Control::tmrLang, true);
    h->Wait(4 * window::kTimerInterval - 30);
    form.SetTimerEnabled(Control::tmrLang, false);
    ASSERT_GE(log.ticks.size(), 1u);
    // The k-th tick comes k intervals after the start, or later; a late tick
    // does not push the later ones back.
    for (std::size_t k = 0; k < log.ticks.size(); ++k) {
        EXPECT_GE(log.ticks[k] - start, static_cast<double>(k + 1) * kShortest) << k;
    }
}

TEST_F(PortContract, EnablingADisabledTimerStartsAFreshInterval) {
    form.SetTimerEnabled(Control::tmrLang, true);
    h->Wait(window::kTimerInterval * 6 / 10);
    form.SetTimerEnabled(Control::tmrLang, false);
    const double restart = h->Now();
    form.SetTimerEnabled(Control::tmrLang, true);
    h->Wait(window::kTimerInterval * 2);
    form.SetTimerEnabled(Control::tmrLang, false);
    std::vector<double> after;
    for (const double t : log.ticks) {
        if (t >= restart) after.push_back(t);
    }
    ASSERT_FALSE(after.empty());
    EXPECT_GE(after[0] - restart, kShortest) << "the old interval ran on";
}

TEST_F(PortContract, OpeningAnAddressReturnsAtOnceAndRaisesNothing) {
    form.OpenAddress("https://morlane.example/");
    EXPECT_EQ(h->Opened(), std::vector<std::string>{"https://morlane.example/"});
    EXPECT_TRUE(log.events.empty());
}

}  // namespace
}  // namespace aspect::testing_support
