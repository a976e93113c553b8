#include "ui/chart/ChartControl.h"

#include <QPdfWriter>
#include <QPixmap>
#include <QSaveFile>
#include <QTimer>

#include <qcustomplot.h>

#include "core/chart/ChartFile.h"
#include "ui/chart/ChartPage.h"
#include "ui/chart/ChartPlottable.h"
#include "core/chart/ChartSeries.h"
#include "ui/measure/MeasurementControl.h"
#include "ui/chart/TKonigLiniiForm.h"
#include "ui/common/TraceColours.h"
#include "ui/common/Dialogs.h"
#include "ui/common/LocaleSeparator.h"

namespace kx {

ChartControl::ChartControl(ChartPage* page, MeasurementControl& measurement,
                           const DeviceModel& model, const LineSettings& lines, QObject* parent)
    : QObject(parent), m_page(page), m_measurement(measurement), m_model(model), m_lines(lines),
      m_recording(page->series())
{
    connect(page, &ChartPage::recordClicked, this, &ChartControl::RecordClick);
    connect(page, &ChartPage::pauseClicked, this, &ChartControl::PauseClick);
    connect(page, &ChartPage::stopClicked, this, &ChartControl::StopClick);
    connect(page, &ChartPage::clearClicked, this, &ChartControl::ClearClick);
    connect(page, &ChartPage::linesClicked, this, &ChartControl::LinesClick);
    connect(&measurement.displayTimer(), &QTimer::timeout, this, &ChartControl::DisplayTick);
    connect(page, &ChartPage::saveBmpClicked, this, &ChartControl::SaveBmpClick);
    connect(page, &ChartPage::saveJpgClicked, this, &ChartControl::SaveJpgClick);
    connect(page, &ChartPage::saveExcelClicked, this, &ChartControl::SaveExcelClick);
}

double ChartControl::measureTime() const
{
    return m_measurement.scheduler().MeasureTime();
}

void ChartControl::addValues(const ActiveValues& active)
{
    m_recording.addValues(measureTime(), m_model, active);
}

void ChartControl::AddOutputLinePoints()
{
    m_recording.addOutputLines(measureTime(), m_model, m_lines);
}

void ChartControl::RecordClick()
{
    m_recording.record();
    // The time only: a measurement under way goes on asking at its pace.
    m_measurement.scheduler().resetTime();
    m_page->refresh(m_recording.generation());
}

void ChartControl::PauseClick()
{
    m_recording.pause();
}

void ChartControl::StopClick()
{
    m_recording.stop();
    m_measurement.scheduler().resetTime();
    m_page->refresh(m_recording.generation());
}

void ChartControl::ClearClick()
{
    m_recording.clear();
    m_page->refresh(m_recording.generation());
}

void ChartControl::LinesClick()
{
    if (!m_linesWindow)
        return;
    m_linesWindow->show();
    m_linesWindow->raise();
}

bool ChartControl::savePicture(const QString& fileName, const char* format)
{
    QCustomPlot* chart = m_page->chart();
    QSaveFile file(fileName);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok && qstrcmp(format, "PDF") == 0) {
        QPdfWriter pdf(&file);
        pdf.setPageSize(QPageSize(QSizeF(chart->width(), chart->height()), QPageSize::Point));
        pdf.setPageMargins(QMarginsF());
        pdf.setResolution(72);
        QCPPainter painter(&pdf);
        chart->toPainter(&painter, chart->width(), chart->height());
        ok = painter.end();
    } else if (ok) {
        ok = chart->toPixmap().save(&file, format);
    }
    ok = ok && file.commit();
    if (!ok)
        reportUnwritable(fileName);
    return ok;
}

void ChartControl::SaveBmpClick()
{
    const QString name = dialogs().saveFileName(QString::fromUtf8("Zapisz wykres jako bmp"),
                                                QStringLiteral("plik bmp (*.bmp)"), nullptr);
    if (!name.isEmpty())
        savePicture(name, "BMP");
}

void ChartControl::SaveJpgClick()
{
    const QString name = dialogs().saveFileName(QString::fromUtf8("Zapisz wykres jako jpg"),
                                                QStringLiteral("JPEG (*.jpg *.jpeg)"), nullptr);
    if (name.isEmpty() || !savePicture(name, "JPG"))
        return;
    // Then the chart's other formats, as the operator chooses.
    const QStringList filters = {QStringLiteral("BMP (*.bmp)"), QStringLiteral("JPEG (*.jpg)"),
                                 QStringLiteral("PNG (*.png)"), QStringLiteral("PDF (*.pdf)")};
    QString chosen;
    const QString other =
        dialogs().exportFileName(QString::fromUtf8("Eksport wykresu"), filters, &chosen);
    if (other.isEmpty())
        return;
    const QString format = chosen.section(' ', 0, 0);
    savePicture(other, format == "JPEG" ? "JPG" : qPrintable(format));
}

void ChartControl::SaveExcelClick()
{
    const QString name = dialogs().saveFileName(QString::fromUtf8("Zapisz wykres jako excel"),
                                                QStringLiteral("Excel (*.xls)"), nullptr);
    if (name.isEmpty())
        return;
    std::vector<ChartFileSeries> series;
    for (int t = 0; t < kTraceCount; ++t) {
        const ChartPlottable* plottable = m_page->plottable(static_cast<Trace>(t));
        series.push_back({plottable->name().toStdString(),
                          pointColour(static_cast<Trace>(t)).name().toUpper().toStdString(),
                          &plottable->series()});
    }
    QSaveFile file(name);
    bool ok = file.open(QIODevice::WriteOnly) &&
              writeChartSpreadsheet(series, localeDecimalSeparator(), [&file](std::string_view b) {
                  return file.write(b.data(), qint64(b.size())) == qint64(b.size());
              });
    ok = ok && file.commit();
    if (!ok)
        reportUnwritable(name);
}

void ChartControl::DisplayTick()
{
    // Following the last page belongs to the tick that shows the time: none while the clock
    // stood still.
    if (m_recording.recording() && m_page->paging().tracking &&
        m_measurement.scheduler().hasStepped())
        m_page->followLastPage();
    m_page->refresh(m_recording.generation());
}

} // namespace kx
