#include "ui/common/CGauge.h"

#include <QPainter>

#include "ui/common/RepaintPacer.h"

#include <algorithm>

namespace kx {

namespace {
const QColor kBorder{64, 64, 64};
}

CGauge::CGauge(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize CGauge::sizeHint() const
{
    return {120, 18};
}

QSize CGauge::minimumSizeHint() const
{
    return {8, 6};
}

void CGauge::setMaxValue(int maximum)
{
    maximum = std::max(maximum, 0);
    const int progress = std::clamp(m_progress, 0, maximum);
    if (maximum == m_max && progress == m_progress)
        return;
    m_max = maximum;
    m_progress = progress;
    RepaintPacer::schedule(this);
}

void CGauge::setProgress(int value)
{
    value = std::clamp(value, 0, m_max);
    if (value == m_progress)
        return;
    m_progress = value;
    RepaintPacer::schedule(this);
}

void CGauge::setForeColor(const QColor& c)
{
    if (c == m_fore)
        return;
    m_fore = c;
    update();
}

void CGauge::setBackColor(const QColor& c)
{
    if (c == m_back)
        return;
    m_back = c;
    update();
}

void CGauge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect inner = rect().adjusted(1, 1, -1, -1);
    painter.fillRect(inner, m_back);
    if (m_max > 0 && inner.width() > 0) {
        // 64-bit product: widths times maxima of |D × 100| overflow an int.
        const auto filled =
            static_cast<int>(static_cast<qint64>(inner.width()) * m_progress / m_max);
        painter.fillRect(QRect(inner.left(), inner.top(), filled, inner.height()), m_fore);
    }
    painter.setPen(kBorder);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace kx
