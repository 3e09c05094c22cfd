#include "qt_form.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include <QCursor>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QScreen>
#include <QStringList>
#include <QUrl>

#include "accessibility.h"
#include "check_box.h"
#include "field_edit.h"
#include "qt_pictures.h"
#include "shape_widget.h"

namespace aspect::window {

namespace {

std::size_t Index(Control c) { return static_cast<std::size_t>(c); }

// Point sizes are those of a 96 dots-per-inch display; pixel sizes keep the
// layout the same on every display (and scale with the device pixel ratio).
int PixelSize(double points) { return static_cast<int>(points * 96.0 / 72.0 + 0.5); }

QFont FontFor(const FontDesign& f) {
    QFont font;
    switch (f.face) {
        case Face::Arial:
        case Face::Dialog:
            // Liberation Sans has Arial's metrics.
            font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                              QStringLiteral("Arimo"), QStringLiteral("Helvetica")});
            font.setStyleHint(QFont::SansSerif);
            break;
        case Face::Georgia:
            // No face with Georgia's metrics ships with Debian; Liberation Serif is
            // the closest in width of those that do.
            font.setFamilies({QStringLiteral("Georgia"), QStringLiteral("Gelasio"),
                              QStringLiteral("Liberation Serif"), QStringLiteral("Tinos")});
            font.setStyleHint(QFont::Serif);
            break;
    }
    font.setPixelSize(PixelSize(f.points));
    font.setBold(f.bold);
    return font;
}

Qt::Alignment AlignmentFor(Align a) {
    switch (a) {
        case Align::Centre:
            return Qt::AlignHCenter | Qt::AlignTop;
        case Align::Right:
            return Qt::AlignRight | Qt::AlignTop;
        case Align::Left:
            break;
    }
    return Qt::AlignLeft | Qt::AlignTop;
}

ShapeWidget::Style StyleFor(Outline o) {
    switch (o) {
        case Outline::Solid:
            return ShapeWidget::Style::Solid;
        case Outline::Dashed:
            return ShapeWidget::Style::Dashed;
        case Outline::None:
            break;
    }
    return ShapeWidget::Style::None;
}

// The character code a key press types, as a native edit field would receive
// it; empty for keys that type nothing (navigation, Delete, Tab, shortcuts).
std::optional<std::uint16_t> TypedCode(const QKeyEvent& e) {
    const int key = e.key();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Delete) {
        return std::nullopt;
    }
    const Qt::KeyboardModifiers mods = e.modifiers();
    if (mods & (Qt::AltModifier | Qt::MetaModifier)) return std::nullopt;
    if (mods & Qt::ControlModifier) {
        // Ctrl with a letter types the control character 1 to 26 (Ctrl+V is 22).
        if (key >= Qt::Key_A && key <= Qt::Key_Z) {
            return static_cast<std::uint16_t>(key - Qt::Key_A + 1);
        }
        if (key == Qt::Key_Backspace) return 127;
        return std::nullopt;
    }
    const QString text = e.text();
    if (text.isEmpty()) return std::nullopt;
    return text.at(0).unicode();
}

constexpr std::uint16_t kBackspace = 8;

}  // namespace

QtForm::QtForm(QWidget* parent) : QWidget(parent) {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kClientWidth, kClientHeight);
    setWindowTitle(QString::fromUtf8(kDesignCaption.data(),
                                     static_cast<qsizetype>(kDesignCaption.size())));
    setWindowIcon(WindowIcon());
    setFont(FontFor(FontDesign{}));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Resolve(kButtonFace));
    setPalette(pal);
    setAutoFillBackground(true);
    setMouseTracking(true);  // the bare surface's move event

    // Created back-most first, so that each control is drawn over those behind it.
    const auto& design = Design();
    for (auto it = design.rbegin(); it != design.rend(); ++it) Build(*it);
    // Fields and the check box lie in front of everything else.
    Widget(Control::txtH)->raise();
    Widget(Control::txtW)->raise();
    Widget(Control::chLock)->raise();

    // Screen readers can follow the link and switch the language without the pointer.
    ExposeAs(this, AccessibleKind::Window);
    ExposeAs(Widget(Control::lblHomepage), AccessibleKind::Link, [this] {
        if (events_) events_->lblHomepage_Click();
    });
    for (const Control c : {Control::imgLangENG, Control::imgLangENG_hl}) {
        ExposeAs(Widget(c), AccessibleKind::Button, [this] {
            if (events_) events_->imgLangENG_hl_Click();
        });
    }
    for (const Control c : {Control::imgLangHUN, Control::imgLangHUN_hl}) {
        ExposeAs(Widget(c), AccessibleKind::Button, [this] {
            if (events_) events_->imgLangHUN_hl_Click();
        });
    }

    setTabOrder(Widget(Control::txtW), Widget(Control::txtH));
    setTabOrder(Widget(Control::txtH), Widget(Control::chLock));
    Widget(Control::txtW)->setFocus();

    timer_.setInterval(kTimerInterval);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (events_) events_->tmrLang_Timer();
    });
}

void QtForm::Build(const ControlDesign& d) {
    const QString text = QString::fromUtf8(d.text.data(), static_cast<qsizetype>(d.text.size()));
    QWidget* w = nullptr;
    switch (d.kind) {
        case Kind::Timer:
            return;
        case Kind::CheckBox: {
            auto* box = new WrappingCheckBox(text, this);
            box->setFocusPolicy(Qt::StrongFocus);
            w = box;
            break;
        }
        case Kind::TextField: {
            auto* field = new FieldEdit(kUserTextLimit, this);
            field->setFont(FontFor(d.font));
            field->setAlignment(Qt::AlignCenter);
            field->setAcceptDrops(false);
            QPalette pal = field->palette();
            pal.setColor(QPalette::Base, Resolve(d.back));
            pal.setColor(QPalette::Text, Resolve(d.fore));
            field->setPalette(pal);
            const Control id = d.id;
            connect(field, &QLineEdit::textChanged, this, [this, id] {
                if (!events_) return;
                if (id == Control::txtW) {
                    events_->txtW_Change();
                } else {
                    events_->txtH_Change();
                }
            });
            w = field;
            break;
        }
        case Kind::Picture: {
            auto* picture = new QLabel(this);
            // Drawn for the screen's pixel density, which Qt would otherwise reach by
            // smooth scaling, blurring the flags' fixed pixels.
            const int scale = std::max(1, static_cast<int>(std::ceil(devicePixelRatioF())));
            picture->setPixmap(QPixmap::fromImage(PictureImage(d.picture, scale)));
            w = picture;
            break;
        }
        case Kind::Label: {
            auto* label = new QLabel(text, this);
            label->setTextFormat(Qt::PlainText);
            label->setFont(FontFor(d.font));
            label->setAlignment(AlignmentFor(d.align));
            label->setAutoFillBackground(true);
            QPalette pal = label->palette();
            pal.setColor(QPalette::Window, Resolve(d.back));
            pal.setColor(QPalette::WindowText, Resolve(d.fore));
            label->setPalette(pal);
            if (d.border) {
                label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
                label->setLineWidth(1);
            }
            label->setIndent(0);
            w = label;
            break;
        }
        case Kind::Line:
        case Kind::Rectangle: {
            w = new ShapeWidget(StyleFor(d.outline), Resolve(d.fore), d.filled, Resolve(d.back),
                                this);
            break;
        }
    }
    widgets_[Index(d.id)] = w;
    w->setObjectName(QString::fromUtf8(d.name.data(), static_cast<qsizetype>(d.name.size())));
    w->setGeometry(d.left, d.top, d.width, d.kind == Kind::Line ? 1 : d.height);
    w->setVisible(d.visible);
    if (d.kind == Kind::Label || d.kind == Kind::Picture || d.kind == Kind::TextField ||
        d.kind == Kind::CheckBox) {
        // These take the pointer's events themselves; nothing passes to the window.
        w->setAttribute(Qt::WA_NoMousePropagation);
        w->installEventFilter(this);
    }
    if (d.id == Control::imgLangENG || d.id == Control::imgLangHUN ||
        d.id == Control::lblHomepage) {
        w->setMouseTracking(true);
    }
    if (d.kind == Kind::Picture) w->setFixedSize(w->sizeHint());
    if (d.autoSize) RefitAutoSize(d.id);
}

QWidget* QtForm::Widget(Control control) const {
    if (control == Control::frmMain) return const_cast<QtForm*>(this);
    return widgets_[Index(control)];
}

FieldEdit* QtForm::Field(Control field) const {
    return static_cast<FieldEdit*>(widgets_[Index(field)]);
}

void QtForm::CentreOnScreen() {
    const QScreen* s = screen();
    if (!s) return;
    const QRect area = s->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

void QtForm::RefitAutoSize(Control control) {
    auto* label = static_cast<QLabel*>(widgets_[Index(control)]);
    const QFontMetrics fm(label->font());
    const int frame = 2 * label->frameWidth();
    const int w = fm.horizontalAdvance(label->text()) + frame;
    const int h = fm.height() + frame;
    // A right-aligned label keeps its right edge where it was designed.
    const ControlDesign& d = DesignOf(control);
    const int left = d.align == Align::Right ? label->geometry().right() + 1 - w : label->x();
    label->setGeometry(left, label->y(), w, h);
}

void QtForm::SetCaption(Control control, std::string_view caption) {
    const QString text = QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
    if (control == Control::frmMain) {
        setWindowTitle(text);
        return;
    }
    QWidget* w = Widget(control);
    if (auto* box = qobject_cast<QCheckBox*>(w)) {
        box->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(text);
        if (DesignOf(control).autoSize) RefitAutoSize(control);
    }
}

std::string QtForm::Caption(Control control) const {
    if (control == Control::frmMain) return windowTitle().toStdString();
    QWidget* w = Widget(control);
    if (auto* box = qobject_cast<QCheckBox*>(w)) return box->text().toStdString();
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text().toStdString();
    return {};
}

std::string QtForm::Text(Control field) const { return Field(field)->text().toStdString(); }

void QtForm::SetText(Control field, std::string_view text) {
    Field(field)->SetProgramText(
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

QColor QtForm::Resolve(Colour colour) const {
    if (colour & kSystemColour) {
        const QPalette pal = QGuiApplication::palette();
        switch (colour & ~kSystemColour) {
            case 5:
                return pal.color(QPalette::Base);
            case 8:
                return pal.color(QPalette::Text);
            case 15:
                return pal.color(QPalette::Button);
            case 16:
                return pal.color(QPalette::Dark);
            case 18:
                return pal.color(QPalette::ButtonText);
            default:
                return pal.color(QPalette::WindowText);
        }
    }
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

void QtForm::SetAccessibleName(Control control, std::string_view name) {
    const QString text = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    QWidget* w = Widget(control);
    // A label's accessible name would replace its text for screen readers.
    if (control != Control::frmMain && DesignOf(control).kind == Kind::Label) {
        w->setAccessibleDescription(text);
    } else {
        w->setAccessibleName(text);
    }
}

void QtForm::SetForeColor(Control control, Colour colour) {
    QWidget* w = Widget(control);
    QPalette pal = w->palette();
    const QColor c = Resolve(colour);
    if (qobject_cast<QLineEdit*>(w)) {
        pal.setColor(QPalette::Text, c);
    } else {
        pal.setColor(QPalette::WindowText, c);
        pal.setColor(QPalette::ButtonText, c);
    }
    w->setPalette(pal);
}

void QtForm::SetFontUnderline(Control control, bool underline) {
    QWidget* w = Widget(control);
    QFont f = w->font();
    f.setUnderline(underline);
    w->setFont(f);
}

std::int16_t QtForm::Value(Control checkBox) const {
    return static_cast<QCheckBox*>(Widget(checkBox))->isChecked() ? 1 : 0;
}

double QtForm::Left(Control control) const { return Widget(control)->x(); }
double QtForm::Top(Control control) const { return Widget(control)->y(); }
double QtForm::Width(Control control) const { return Widget(control)->width(); }
double QtForm::Height(Control control) const { return Widget(control)->height(); }

// Positions and sizes the behaviour writes are whole pixels.
void QtForm::SetLeft(Control control, double left) {
    QWidget* w = Widget(control);
    w->move(qRound(left), w->y());
}
void QtForm::SetTop(Control control, double top) {
    QWidget* w = Widget(control);
    w->move(w->x(), qRound(top));
}
void QtForm::SetWidth(Control control, double width) {
    QWidget* w = Widget(control);
    w->resize(qRound(width), w->height());
}
void QtForm::SetHeight(Control control, double height) {
    QWidget* w = Widget(control);
    w->resize(w->width(), qRound(height));
}

void QtForm::SetVisible(Control control, bool visible) { Widget(control)->setVisible(visible); }

double QtForm::ScaleWidth() const { return width(); }

OuterBounds QtForm::WindowBounds() const {
    // Device-independent pixels, the unit of the pointer position too.
    const QRect r = frameGeometry();
    return {static_cast<double>(r.x()) * kTwipsPerPixel, static_cast<double>(r.y()) * kTwipsPerPixel,
            static_cast<double>(r.width()) * kTwipsPerPixel,
            static_cast<double>(r.height()) * kTwipsPerPixel};
}

ScreenPoint QtForm::CursorPos() const {
    const QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

void QtForm::SetTimerEnabled(Control, bool enabled) {
    if (!enabled) {
        timer_.stop();
    } else if (!timer_.isActive()) {
        timer_.start();
    }
}

void QtForm::OpenAddress(std::string_view address) {
    const QString url = QString::fromUtf8(address.data(), static_cast<qsizetype>(address.size()));
    if (opener_) {
        opener_(url);
        return;
    }
    // Starts the desktop's handler and returns without waiting for it.
    QDesktopServices::openUrl(QUrl(url));
}

void QtForm::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    firstPaint_.Painted();
}

void QtForm::mouseMoveEvent(QMouseEvent* event) {
    if (events_) events_->Form_MouseMove();
    event->accept();
}

bool QtForm::FilterKey(Control field, QKeyEvent* event) {
    const std::optional<std::uint16_t> typed = TypedCode(*event);
    if (!typed) return false;
    std::uint16_t key = *typed;
    if (field == Control::txtW) {
        events_->txtW_KeyPress(key);
    } else {
        events_->txtH_KeyPress(key);
    }
    if (key == 0) return true;  // discarded
    FieldEdit* edit = Field(field);
    if (key != kBackspace && edit->WouldExceedLimit()) return true;  // the field is full
    if (key != *typed) {
        edit->insert(QString(QChar(key)));
        return true;
    }
    return false;
}

bool QtForm::eventFilter(QObject* watched, QEvent* event) {
    if (!events_ || !watched->isWidgetType()) return false;
    const auto* w = static_cast<QWidget*>(watched);
    Control c = Control::frmMain;
    for (std::size_t i = 0; i < widgets_.size(); ++i) {
        if (widgets_[i] == w) c = static_cast<Control>(i);
    }
    switch (event->type()) {
        case QEvent::KeyPress:
            if (c == Control::txtW || c == Control::txtH) {
                return FilterKey(c, static_cast<QKeyEvent*>(event));
            }
            return false;
        case QEvent::MouseMove:
            switch (c) {
                case Control::imgLangENG:
                    events_->imgLangENG_MouseMove();
                    return true;
                case Control::imgLangHUN:
                    events_->imgLangHUN_MouseMove();
                    return true;
                case Control::lblHomepage:
                    events_->lblHomepage_MouseMove();
                    return true;
                default:
                    return false;
            }
        case QEvent::MouseButtonPress: {
            const auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() != Qt::LeftButton) return false;
            if (c == Control::imgLangENG_hl || c == Control::imgLangHUN_hl ||
                c == Control::lblHomepage) {
                pressed_ = c;
                return true;
            }
            return false;
        }
        case QEvent::MouseButtonRelease: {
            const auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() != Qt::LeftButton || c != pressed_) return false;
            pressed_ = Control::frmMain;
            // A click is a press and a release on the same control.
            if (!w->rect().contains(me->position().toPoint())) return true;
            if (c == Control::imgLangENG_hl) {
                events_->imgLangENG_hl_Click();
            } else if (c == Control::imgLangHUN_hl) {
                events_->imgLangHUN_hl_Click();
            } else {
                events_->lblHomepage_Click();
            }
            return true;
        }
        default:
            return false;
    }
}

}  // namespace aspect::window
