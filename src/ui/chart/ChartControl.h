#pragma once
// The time chart at work: it owns the chart's data and its recording, takes every sample
// (its values on the small fields above the chart, its points while recording), answers the
// recording buttons of the tab "Wykres" and the line window's button, writes the chart's files,
// and does the chart's share of the 50 ms display tick (following the last page, redrawing
// only when something changed). The tab only draws and signals.

#include <QObject>

#include <vector>

#include "core/chart/ChartData.h"
#include "core/chart/ChartRecording.h"
#include "core/chart/LineSettings.h"
#include "core/measure/Sample.h"

namespace kx {

class ChartPage;
class TKonigLiniiForm;

class ChartControl : public QObject
{
    Q_OBJECT

public:
    // lines are the program's line settings, which the line window edits.
    explicit ChartControl(const LineSettings& lines, QObject* parent = nullptr);
    // The tab that draws data(); its buttons come here.
    void setPage(ChartPage* page);
    // The window "    konfiguruj linie wyjsc..." shows; it is created after the main window.
    void setLinesWindow(TKonigLiniiForm* window) { m_linesWindow = window; }

    const ChartData& data() const { return m_data; }
    const ChartRecording& recording() const { return m_recording; }

    // A new sample: the texts of its active values above the chart, and, while recording, its
    // points.
    void addSample(const Sample& sample);
    // The display tick; clockRunning is whether the measurement's time moved since the last.
    void DisplayTick(bool clockRunning);

public slots:
    void RecordClick(); // "Nagrywaj wykres"
    void PauseClick();  // "pauza"
    void StopClick();   // "stop"
    void ClearClick();  // "wyczyść wykres"
    void LinesClick();  // "    konfiguruj linie wyjsc..."
    // The chart's files; each is written whole or not at all, and a failure is reported.
    void SaveBmpClick();   // "    Zapisz jako bmp..."
    void SaveJpgClick();   // "     Zapisz jako jpg...", then the export window
    void SaveExcelClick(); // "  Zapisz jako excel..."

signals:
    // "Nagrywaj wykres" and "stop" start the measurement's time again (its time only: a
    // measurement under way goes on asking at its pace).
    void timeResetAsked();

private:
    // The chart as a picture ("BMP", "JPG", "PNG") or a PDF under exactly this name.
    bool savePicture(const QString& fileName, const char* format);

    ChartPage* m_page = nullptr;
    TKonigLiniiForm* m_linesWindow = nullptr;
    const LineSettings& m_lines;
    ChartData m_data;
    ChartRecording m_recording{m_data};
    // While the spreadsheet is written the series stay as they are; samples wait.
    bool m_writing = false;
    std::vector<Sample> m_waiting;
};

} // namespace kx
