#include "check_box.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace aspect::window {

void WrappingCheckBox::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionButton opt;
    initStyleOption(&opt);

    QStyleOptionButton indicator = opt;
    indicator.rect = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &opt, this);
    p.drawPrimitive(QStyle::PE_IndicatorCheckBox, indicator);

    const int spacing = style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &opt, this);
    const QRect area = rect().adjusted(indicator.rect.right() + 1 + spacing, 0, 0, 0);
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;
    const QRect used = p.fontMetrics().boundingRect(area, flags, text());
    p.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    p.drawText(area, flags, text());

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = used.adjusted(-1, 0, 1, 0) & rect();
        p.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

}  // namespace aspect::window
