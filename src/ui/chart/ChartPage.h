#pragma once
// The tab "Wykres": the time chart of Y, X1, X2 and the two output lines, the recording and
// paging controls and the chart's save buttons. It draws the chart's data (ChartData, the
// chart controller's) and pages, zooms and hides its series; it redraws only when the
// recording's generation or its own view changed. Its buttons are signals.
//
// Paging: N points per page while "włącz stronicowanie" is checked, none (one page) otherwise.
// A page shows, for the shown series with the most points, its points first … last and the
// horizontal extent they span (a partly filled last page keeps the scale of a full page); the
// vertical extent covers the page's points of every shown series, with 10 px of room above.

#include <QWidget>

#include <array>
#include <cstdint>
#include <vector>

#include "core/chart/ChartData.h"
#include "core/chart/ChartPaging.h"
#include "core/protocol/Param.h" // Channel

class QCPAbstractPlottable;
class QCheckBox;
class QCustomPlot;
class QGroupBox;
class QLabel;
class QPainter;
class QPixmap;
class QSpinBox;
class QTimer;
class QToolButton;

namespace kx {

class ChartPlottable;
class ReadoutField;
class ValueLabel;

class ChartPage : public QWidget
{
    Q_OBJECT

public:
    // Group "Stronicowanie": "włącz stronicowanie", "śledzenie ostatniej strony" and the
    // points per page ("próbki na strone", kept in 10 … 32767 by its box).
    struct Paging
    {
        bool on = false;
        bool tracking = false;
        int samplesPerPage = 10;
    };

    // Draws data, which must outlive the page.
    explicit ChartPage(const ChartData& data, QWidget* parent = nullptr);

    // Above the chart: the latest texts of Y, X1, X2 ("-----------" until a value comes).
    void showValue(Channel c, const QString& text);
    void setRateText(const QString& text); // beside "sample rate:"

    Paging paging() const;
    void setPaging(const Paging& paging);

    // Bottom right of the chart: "Page %d of %d" between a back and a forward arrow; an
    // arrow with no page in its direction is disabled.
    void setPageIndicator(int page, int count);

    ChartPlottable* plottable(Trace t) const;
    QCustomPlot* chart() const { return m_chart; }
    // The chart as the tab shows it, page indicator included, at the chart's size.
    QPixmap picture() const;
    // The page indicator, painted where it stands over the chart (for a vector picture).
    void paintPageIndicator(QPainter* painter) const;

    // The paging switch (a click of either check box, the main window's construction, the
    // start-up tick): N points per page while paging is checked, else none and page 1.
    void switchPaging();
    // The main window shown: no paging first, then the switch.
    void pagingOnShow();
    // Points per page; 0 is no paging, below 0 is refused. The page is brought into range.
    void setPointsPerPage(int perPage);
    int pointsPerPage() const { return m_perPage; }
    // Pages are counted over the shown series; the page is brought into 1 … pageCount().
    void setCurrentPage(int page);
    int currentPage() const { return m_page; }
    int pageCount() const;
    // Tracking: the last page, when there is more than one.
    void followLastPage();
    // A series hidden or shown again by its tick box.
    void setSeriesShown(QCPAbstractPlottable* series, bool shown);
    bool zoomed() const { return m_zoomed; }
    // Redraws if the points changed since the last call (generation from the recording).
    void refresh(std::uint64_t generation);

public slots:
    // "   pokaż całość" and a double click: undoes the zoom, the whole page again.
    void showAll();

signals:
    void recordClicked(); // "Nagrywaj wykres"
    void pauseClicked();  // "pauza"
    void stopClicked();   // "stop"
    void clearClicked();  // "wyczyść wykres"
    void linesClicked();  // "    konfiguruj linie wyjsc..."
    void saveBmpClicked();
    void saveExcelClicked();
    void saveJpgClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QCustomPlot* buildChart(const ChartData& data);
    QWidget* buildPageIndicator(QWidget* chart);
    QWidget* buildValueStrip();
    QGroupBox* buildRecordingGroup();
    QGroupBox* buildPagingGroup();
    QGroupBox* buildFileGroup();
    void placePageIndicator();
    // The page brought into 1 … pageCount(), after the count may have changed.
    void clampPage();
    std::vector<PagedSeries> shownSeries() const;
    void zoomTo(const QRect& rect);
    void zoomStep();
    // Applies the page (or everything) to the series and, unless zoomed, to the axes.
    void layOut();
    void replot();

    QCustomPlot* m_chart = nullptr;
    std::array<ChartPlottable*, kTraceCount> m_series{};
    int m_perPage = 0;
    int m_page = 1;
    bool m_zoomed = false;
    // The zoom's way from the axes' ranges to the rectangle's: x, then y.
    static constexpr int kZoomSteps = 50;
    static constexpr int kZoomStepMs = 4;
    QTimer* m_zoomTimer = nullptr;
    std::array<Extent, 2> m_zoomFrom{};
    std::array<Extent, 2> m_zoomTo{};
    int m_zoomStep = 0;
    bool m_replotWhenShown = false;
    std::uint64_t m_drawnGeneration = 0;
    std::array<ReadoutField*, 3> m_fields{}; // by Channel
    QCheckBox* m_pagingBox = nullptr;
    QCheckBox* m_tracking = nullptr;
    QSpinBox* m_samplesPerPage = nullptr;
    ValueLabel* m_rate = nullptr;
    QWidget* m_pageBar = nullptr;
    ValueLabel* m_pageIndicator = nullptr;
    QToolButton* m_pageBack = nullptr;
    QToolButton* m_pageForward = nullptr;
};

} // namespace kx
