// The start-up baseline: a bare Qt window with one line edit and one label, which signals
// its first paint the way the program does (the program's own first_paint.h).
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>

#include "first_paint.h"

namespace {

class BareWindow : public QWidget {
  public:
    explicit BareWindow(QWidget* parent = nullptr) : QWidget(parent) {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLineEdit(this));
        layout->addWidget(new QLabel(QStringLiteral("16 : 9"), this));
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        QWidget::paintEvent(event);
        firstPaint_.Painted();
    }

  private:
    aspect::window::FirstPaintSignal firstPaint_;
};

}  // namespace

int main(int argc, char* argv[]) {
    using Stamp = aspect::window::FirstPaintStamp;
    Stamp::Stage("process");
    QApplication app(argc, argv);
    Stamp::Stage("application");
    BareWindow window;
    Stamp::Stage("window");
    window.show();
    Stamp::Stage("shown");
    return QApplication::exec();
}
