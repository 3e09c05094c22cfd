#include "accessibility.h"

#include <mutex>
#include <utility>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QObject>
#include <QStringList>

namespace aspect::window {

namespace {

// Rides on the widget as a child object, so the factory can tell it apart.
class ExposedAs final : public QObject {
  public:
    ExposedAs(AccessibleKind as, std::function<void()> onPress, QObject* parent)
        : QObject(parent), kind(as), press(std::move(onPress)) {}

    const AccessibleKind kind;
    const std::function<void()> press;
};

QAccessible::Role RoleOf(AccessibleKind kind) {
    switch (kind) {
        case AccessibleKind::Window:
            return QAccessible::Window;
        case AccessibleKind::Link:
            return QAccessible::Link;
        case AccessibleKind::Button:
            break;
    }
    return QAccessible::Button;
}

class ExposedWidget final : public QAccessibleWidget {
  public:
    ExposedWidget(QWidget* widget, const ExposedAs& as)
        : QAccessibleWidget(widget, RoleOf(as.kind)), kind_(as.kind), press_(as.press) {}

    QString text(QAccessible::Text t) const override {
        const auto* label = qobject_cast<const QLabel*>(widget());
        if (t == QAccessible::Name && label && widget()->accessibleName().isEmpty()) {
            return label->text();
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.linked = kind_ == AccessibleKind::Link;
        return s;
    }

    QStringList actionNames() const override {
        return press_ ? QStringList{pressAction()} : QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (!press_) {
            QAccessibleWidget::doAction(action);
        } else if (action == pressAction()) {
            press_();
        }
    }
    QStringList keyBindingsForAction(const QString& action) const override {
        return press_ ? QStringList{} : QAccessibleWidget::keyBindingsForAction(action);
    }

  private:
    AccessibleKind kind_;
    std::function<void()> press_;
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
    if (!object || !object->isWidgetType()) return nullptr;
    for (QObject* child : object->children()) {
        if (const auto* as = dynamic_cast<const ExposedAs*>(child)) {
            return new ExposedWidget(static_cast<QWidget*>(object), *as);
        }
    }
    return nullptr;
}

}  // namespace

void ExposeAs(QWidget* widget, AccessibleKind kind, std::function<void()> press) {
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(&Factory); });
    new ExposedAs(kind, std::move(press), widget);
    // Qt may already have described the widget (a label does so when given its
    // text); drop that description so the next query comes to the factory.
    QAccessibleInterface* known = QAccessible::queryAccessibleInterface(widget);
    if (known && !dynamic_cast<ExposedWidget*>(known)) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(known));
    }
}

}  // namespace aspect::window
