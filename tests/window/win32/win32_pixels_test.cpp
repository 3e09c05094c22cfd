#include <gtest/gtest.h>

#include "support/memory_registry.h"
#include "win32_fixture.h"
#include "window/pictures.h"

namespace aspect::window {
namespace {

using testing_support::MemoryRegistry;

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

// How many pixels of the control's picture on the screen differ from the bitmap.
int PictureMismatches(const Grab& g, Win32Window& win, Control c, int scale) {
    const Bitmap want = PictureBitmap(DesignOf(c).picture, scale);
    const RECT r = win.ClientRectOf(c);
    if (r.right - r.left != want.width || r.bottom - r.top != want.height) return -1;
    int wrong = 0;
    for (int y = 0; y < want.height; ++y) {
        for (int x = 0; x < want.width; ++x) {
            const Rgb p = want.At(x, y);
            wrong += g.At(r.left + x, r.top + y) != RGB(p.r, p.g, p.b);
        }
    }
    return wrong;
}

// The starts and lengths of the runs of `colour` along a row.
std::vector<std::pair<int, int>> Runs(const Grab& g, int y, COLORREF colour) {
    std::vector<std::pair<int, int>> runs;
    for (int x = 0; x < g.width; ++x) {
        if (g.At(x, y) != colour) continue;
        if (!runs.empty() && runs.back().first + runs.back().second == x) {
            ++runs.back().second;
        } else {
            runs.emplace_back(x, 1);
        }
    }
    return runs;
}

int RedAlong(const Grab& g, int x, int fromY, int toY) {
    int red = 0;
    for (int y = fromY; y < toY; ++y) red += g.At(x, y) == kRed;
    return red;
}

// `grab` reads what the window shows.
void ExpectPicturesAsDrawn(Win32Window& win, int scale, Grab (*grab)(Win32Window&)) {
    const Grab plain = grab(win);
    for (const Control c :
         {Control::Image3, Control::Image2, Control::imgLangENG, Control::imgLangHUN}) {
        EXPECT_EQ(PictureMismatches(plain, win, c, scale), 0) << DesignOf(c).name;
    }
    for (const auto& [plainFlag, lit] : {std::pair{Control::imgLangENG, Control::imgLangENG_hl},
                                         std::pair{Control::imgLangHUN, Control::imgLangHUN_hl}}) {
        win.MoveTo(win.CentreOf(plainFlag));
        ASSERT_TRUE(win.Visible(lit));
        EXPECT_EQ(PictureMismatches(grab(win), win, lit, scale), 0) << DesignOf(lit).name;
    }
}

TEST(Win32Pixels, PicturesOnScreenAreTheSharedBitmaps) {
    MemoryRegistry store;
    Win32Window win(store);
    ExpectPicturesAsDrawn(win, 1, [](Win32Window& w) { return GrabClient(w.Hwnd()); });
}

// The window as the system lays it out on a monitor of 192 dots per inch, at
// the top left of the screen.
void MoveToDoubleDensity(Win32Window& win) {
    RECT r{};
    GetWindowRect(win.Hwnd(), &r);
    OffsetRect(&r, -r.left, -r.top);
    SendMessageW(win.Hwnd(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&r));
    Pump(50);
}

// What the window paints (the scene that its label and picture windows show
// their parts of), read from memory: at 192 dots per inch the window is taller
// than a small virtual desktop.
Grab Scene(Win32Window& win) {
    return GrabDrawing(
        win.Hwnd(), [&win](HDC mem, HDC, const RECT& client) { win.form.PaintScene(mem, client); });
}

TEST(Win32HighDensity, LaysItselfOutAtTwiceTheDesignPixels) {
    MemoryRegistry store;
    Win32Window win(store);
    MoveToDoubleDensity(win);
    RECT client{};
    GetClientRect(win.Hwnd(), &client);
    EXPECT_EQ(client.right, 802);
    EXPECT_EQ(client.bottom, 818);
    // The behaviour still sees design pixels.
    EXPECT_EQ(win.form.ScaleWidth(), 401);
    EXPECT_EQ(win.form.Left(Control::shp16_9), 40);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(win.H(Control::txtW), WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    ASSERT_TRUE(GetObjectW(font, sizeof lf, &lf));
    EXPECT_EQ(lf.lfHeight, -38) << "14.25 points at 192 dots per inch";

    win.Type(Control::txtW, L"1920");
    win.Type(Control::txtH, L"1080");
    const Grab g = Scene(win);
    // Every outline two device pixels wide, at twice its design position.
    const std::vector<std::pair<int, int>> expected = {{80, 2},  {112, 2}, {160, 2},
                                                       {638, 2}, {686, 2}, {718, 2}};
    EXPECT_EQ(Runs(g, 2 * 300, kBlack), expected);
    // The 16:9 preview fills the frame: red dashes on both of its side edges.
    EXPECT_GT(RedAlong(g, 80, 2 * 193, 2 * 371), 80);
    EXPECT_GT(RedAlong(g, 719, 2 * 193, 2 * 371), 80);
}

TEST(Win32HighDensity, PicturesAreWholeMultiplesOfTheirPixels) {
    MemoryRegistry store;
    Win32Window win(store);
    MoveToDoubleDensity(win);
    ExpectPicturesAsDrawn(win, 2, Scene);
}

TEST(Win32HighDensity, LeavingTheWindowStillClearsTheHighlight) {
    MemoryRegistry store;
    Win32Window win(store);
    MoveToDoubleDensity(win);
    win.MoveTo(win.CentreOf(Control::lblHomepage));
    ASSERT_EQ(win.behaviour.Hover().HoverState(), 3);
    RECT r{};
    GetWindowRect(win.Hwnd(), &r);
    win.MoveToScreen({r.right - 1, r.top + 100});
    Pump(3 * kTimerInterval);
    EXPECT_EQ(win.behaviour.Hover().HoverState(), 3) << "the last column is inside";
    win.MoveToScreen({r.right, r.top + 100});
    Pump(3 * kTimerInterval);
    EXPECT_EQ(win.behaviour.Hover().HoverState(), 0);
}

}  // namespace
}  // namespace aspect::window
