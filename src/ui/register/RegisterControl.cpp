#include "ui/register/RegisterControl.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

#include "core/device/DeviceModel.h"
#include "core/register/RegisterJournal.h"
#include "ui/common/Dialogs.h"
#include "ui/common/SaveProgress.h"
#include "ui/register/RegisterPage.h"
#include "ui/register/RegisterTableModel.h"

namespace kx {

namespace {

const char kFilters[] = "Text (*.txt);;Excel (*.xls)";
const QString kSaveTitle = QStringLiteral("Zapisz jako");
const char kExcelFilter[] = "Excel (*.xls)";
const char kJournalFile[] = "rejestr.journal";

QString shown(const QString& fileName)
{
    return QDir::toNativeSeparators(fileName);
}

void report(const char* what, const QString& fileName)
{
    dialogs().showMessage(QString::fromUtf8(what).arg(shown(fileName)));
}

} // namespace

RegisterControl::RegisterControl(RegisterPage* page, const DeviceModel& model,
                                 std::function<MeasurementSummary()> measurement, QObject* parent)
    : QObject(parent), m_page(page), m_device(model), m_measurement(std::move(measurement)),
      m_rows(new RegisterTableModel(this)),
      m_clock([] { return QDateTime::currentMSecsSinceEpoch(); })
{
    page->setModel(m_rows);
    connect(page, &RegisterPage::readPositionClicked, this, &RegisterControl::ReadPositionClick);
    connect(page, &RegisterPage::clearClicked, this, &RegisterControl::ButtonRegisterClearClick);
    connect(page, &RegisterPage::saveAsClicked, this, &RegisterControl::ButtonSaveAsClick);
    connect(page, &RegisterPage::saveClicked, this, &RegisterControl::ButtonSaveClick);
}

RegisterControl::~RegisterControl()
{
    if (m_journal)
        m_journal->remove();
}

void RegisterControl::writeHeaderRow()
{
    m_rows->writeHeaderRow();
}

void RegisterControl::openJournal(const QString& folder)
{
    const QString path = QDir(folder).filePath(kJournalFile);
    QFile old(path);
    if (old.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = old.readAll();
        old.close();
        const JournalContents found =
            readJournal(std::string_view(bytes.constData(), std::size_t(bytes.size())));
        if (found.recognised && !found.rows.empty() &&
            dialogs().question(QString::fromUtf8("Program nie został poprawnie zamknięty.\n"
                                                 "Czy przywrócić tabelę rejestracji pomiarów "
                                                 "z przerwanej pracy (%1 wierszy)?")
                                   .arg(found.rows.size()),
                               QApplication::applicationName())) {
            for (const Registration& row : found.rows)
                addRegistration(row);
            if (found.cut)
                dialogs().showMessage(
                    QString::fromUtf8("Zapis tabeli rejestracji był ucięty: przywrócono %1 "
                                      "pełnych wierszy sprzed przerwania.")
                        .arg(found.rows.size()));
        }
    }
    // This run's journal, with what was brought back in it, so a second failure keeps it too.
    m_journalPath = path;
    m_journal = std::make_unique<JournalWriter>(QFile::encodeName(path).toStdString());
    for (std::size_t i = 0; i < m_rows->rows().size(); ++i)
        m_journal->append(m_rows->rows()[i]);
}

Registration RegisterControl::compose(double measureTime) const
{
    // The fields as they show now: one still showing its dashes gives the dashes.
    Registration row;
    row.options = m_page->registerOptions();
    row.measureTime = measureTime;
    row.stampMs = now();
    if (m_shown.y)
        row.setShown(ValueField::Y, *m_shown.y);
    if (m_shown.x1)
        row.setShown(ValueField::X1, *m_shown.x1);
    if (m_shown.x2)
        row.setShown(ValueField::X2, *m_shown.x2);
    row.setOutputs(m_pk1, m_pk2);
    return row;
}

void RegisterControl::addSample(const Sample& sample)
{
    m_shown = sample.shown;
    m_pk1 = sample.pk1;
    m_pk2 = sample.pk2;
    if (m_page->options().autoRead)
        addRegistration(compose(sample.measureTime));
}

void RegisterControl::ReadPositionClick()
{
    addRegistration(compose(m_measurement ? m_measurement().measureTime : 0));
}

bool RegisterControl::addRegistration(const Registration& registration)
{
    if (m_rows->registeredCount() + std::ssize(m_waiting) >= m_capacity) {
        // Readings are being lost from here on: say so once, not on every sample.
        if (!m_fullReported) {
            m_fullReported = true;
            dialogs().showMessage(
                QString::fromUtf8("Tabela rejestracji jest pełna (%1 pozycji): kolejne odczyty "
                                  "nie są rejestrowane.\nZapisz tabelę i wyczyść ją, aby "
                                  "rejestrować dalej.")
                    .arg(m_capacity));
        }
        return false;
    }
    if (m_writing)
        m_waiting.push_back(registration);
    else
        appendNow(registration);
    // A row the full table did not keep is not journaled either: a restore brings back the
    // table.
    if (m_journal) {
        m_journal->append(registration);
        // The operator believes the rows are safe from a crash: say once that they are not.
        if (!m_journalFailureReported && !m_journal->healthy()) {
            m_journalFailureReported = true;
            dialogs().showMessage(
                QString::fromUtf8("Nie można zapisywać kopii tabeli rejestracji:\n%1\nPo awarii "
                                  "programu jej wiersze nie zostaną przywrócone. Tabela i jej "
                                  "zapis do pliku działają jak dotąd.")
                    .arg(shown(m_journalPath)));
        }
    }
    return true;
}

void RegisterControl::appendNow(const Registration& registration)
{
    if (m_rows->appendRegistration(registration))
        m_page->showAppended(registration.options);
}

void RegisterControl::ButtonRegisterClearClick()
{
    if (m_writing)
        return;
    if (!dialogs().question(
            QString::fromUtf8("Czyszczenie tabeli rejestracji pomiarów...\nCzy jesteś pewien?"),
            QApplication::applicationName()))
        return;
    m_page->showCleared();
    m_rows->clear();
    m_fullReported = false;
    if (m_journal)
        m_journal->clear();
}

void RegisterControl::ButtonSaveAsClick()
{
    if (m_writing)
        return;
    QString filter;
    const QString chosen =
        dialogs().saveFileName(kSaveTitle, QString::fromLatin1(kFilters), &filter);
    if (chosen.isEmpty())
        return;
    const RegisterFileFormat selected = filter == QLatin1String(kExcelFilter)
                                            ? RegisterFileFormat::Excel
                                            : RegisterFileFormat::Text;
    const std::optional<RegisterFileTarget> target =
        registerFileTarget(chosen.toStdString(), selected);
    if (!target) {
        report("Nieznany rodzaj pliku:\n%1\nRejestr zapisuje się do pliku .txt albo .xls.", chosen);
        return;
    }
    const QString fileName = QString::fromStdString(target->fileName);
    // The dialog takes no name in a folder that is not there.
    if (!QFileInfo(fileName).absoluteDir().exists()) {
        report("Nie odnaleziono folderu:\n%1", QFileInfo(fileName).absolutePath());
        return;
    }
    // The dialog asked about the name as typed; a name completed here is asked about here.
    if (fileName != chosen && QFileInfo::exists(fileName) &&
        !dialogs().question(
            QString::fromUtf8("%1 już istnieje.\nCzy chcesz go zastąpić?").arg(shown(fileName)),
            kSaveTitle))
        return;
    m_target = target;
    m_page->setSaveEnabled(true);
    WriteRegisterFile(fileName, target->format);
}

void RegisterControl::ButtonSaveClick()
{
    if (m_writing || !m_target)
        return;
    WriteRegisterFile(QString::fromStdString(m_target->fileName), m_target->format);
}

bool RegisterControl::WriteRegisterFile(const QString& fileName, RegisterFileFormat format)
{
    if (m_writing)
        return false;
    m_writing = true;
    const bool written = writeFile(fileName, format);
    m_writing = false;
    // What was registered meanwhile joins the table now, in order.
    std::vector<Registration> waiting;
    waiting.swap(m_waiting);
    for (const Registration& r : waiting)
        appendNow(r);
    if (!written)
        report("Nie można zapisać pliku:\n%1", fileName);
    return written;
}

bool RegisterControl::writeFile(const QString& fileName, RegisterFileFormat format)
{
    RegisterFileHeader header;
    header.typeName = m_device.TypeName;
    if (m_measurement) {
        const MeasurementSummary measurement = m_measurement();
        header.durationSeconds = measurement.durationSeconds;
        header.sampling = measurement.sampling;
        header.active = measurement.active;
    }
    const int64_t stamp = now();
    const StampFormat& stamps = m_rows->stampFormat();
    header.date = stamps.date ? stamps.date(stamp) : std::string();
    header.time = stamps.time ? stamps.time(stamp) : std::string();

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;

    // Lines before the first data line: the header block, at most 13 lines.
    constexpr qint64 kHeaderLines = 13;
    SaveProgress progress(QString::fromUtf8("Zapisywanie rejestru pomiarów..."),
                          m_rows->registeredCount(), kHeaderLines, m_page->window());
    const bool streamed =
        writeRegisterFile(format, header, m_rows->rows(), stamps, [&](std::string_view bytes) {
            const auto size = static_cast<qint64>(bytes.size());
            if (file.write(bytes.data(), size) != size)
                return false;
            progress.written(bytes);
            return true;
        });
    // Without commit() the file is dropped and the previous one stays.
    return streamed && file.commit();
}

} // namespace kx
