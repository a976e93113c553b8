#pragma once
// A bar gauge: an integer range 0 … maximum with the position clamped into it, drawn in two
// colours. The filled part grows from the left edge; a bar that is to grow from its right
// edge swaps its colours and is given maximum − value (as the left half-bar of Y does). A new
// position is painted at the next display tick, however often it changes.

#include <QColor>
#include <QWidget>

namespace kx {

class CGauge : public QWidget
{
    Q_OBJECT

public:
    explicit CGauge(QWidget* parent = nullptr);

    void setMaxValue(int maximum); // below 0 counts as 0; the position is clamped again
    int maxValue() const { return m_max; }
    void setProgress(int value); // clamped into 0 … maximum
    int progress() const { return m_progress; }
    void setForeColor(const QColor& c);
    QColor foreColor() const { return m_fore; }
    void setBackColor(const QColor& c);
    QColor backColor() const { return m_back; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_max = 100;
    int m_progress = 0;
    QColor m_fore = Qt::red;
    QColor m_back = Qt::black;
};

} // namespace kx
