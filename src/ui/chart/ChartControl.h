#pragma once
// The time chart at work: the recording buttons of the tab "Wykres", the points of every
// sample while recording, the line window, and the chart's share of the 50 ms display tick
// (following the last page, redrawing only when something changed).

#include <QObject>

#include "core/chart/ChartRecording.h"
#include "core/chart/LineSettings.h"

namespace kx {

class ChartPage;
class MeasurementControl;
class TKonigLiniiForm;
struct DeviceModel;

class ChartControl : public QObject
{
    Q_OBJECT

public:
    // lines are the program's line settings, which the line window edits.
    ChartControl(ChartPage* page, MeasurementControl& measurement, const DeviceModel& model,
                 const LineSettings& lines, QObject* parent = nullptr);
    // The window "    konfiguruj linie wyjsc..." shows; it is created after the main window.
    void setLinesWindow(TKonigLiniiForm* window) { m_linesWindow = window; }

    const ChartRecording& recording() const { return m_recording; }

    // A sample's Y, X1 and X2, each while it is active (after the fields show it).
    void addValues(const ActiveValues& active);
    // A sample's output lines, after the register row.
    void AddOutputLinePoints();

public slots:
    void RecordClick(); // "Nagrywaj wykres"
    void PauseClick();  // "pauza"
    void StopClick();   // "stop"
    void ClearClick();  // "wyczyść wykres"
    void LinesClick();  // "    konfiguruj linie wyjsc..."
    void DisplayTick();
    // The chart's files; each is written whole or not at all, and a failure is reported.
    void SaveBmpClick();   // "    Zapisz jako bmp..."
    void SaveJpgClick();   // "     Zapisz jako jpg...", then the export window
    void SaveExcelClick(); // "  Zapisz jako excel..."

private:
    double measureTime() const;
    // The chart as a picture ("BMP", "JPG", "PNG") or a PDF under exactly this name.
    bool savePicture(const QString& fileName, const char* format);

    ChartPage* m_page;
    TKonigLiniiForm* m_linesWindow = nullptr;
    MeasurementControl& m_measurement;
    const DeviceModel& m_model;
    const LineSettings& m_lines;
    ChartRecording m_recording;
};

} // namespace kx
