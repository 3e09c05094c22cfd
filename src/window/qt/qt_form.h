#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include <QCheckBox>
#include <QLabel>
#include <QTimer>
#include <QTranslator>
#include <QWidget>

#include "first_paint.h"
#include "port/form_port.h"
#include "window/design.h"

namespace aspect::window {

class FieldEdit;

// The main window on Qt Widgets: builds the controls from their design and
// delivers their events to the behaviour.
class QtForm final : public QWidget, public FormPort {
  public:
    explicit QtForm(QWidget* parent = nullptr);

    // Events go to `events` from now on.
    void Bind(FormEvents& events) { events_ = &events; }

    // The widget of a control (none for the timer); for wiring and tests.
    QWidget* Widget(Control control) const;
    QTimer& Timer() { return timer_; }

    // Replaces the desktop's opening of addresses (tests never start a browser).
    void SetAddressOpener(std::function<void(const QString&)> opener) {
        opener_ = std::move(opener);
    }

    // Centres the window on its screen.
    void CentreOnScreen();

    // FormPort
    void SetCaption(port::Control control, std::string_view caption) override;
    std::string Caption(port::Control control) const override;
    std::string Text(port::Control field) const override;
    void SetText(port::Control field, std::string_view text) override;
    void SetAccessibleName(port::Control control, std::string_view name) override;
    void Announce(port::Control control) override;
    void SetForeColor(port::Control control, port::Colour colour) override;
    void SetFontUnderline(port::Control control, bool underline) override;
    std::int16_t Value(port::Control checkBox) const override;
    double Left(port::Control control) const override;
    double Top(port::Control control) const override;
    double Width(port::Control control) const override;
    double Height(port::Control control) const override;
    void SetLeft(port::Control control, double left) override;
    void SetTop(port::Control control, double top) override;
    void SetWidth(port::Control control, double width) override;
    void SetHeight(port::Control control, double height) override;
    void SetVisible(port::Control control, bool visible) override;
    double ScaleWidth() const override;
    port::OuterBounds WindowBounds() const override;
    port::ScreenPoint CursorPos() const override;
    void SetTimerEnabled(port::Control timer, bool enabled) override;
    void SetToolkitLanguage(std::int32_t language) override;
    void OpenAddress(std::string_view address) override;

    // Maps a colour value to the colour it shows in the current palette.
    QColor Resolve(Colour colour) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void Build(const ControlDesign& d);
    void RefitAutoSize(Control control);
    enum class Edge { Left, Top, Width, Height };
    void Reshape(Control control, Edge edge, double value);
    bool FilterKey(Control field, QKeyEvent* event);
    // What the key filter keeps of typed characters, each passed to it in turn.
    QString Filtered(Control field, const QString& typed);
    bool InsertFiltered(Control field, const QString& typed);
    void FilterCommit(Control field, QInputMethodEvent* event);
    FieldEdit* Field(Control field) const;

    std::array<QWidget*, 25> widgets_{};
    QTimer timer_;
    FormEvents* events_ = nullptr;
    Control pressed_ = Control::frmMain;  // the control a left press began on
    std::function<void(const QString&)> opener_;
    FirstPaintSignal firstPaint_;
    QTranslator toolkitTexts_;  // Qt's own Hungarian texts, installed while Hungarian
};

// Qt tells screen readers itself when a label's text (what it is read as) or a
// widget's accessible name or description changes; a second event would be read twice.
inline void QtForm::Announce(Control) {}

}  // namespace aspect::window
