#include "ui/chart/ChartControl.h"

#include <QFileInfo>
#include <QPdfWriter>
#include <QPixmap>
#include <QSaveFile>

#include <qcustomplot.h>

#include "core/chart/ChartFile.h"
#include "ui/chart/ChartPage.h"
#include "ui/chart/TKonigLiniiForm.h"
#include "ui/common/Dialogs.h"
#include "ui/common/LocaleSeparator.h"
#include "ui/common/SaveProgress.h"
#include "ui/common/TraceColours.h"

namespace kx {

ChartControl::ChartControl(const LineSettings& lines, QObject* parent)
    : QObject(parent), m_lines(lines)
{}

void ChartControl::setPage(ChartPage* page)
{
    m_page = page;
    connect(page, &ChartPage::recordClicked, this, &ChartControl::RecordClick);
    connect(page, &ChartPage::pauseClicked, this, &ChartControl::PauseClick);
    connect(page, &ChartPage::stopClicked, this, &ChartControl::StopClick);
    connect(page, &ChartPage::clearClicked, this, &ChartControl::ClearClick);
    connect(page, &ChartPage::linesClicked, this, &ChartControl::LinesClick);
    connect(page, &ChartPage::saveBmpClicked, this, &ChartControl::SaveBmpClick);
    connect(page, &ChartPage::saveJpgClicked, this, &ChartControl::SaveJpgClick);
    connect(page, &ChartPage::saveExcelClicked, this, &ChartControl::SaveExcelClick);
}

void ChartControl::addSample(const Sample& sample)
{
    const bool active[] = {sample.active.y, sample.active.x1, sample.active.x2};
    for (const Channel c : {Channel::Y, Channel::X1, Channel::X2})
        if (active[static_cast<std::size_t>(c)])
            m_page->showValue(c, QString::fromStdString(sample.text(c)));
    if (m_writing && m_recording.recording())
        m_waiting.push_back(sample);
    else
        m_recording.add(sample, m_lines);
}

void ChartControl::RecordClick()
{
    m_recording.record();
    emit timeResetAsked();
    m_page->refresh(m_recording.generation());
}

void ChartControl::PauseClick()
{
    m_recording.pause();
}

void ChartControl::StopClick()
{
    m_recording.stop();
    emit timeResetAsked();
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

namespace {

// A name typed without an extension gets the one of the format it is saved in.
QString withExtension(const QString& fileName, const char* extension)
{
    if (!QFileInfo(fileName).suffix().isEmpty())
        return fileName;
    return fileName + u'.' + QString::fromLatin1(extension);
}

} // namespace

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
        m_page->paintPageIndicator(&painter);
        ok = painter.end();
    } else if (ok) {
        ok = m_page->picture().save(&file, format);
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
        savePicture(withExtension(name, "bmp"), "BMP");
}

void ChartControl::SaveJpgClick()
{
    const QString name = dialogs().saveFileName(QString::fromUtf8("Zapisz wykres jako jpg"),
                                                QStringLiteral("JPEG (*.jpg *.jpeg)"), nullptr);
    if (name.isEmpty() || !savePicture(withExtension(name, "jpg"), "JPG"))
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
    const QByteArray extension = format == "JPEG" ? "jpg" : format.toLower().toLatin1();
    savePicture(withExtension(other, extension.constData()),
                format == "JPEG" ? "JPG" : qPrintable(format));
}

void ChartControl::SaveExcelClick()
{
    const QString name = dialogs().saveFileName(QString::fromUtf8("Zapisz wykres jako excel"),
                                                QStringLiteral("Excel (*.xls)"), nullptr);
    if (name.isEmpty())
        return;
    std::vector<ChartFileSeries> series;
    std::int64_t points = 0;
    for (int t = 0; t < kTraceCount; ++t) {
        const auto trace = static_cast<Trace>(t);
        series.push_back({traceLook(trace).title, pointColour(trace).name().toUpper().toStdString(),
                          &m_data.series(trace)});
        points += m_data.series(trace).size();
    }
    // The program goes on while a long recording is written (the progress lets it), and the
    // series must stay as they are meanwhile: samples that come wait until the file is done.
    m_writing = true;
    QSaveFile file(name);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok) {
        SaveProgress progress(QString::fromUtf8("Zapisywanie wykresu..."), points, 1,
                              m_page->window());
        ok = writeChartSpreadsheet(series, localeDecimalSeparator(), [&](std::string_view b) {
            if (file.write(b.data(), qint64(b.size())) != qint64(b.size()))
                return false;
            progress.written(b);
            return true;
        });
    }
    ok = ok && file.commit();
    m_writing = false;
    std::vector<Sample> waiting;
    waiting.swap(m_waiting);
    for (const Sample& s : waiting)
        m_recording.add(s, m_lines);
    if (!ok)
        reportUnwritable(name);
}

void ChartControl::DisplayTick(bool clockRunning)
{
    // Following the last page belongs to the tick that shows the time: none while the clock
    // stood still.
    if (m_recording.recording() && m_page->paging().tracking && clockRunning)
        m_page->followLastPage();
    m_page->refresh(m_recording.generation());
}

} // namespace kx
