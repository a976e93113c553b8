#pragma once
// What the register does: it takes every sample (registered while "autoodczyt" is on) and the
// operator's "Odczytaj pozycje", composes the rows, keeps them within their capacity, writes
// the register files (the save target, the header, the rows that wait while a file is
// written), and keeps the crash journal and brings a journal back at the next start. The
// tab "Rejestracja pomiarów" only shows the rows and signals its buttons.

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/measure/Sample.h"
#include "core/register/RegisterFile.h"
#include "core/register/RegisterRows.h"

namespace kx {

class JournalWriter;
class RegisterPage;
class RegisterTableModel;
struct DeviceModel;

class RegisterControl : public QObject
{
    Q_OBJECT

public:
    // A view places its rows at pixel positions counted in an int: at 20 pixels a row it can
    // hold about 107 million. Registrations beyond this many are not kept (a register that
    // size takes over 3 GB; at 100 samples a second it fills in twelve days).
    static constexpr int kMaxRows = 100'000'000;

    // measurement tells the time now, the last measurement's length and how it samples, when
    // a row is registered by hand and when a file is saved; model gives the device's name.
    RegisterControl(RegisterPage* page, const DeviceModel& model,
                    std::function<MeasurementSummary()> measurement, QObject* parent = nullptr);
    // An orderly end: the journal goes, so nothing is offered back at the next start.
    ~RegisterControl() override;

    // Puts the header row's captions into the grid (called once at start-up).
    void writeHeaderRow();
    // The journal of this run, rejestr.journal in folder. One an unclean end left there is
    // offered back first; what is brought back goes into this run's journal too.
    void openJournal(const QString& folder);

    // A new sample: registered with "autoodczyt".
    void addSample(const Sample& sample);
    // Appends one registration (its options are the ones it was made under); one made while a
    // file is being written is appended once the file is done. One beyond the capacity is not
    // kept (nor journaled): false, and the operator is told once until the table is cleared.
    bool addRegistration(const Registration& registration);
    // kMaxRows unless a test needs a register that fills sooner.
    void setCapacity(int rows) { m_capacity = rows; }

    // The wall clock, ms since the epoch (UTC): the stamp of a registration and the date and
    // time of a saved file. The system clock unless a test gives its own.
    void setClock(std::function<int64_t()> msSinceEpoch) { m_clock = std::move(msSinceEpoch); }
    int64_t now() const { return m_clock(); }

    RegisterTableModel& model() const { return *m_rows; }
    // The file "     Zapisz       " writes to; none before a choice in "Zapisz Jako...".
    const std::optional<RegisterFileTarget>& saveTarget() const { return m_target; }

    // Writes the register to fileName in format, replacing the file whole or leaving it as
    // it was; a failure is reported in a message. True when the file was written.
    bool WriteRegisterFile(const QString& fileName, RegisterFileFormat format);

public slots:
    // "Odczytaj pozycje": the fields as they show now, at the measurement's time now.
    void ReadPositionClick();
    // " Wyczyść": after a yes to the confirmation, back to the empty table.
    void ButtonRegisterClearClick();
    // "Zapisz Jako...": the save dialog, then the file under the name chosen.
    void ButtonSaveAsClick();
    // "     Zapisz       ": the file under the name last chosen; nothing before a choice.
    void ButtonSaveClick();

private:
    Registration compose(double measureTime) const;
    void appendNow(const Registration& registration);
    bool writeFile(const QString& fileName, RegisterFileFormat format);

    RegisterPage* m_page;
    const DeviceModel& m_device;
    std::function<MeasurementSummary()> m_measurement;
    RegisterTableModel* m_rows;
    std::function<int64_t()> m_clock;
    std::unique_ptr<JournalWriter> m_journal;
    QString m_journalPath;
    bool m_journalFailureReported = false;
    // The fields and outputs as the last sample left them; a row by hand shows them.
    ShownValues m_shown;
    bool m_pk1 = false;
    bool m_pk2 = false;
    std::optional<RegisterFileTarget> m_target;
    // While a file is written its rows stay as they are; registrations made meanwhile wait.
    bool m_writing = false;
    std::vector<Registration> m_waiting;
    int m_capacity = kMaxRows;
    bool m_fullReported = false;
};

} // namespace kx
