// The real-window suite run against the Qt window, with real key and mouse events.
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QTemporaryDir>

#include "settings/file_registry.h"
#include "window_fixture.h"
#include "window_harness.h"

namespace aspect::testing_support {
namespace {

using window::QtForm;
using window::RealWindow;

Rgb ToRgb(const QColor& c) { return c.rgb() & 0xFFFFFFu; }

class QtWindowHarness final : public WindowHarness {
  public:
    void Start(settings::RegistryApi& store) override {
        win_.reset();
        win_ = std::make_unique<RealWindow>(store);
    }
    port::FormPort& Form() override { return win_->form; }
    const window::FrmMain& Behaviour() override { return win_->behaviour; }
    RecordingEvents& Events() override { return win_->recorder; }

    void Type(Control field, std::string_view keys) override {
        QLineEdit* edit = win_->Field(field);
        for (const char c : keys) {
            switch (c) {
                case '\b':
                    QTest::keyClick(edit, Qt::Key_Backspace);
                    break;
                case '\r':
                    QTest::keyClick(edit, Qt::Key_Return);
                    break;
                case '\x1b':
                    QTest::keyClick(edit, Qt::Key_Escape);
                    break;
                default:
                    if (c < 0x20) {
                        QTest::keyClick(edit, static_cast<char>('a' + c - 1), Qt::ControlModifier);
                    } else {
                        QTest::keyClick(edit, c);
                    }
            }
        }
    }
    void Press(Key key) override {
        const Qt::Key k = key == Key::Tab    ? Qt::Key_Tab
                          : key == Key::Home ? Qt::Key_Home
                                             : Qt::Key_Delete;
        QTest::keyClick(QApplication::focusWidget(), k);
    }
    void Paste(Control field, std::string_view text) override {
        QGuiApplication::clipboard()->setText(
            QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        QTest::keyClick(win_->Field(field), Qt::Key_Insert, Qt::ShiftModifier);
    }
    void SelectAll(Control field) override { win_->Field(field)->selectAll(); }
    void CaretToEnd(Control field) override { win_->Field(field)->end(false); }
    void MovePointer(int x, int y) override {
        QCursor::setPos(win_->form.mapToGlobal(QPoint(x, y)));
        QTest::mouseMove(&win_->form, QPoint(x, y));
    }
    void PointerAway() override {
        QCursor::setPos(win_->form.frameGeometry().topLeft() - QPoint(3, 3));
    }
    void Click(int x, int y, bool left) override {
        MovePointer(x, y);
        win_->ClickAt(QPoint(x, y), left ? Qt::LeftButton : Qt::RightButton);
    }
    void PressAndRelease(Control c) override { QTest::mouseClick(win_->W(c), Qt::LeftButton); }
    void Wait(int milliseconds) override { QTest::qWait(milliseconds); }

    Frame Window() override {
        const QtForm& f = win_->form;
        return {f.width(),
                f.height(),
                f.minimumSize() != f.maximumSize(),
                bool(f.windowFlags() & Qt::WindowMaximizeButtonHint),
                bool(f.windowFlags() & Qt::WindowMinimizeButtonHint),
                bool(f.windowFlags() & Qt::WindowCloseButtonHint)};
    }
    std::string Shown(Control c) override {
        if (c == Control::frmMain) return win_->form.windowTitle().toStdString();
        if (c == Control::chLock) return win_->Lock()->text().toStdString();
        if (c == Control::txtW || c == Control::txtH) return win_->Field(c)->text().toStdString();
        return win_->Label(c)->text().toStdString();
    }
    bool Visible(Control c) override { return !win_->W(c)->isHidden(); }
    Placement Placed(Control c) override {
        const QRect r = win_->W(c)->geometry();
        return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    }
    Control Focus() override {
        for (const Control c : {Control::txtW, Control::txtH, Control::chLock}) {
            if (win_->form.focusWidget() == win_->W(c)) return c;
        }
        return Control::frmMain;
    }
    bool Checked() override { return win_->Lock()->isChecked(); }
    bool TimerRunning() override { return win_->form.Timer().isActive(); }
    Rgb TextColour(Control field) override {
        return ToRgb(win_->Field(field)->palette().color(QPalette::Text));
    }
    Rgb Resolve(port::Colour colour) override { return ToRgb(win_->form.Resolve(colour)); }
    Pixels Grab() override {
        const QImage image = win_->form.grab().toImage();
        Pixels p{image.width(), image.height(), {}};
        for (int y = 0; y < p.height; ++y) {
            for (int x = 0; x < p.width; ++x) p.rgb.push_back(image.pixel(x, y) & 0xFFFFFFu);
        }
        return p;
    }
    std::vector<std::string> Opened() override {
        std::vector<std::string> out;
        for (const QString& url : win_->opened) out.push_back(url.toStdString());
        return out;
    }
    settings::RegistryApi* UserStore() override {
        if (!config_) config_ = std::make_unique<QTemporaryDir>();
        if (!config_->isValid()) return nullptr;
        stores_.push_back(std::make_unique<settings::FileRegistry>(
            (config_->path() + "/Morlane/registry.reg").toStdString()));
        return stores_.back().get();
    }

  private:
    std::unique_ptr<QTemporaryDir> config_;  // the user's configuration folder
    std::vector<std::unique_ptr<settings::FileRegistry>> stores_;
    std::unique_ptr<RealWindow> win_;  // closed before the stores it reads
};

}  // namespace

std::unique_ptr<WindowHarness> MakeWindowHarness() { return std::make_unique<QtWindowHarness>(); }

}  // namespace aspect::testing_support
