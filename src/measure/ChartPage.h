#pragma once
// The tab "Wykres": the time chart of Y, X1, X2 and the two output lines, the recording and
// paging controls and the chart's save buttons. This class builds the controls and sets up
// the chart's look; recording, paging and saving are driven from outside.

#include <QWidget>

class QCPGraph;
class QCheckBox;
class QCustomPlot;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace kx {

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

    explicit ChartPage(QWidget* parent = nullptr);

    QCustomPlot* chart() const; // Chart1
    QCPGraph* series(Series which) const;

    // Above the chart: the latest texts of Y, X1, X2 ("-----------" until a value comes).
    QLabel* yField() const;  // red on black
    QLabel* x1Field() const; // lime on black
    QLabel* x2Field() const; // aqua on black

    QPushButton* recordButton() const;  // "Nagrywaj wykres"
    QPushButton* pauseButton() const;   // "pauza"
    QPushButton* stopButton() const;    // "stop"
    QPushButton* clearButton() const;   // "wyczyść wykres"
    QPushButton* showAllButton() const; // "   pokaż całość"
    QPushButton* linesButton() const;   // "    konfiguruj linie wyjsc..."

    QGroupBox* pagingGroup() const;   // "Stronicowanie"
    QCheckBox* pagingBox() const;     // "włącz stronicowanie"
    QCheckBox* trackingBox() const;   // "śledzenie ostatniej strony"
    QSpinBox* samplesPerPage() const; // "próbki na strone", 10 … 32767
    QLabel* rateLabel() const;        // beside "sample rate:"
    QPushButton* firstPageButton() const;
    QPushButton* lastPageButton() const;

    // Bottom right of the chart: "Page %d of %d" between a back and a forward arrow.
    QLabel* pageIndicator() const;
    QToolButton* pageBackButton() const;
    QToolButton* pageForwardButton() const;
    // Shows page `page` of `count`; an arrow with no page in its direction is disabled.
    void setPageIndicator(int page, int count);

    QPushButton* saveBmpButton() const;   // "    Zapisz jako bmp..."
    QPushButton* saveExcelButton() const; // "  Zapisz jako excel..."
    QPushButton* saveJpgButton() const;   // "     Zapisz jako jpg..."

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
    QLabel* m_yField = nullptr;
    QLabel* m_x1Field = nullptr;
    QLabel* m_x2Field = nullptr;
    QPushButton* m_record = nullptr;
    QPushButton* m_pause = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_showAll = nullptr;
    QPushButton* m_lines = nullptr;
    QGroupBox* m_paging = nullptr;
    QCheckBox* m_pagingBox = nullptr;
    QCheckBox* m_tracking = nullptr;
    QSpinBox* m_samplesPerPage = nullptr;
    QLabel* m_rate = nullptr;
    QPushButton* m_firstPage = nullptr;
    QPushButton* m_lastPage = nullptr;
    QWidget* m_pageBar = nullptr;
    QLabel* m_pageIndicator = nullptr;
    QToolButton* m_pageBack = nullptr;
    QToolButton* m_pageForward = nullptr;
    QPushButton* m_saveBmp = nullptr;
    QPushButton* m_saveExcel = nullptr;
    QPushButton* m_saveJpg = nullptr;
};

} // namespace kx
