// The port's contract run against the real Qt window, with real key and mouse events.
#include <chrono>

#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>

#include "qt/qt_form.h"
#include "support/port_harness.h"

namespace aspect::testing_support {
namespace {

using window::QtForm;

class QtHarness final : public PortHarness {
  public:
    QtHarness() {
        form_.SetAddressOpener(
            [this](const QString& url) { opened_.push_back(url.toStdString()); });
        form_.show();
        (void)QTest::qWaitForWindowExposed(&form_);
        // The window system drops a move to where the pointer already is.
        QTest::mouseMove(form_.windowHandle(),
                         QPoint(window::kClientWidth - 1, window::kClientHeight - 1));
    }

    port::FormPort& Form() override { return form_; }
    void Bind(port::FormEvents& events) override { form_.Bind(events); }

    void MovePointer(int x, int y) override {
        QCursor::setPos(form_.mapToGlobal(QPoint(x, y)));
        QTest::mouseMove(form_.windowHandle(), QPoint(x, y));
    }
    void Click(int x, int y) override {
        QTest::mouseClick(form_.windowHandle(), Qt::LeftButton, {}, QPoint(x, y));
    }
    void Type(port::Control field, std::string_view keys) override {
        QLineEdit* edit = Edit(field);
        for (const char c : keys) {
            if (c == '\b') {
                QTest::keyClick(edit, Qt::Key_Backspace);
            } else {
                QTest::keyClick(edit, c);
            }
        }
    }
    void Paste(port::Control field, std::string_view text, Caret caret) override {
        QGuiApplication::clipboard()->setText(
            QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        QLineEdit* edit = Edit(field);
        if (caret == Caret::Start) QTest::keyClick(edit, Qt::Key_Home);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    }

    void Wait(int milliseconds) override { QTest::qWait(milliseconds); }
    double Now() const override {
        return std::chrono::duration<double, std::milli>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    std::vector<std::string> Opened() const override { return opened_; }

  private:
    // The field with the focus and the caret at the end of its text.
    QLineEdit* Edit(port::Control field) {
        auto* edit = static_cast<QLineEdit*>(form_.Widget(field));
        edit->setFocus();
        edit->end(false);
        return edit;
    }

    QtForm form_;
    std::vector<std::string> opened_;
};

}  // namespace

std::unique_ptr<PortHarness> MakePortHarness() { return std::make_unique<QtHarness>(); }

}  // namespace aspect::testing_support
