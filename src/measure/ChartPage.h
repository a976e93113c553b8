#pragma once
// The tab "Wykres": the time chart of Y, X1, X2 and the two output lines, the recording and
// paging controls and the chart's save buttons.

#include <QWidget>

#include <array>

#include "device/Param.h" // Channel

class QCheckBox;
class QCustomPlot;
class QGroupBox;
class QLabel;
class QSpinBox;
class QToolButton;

namespace kx {

class ReadoutField;

class ChartPage : public QWidget
{
    Q_OBJECT

public:
    // The chart's series, in the order they are created (the chart's graph index).
    enum Series
    {
        SeriesY,
        SeriesX1,
        SeriesX2,
        SeriesPK1,
        SeriesPK2,
        SeriesCount
    };

    // Group "Stronicowanie": "włącz stronicowanie", "śledzenie ostatniej strony" and the
    // points per page ("próbki na strone", kept in 10 … 32767 by its box).
    struct Paging
    {
        bool on = false;
        bool tracking = false;
        int samplesPerPage = 10;
    };

    explicit ChartPage(QWidget* parent = nullptr);

    // Above the chart: the latest texts of Y, X1, X2 ("-----------" until a value comes).
    void showValue(Channel c, const QString& text);
    void setRateText(const QString& text); // beside "sample rate:"

    Paging paging() const;
    void setPaging(const Paging& paging);

    // Bottom right of the chart: "Page %d of %d" between a back and a forward arrow; an
    // arrow with no page in its direction is disabled.
    void setPageIndicator(int page, int count);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QCustomPlot* buildChart();
    QWidget* buildPageIndicator(QWidget* chart);
    QWidget* buildValueStrip();
    QGroupBox* buildRecordingGroup();
    QGroupBox* buildPagingGroup();
    QGroupBox* buildFileGroup();
    void placePageIndicator();

    QCustomPlot* m_chart = nullptr;
    std::array<ReadoutField*, 3> m_fields{}; // by Channel
    QCheckBox* m_pagingBox = nullptr;
    QCheckBox* m_tracking = nullptr;
    QSpinBox* m_samplesPerPage = nullptr;
    QLabel* m_rate = nullptr;
    QWidget* m_pageBar = nullptr;
    QLabel* m_pageIndicator = nullptr;
    QToolButton* m_pageBack = nullptr;
    QToolButton* m_pageForward = nullptr;
};

} // namespace kx
