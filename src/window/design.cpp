#include "window/design.h"

#include "language/homepage.h"

namespace aspect::window {

namespace {

constexpr FontDesign kFieldFont{Face::Arial, 14.25, true};
constexpr Colour kWhite = 0x00FFFFFF;
constexpr Colour kSilver = 0x00C0C0C0;
constexpr Colour kPanelGrey = 0x00E0E0E0;
constexpr Colour kRed = 0x000000FF;
constexpr Colour kBlack = 0x00000000;

// One control to a line or two, front-most first, laid out by hand for reading.
// clang-format off
constexpr std::array<ControlDesign, 24> kDesign = {{
    {.id = Control::tmrLang, .name = "tmrLang", .kind = Kind::Timer, .left = 0, .top = 0,
     .width = 0, .height = 0, .text = "", .visible = false},
    {.id = Control::chLock, .name = "chLock", .kind = Kind::CheckBox, .left = 288, .top = 80,
     .width = 89, .height = 25, .text = "Lock ratio"},
    {.id = Control::txtW, .name = "txtW", .kind = Kind::TextField, .left = 24, .top = 80,
     .width = 113, .height = 27, .text = "", .font = kFieldFont, .fore = kWindowText,
     .back = kWindowBackground, .align = Align::Centre},
    {.id = Control::txtH, .name = "txtH", .kind = Kind::TextField, .left = 160, .top = 80,
     .width = 113, .height = 27, .text = "", .font = kFieldFont, .fore = kWindowText,
     .back = kWindowBackground, .align = Align::Centre},
    {.id = Control::imgLangHUN_hl, .name = "imgLangHUN_hl", .kind = Kind::Picture, .left = 304,
     .top = 8, .width = 21, .height = 20, .text = "", .picture = PictureId::FlagHungarianLit},
    {.id = Control::imgLangENG_hl, .name = "imgLangENG_hl", .kind = Kind::Picture, .left = 280,
     .top = 8, .width = 21, .height = 20, .text = "", .picture = PictureId::FlagEnglishLit},
    {.id = Control::imgLangHUN, .name = "imgLangHUN", .kind = Kind::Picture, .left = 376,
     .top = 4, .width = 21, .height = 20, .text = "", .picture = PictureId::FlagHungarian},
    {.id = Control::imgLangENG, .name = "imgLangENG", .kind = Kind::Picture, .left = 352,
     .top = 4, .width = 21, .height = 20, .text = "", .picture = PictureId::FlagEnglish},
    {.id = Control::lblHomepage, .name = "lblHomepage", .kind = Kind::Label, .left = 288,
     .top = 52, .width = 105, .height = 17, .text = language::kHomepageCaption,
     .font = {Face::Arial, 8.25, true}, .back = kWindowBackground, .align = Align::Right},
    {.id = Control::Image2, .name = "Image2", .kind = Kind::Picture, .left = 82, .top = 41,
     .width = 16, .height = 16, .text = "", .picture = PictureId::Emblem},
    {.id = Control::Label5, .name = "Label5", .kind = Kind::Label, .left = 104, .top = 41,
     .width = 106, .height = 16, .text = "Morlane, 2026", .font = {Face::Arial, 9.75, true},
     .back = kWindowBackground, .autoSize = true},
    {.id = Control::lblTitle, .name = "lblTitle", .kind = Kind::Label, .left = 80, .top = 8,
     .width = 199, .height = 25, .text = "Calculate aspect ratio",
     .font = {Face::Georgia, 15.75, false}, .back = kWindowBackground, .autoSize = true},
    {.id = Control::Image3, .name = "Image3", .kind = Kind::Picture, .left = 8, .top = 2,
     .width = 64, .height = 64, .text = "", .picture = PictureId::Logo},
    {.id = Control::Line1, .name = "Line1", .kind = Kind::Line, .left = 0, .top = 70,
     .width = 528, .height = 0, .text = "", .fore = kButtonShadow, .outline = Outline::Solid},
    {.id = Control::lblVersion, .name = "lblVersion", .kind = Kind::Label, .left = 336,
     .top = 32, .width = 57, .height = 14, .text = "lblVersion",
     .font = {Face::Arial, 8.25, true}, .fore = kSilver, .back = kWhite, .align = Align::Right,
     .autoSize = true},
    {.id = Control::Label4, .name = "Label4", .kind = Kind::Label, .left = 248, .top = 388,
     .width = 121, .height = 17, .text = "4:3  |  16:10  |  16:9", .align = Align::Right},
    {.id = Control::shpScr, .name = "shpScr", .kind = Kind::Rectangle, .left = 104, .top = 216,
     .width = 57, .height = 49, .text = "", .fore = kRed, .visible = false,
     .outline = Outline::Dashed},
    {.id = Control::shp16_10, .name = "shp16_10", .kind = Kind::Rectangle, .left = 64,
     .top = 192, .width = 288, .height = 180, .text = "", .fore = kBlack,
     .outline = Outline::Solid},
    {.id = Control::shp16_9, .name = "shp16_9", .kind = Kind::Rectangle, .left = 40, .top = 192,
     .width = 320, .height = 180, .text = "", .fore = kBlack, .outline = Outline::Solid},
    {.id = Control::shp4_3, .name = "shp4_3", .kind = Kind::Rectangle, .left = 80, .top = 192,
     .width = 240, .height = 180, .text = "", .fore = kBlack, .outline = Outline::Solid},
    {.id = Control::Label1, .name = "Label1", .kind = Kind::Label, .left = 144, .top = 80,
     .width = 11, .height = 22, .text = "x", .font = kFieldFont, .autoSize = true},
    {.id = Control::lblResult, .name = "lblResult", .kind = Kind::Label, .left = 24, .top = 120,
     .width = 353, .height = 41, .text = "9999 : 9999", .font = {Face::Arial, 24, true},
     .back = kWindowBackground, .align = Align::Centre, .border = true},
    {.id = Control::Label3, .name = "Label3", .kind = Kind::Label, .left = 24, .top = 176,
     .width = 353, .height = 209, .text = "", .back = kPanelGrey, .border = true},
    {.id = Control::Shape1, .name = "Shape1", .kind = Kind::Rectangle, .left = 0, .top = 0,
     .width = 529, .height = 73, .text = "", .back = kWhite, .filled = true},
}};
// clang-format on

// The table is kept in the enum's order, so a control's design is found by index.
constexpr bool InEnumOrder() {
    for (std::size_t i = 0; i < kDesign.size(); ++i) {
        if (static_cast<std::size_t>(kDesign[i].id) != i) return false;
    }
    return true;
}
static_assert(InEnumOrder());

}  // namespace

const std::array<ControlDesign, 24>& Design() { return kDesign; }

const ControlDesign& DesignOf(Control id) { return kDesign.at(static_cast<std::size_t>(id)); }

}  // namespace aspect::window
