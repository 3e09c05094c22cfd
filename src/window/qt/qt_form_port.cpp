// The port's reads and writes on the Qt widgets.
#include "qt_form.h"

#include <QCheckBox>
#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QLibraryInfo>
#include <QPalette>
#include <QUrl>

#include "field_edit.h"
#include "window/events.h"

namespace aspect::window {

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
void QtForm::Reshape(Control control, Edge edge, double value) {
    QWidget* w = Widget(control);
    QRect r = w->geometry();
    const int v = qRound(value);
    switch (edge) {
        case Edge::Left:
            r.moveLeft(v);
            break;
        case Edge::Top:
            r.moveTop(v);
            break;
        case Edge::Width:
            r.setWidth(v);
            break;
        case Edge::Height:
            r.setHeight(v);
            break;
    }
    w->setGeometry(r);
}

void QtForm::SetLeft(Control control, double left) { Reshape(control, Edge::Left, left); }
void QtForm::SetTop(Control control, double top) { Reshape(control, Edge::Top, top); }
void QtForm::SetWidth(Control control, double width) { Reshape(control, Edge::Width, width); }
void QtForm::SetHeight(Control control, double height) { Reshape(control, Edge::Height, height); }

void QtForm::SetVisible(Control control, bool visible) { Widget(control)->setVisible(visible); }

double QtForm::ScaleWidth() const { return width(); }

OuterBounds QtForm::WindowBounds() const {
    // Device-independent pixels, the unit of the pointer position too.
    const QRect r = frameGeometry();
    return BoundsInTwips(r.x(), r.y(), r.width(), r.height());
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

void QtForm::SetToolkitLanguage(std::int32_t language) {
    if (language != 0) {
        QCoreApplication::removeTranslator(&toolkitTexts_);
        return;
    }
    // Debian ships Qt's own translations apart; without them the menu stays English.
    if (toolkitTexts_.isEmpty() &&
        !toolkitTexts_.load(QStringLiteral("qtbase_hu"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return;
    }
    QCoreApplication::installTranslator(&toolkitTexts_);
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

}  // namespace aspect::window
