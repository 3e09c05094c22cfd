// Builds the window's widgets from the design table.
#include "qt_form.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QStringList>

#include "accessibility.h"
#include "check_box.h"
#include "field_edit.h"
#include "qt_pictures.h"
#include "shape_widget.h"
#include "window/events.h"
#include "window/placement.h"
#include "window/screen_reader.h"

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

}  // namespace

QtForm::QtForm(QWidget* parent) : QWidget(parent) {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(kClientWidth, kClientHeight);
    setWindowTitle(
        QString::fromUtf8(kDesignCaption.data(), static_cast<qsizetype>(kDesignCaption.size())));
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
    for (const ReaderControl& r : ReaderControls()) {
        if (r.role != ReaderRole::Button && r.role != ReaderRole::Link) continue;
        ExposeAs(Widget(r.control),
                 r.role == ReaderRole::Link ? AccessibleKind::Link : AccessibleKind::Button,
                 [this, c = r.control] {
                     if (events_) Press(*events_, c);
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
            auto* field = new FieldEdit(this);
            field->setFont(FontFor(d.font));
            field->setAlignment(Qt::AlignCenter);
            field->setAcceptDrops(false);
            QPalette pal = field->palette();
            pal.setColor(QPalette::Base, Resolve(d.back));
            pal.setColor(QPalette::Text, Resolve(d.fore));
            field->setPalette(pal);
            const Control id = d.id;
            connect(field, &QLineEdit::textChanged, this, [this, id] { TextChanged(events_, id); });
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
    const ScreenPlace at =
        PlaceInWorkArea(area.x(), area.y(), area.width(), area.height(), width(), height());
    move(at.left, at.top);
}

void QtForm::RefitAutoSize(Control control) {
    auto* label = static_cast<QLabel*>(widgets_[Index(control)]);
    const QFontMetrics fm(label->font());
    const int frame = 2 * label->frameWidth();
    const int w = fm.horizontalAdvance(label->text()) + frame;
    const int h = fm.height() + frame;
    const Box b = Refit({label->x(), label->y(), label->width(), label->height()},
                        DesignOf(control).align, w, h);
    label->setGeometry(b.left, b.top, b.width, b.height);
}

void QtForm::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    firstPaint_.Painted();
}

}  // namespace aspect::window
