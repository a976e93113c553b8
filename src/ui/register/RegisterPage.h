#pragma once
// The tab "Rejestracja pomiarów": the register grid (group "Pomiar") and, on the right, its
// options and buttons. "Odczytaj pozycje" is enabled exactly while "autoodczyt" is unchecked.
// The page keeps the registrations and writes them to the register files; what a
// registration holds is the caller's (the main window reads the measurement for it).

#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/register/RegisterFile.h"
#include "core/register/RegisterRows.h"

class QCheckBox;
class QGroupBox;
class QPushButton;
class QTableView;

namespace kx {

class RegisterTableModel;

class RegisterPage : public QWidget
{
    Q_OBJECT

public:
    // The option boxes of "Odczyt", "Kanał:" and "Informacje".
    struct Options
    {
        bool autoRead = true; // "autoodczyt"
        bool y = true;        // "Y (pomiar)"
        bool x1 = true;       // "kanał 1"
        bool x2 = true;       // "kanał 2"
        bool pk1 = false;     // "PK1"
        bool pk2 = false;     // "PK2"
        bool date = false;    // "data"
        bool hour = false;    // "godzina"
        bool time = true;     // "czas pomiaru"
        bool index = true;    // "numer próbki"
        bool colour = true;   // "kolor"
    };

    // The grid keeps the newest rows in view from this grid row count on: the first visible
    // data row is then row count − kRowsInView.
    static constexpr int kScrollFromRows = 29;
    static constexpr int kRowsInView = 27;
    // A view places its rows at pixel positions counted in an int: at 20 pixels a row it can
    // hold about 107 million. Registrations beyond this many are not kept (a register that
    // size takes over 3 GB; at 100 samples a second it fills in twelve days).
    static constexpr int kMaxRows = 100'000'000;

    explicit RegisterPage(QWidget* parent = nullptr);
    ~RegisterPage() override;

    // Puts the header row's captions into the grid (called once at start-up).
    void writeHeaderRow();

    Options options() const;
    // Each box's change runs its reaction ("Odczytaj pozycje" follows "autoodczyt").
    void setOptions(const Options& options);
    // What a registration fills in under the boxes as they are now.
    RegisterOptions registerOptions() const;
    static RegisterOptions toRegisterOptions(const Options& options);

    // The wall clock, ms since the epoch (UTC): the stamp of a registration and the date and
    // time of a saved file. The system clock unless a test gives its own.
    void setClock(std::function<int64_t()> msSinceEpoch);
    int64_t now() const;

    // Appends one registration (its options are the ones it was made under), gives column 0
    // the width for its date and time, and keeps the newest rows in view. A registration
    // made while a file is being written is appended once the file is done. One beyond the
    // capacity is not kept: false, and the operator is told once until the table is cleared.
    bool addRegistration(const Registration& registration);
    // kMaxRows unless a test needs a register that fills sooner.
    void setCapacity(int rows) { m_capacity = rows; }

    // The header block's inputs other than the date and time, read at the moment of saving
    // (TypeName, the measurement's duration, sampling and the "Aktywny" boxes).
    void setFileHeaderSource(std::function<RegisterFileHeader()> source);

    RegisterTableModel& model() const { return *m_model; }
    QTableView* grid() const { return m_grid; }
    // The file "     Zapisz       " writes to; none before a choice in "Zapisz Jako...".
    const std::optional<RegisterFileTarget>& saveTarget() const { return m_target; }

    // Writes the register to fileName in format, replacing the file whole or leaving it as
    // it was; a failure is reported in a message. True when the file was written.
    bool WriteRegisterFile(const QString& fileName, RegisterFileFormat format);

public slots:
    // " Wyczyść": after a yes to the confirmation, back to the empty table.
    void ButtonRegisterClearClick();
    // "Zapisz Jako...": the save dialog, then the file under the name chosen.
    void ButtonSaveAsClick();
    // "     Zapisz       ": the file under the name last chosen; nothing before a choice.
    void ButtonSaveClick();

signals:
    // "Odczytaj pozycje": the caller registers the current state.
    void readPositionClicked();
    // " Wyczyść" emptied the table.
    void cleared();

private:
    QGroupBox* buildGridGroup();
    QGroupBox* buildReadingGroup();
    QGroupBox* buildChannelGroup();
    QGroupBox* buildInfoGroup();
    QGroupBox* buildTableGroup();
    QGroupBox* buildFileGroup();
    void appendNow(const Registration& registration);
    bool writeFile(const QString& fileName, RegisterFileFormat format);

    RegisterTableModel* m_model = nullptr;
    QTableView* m_grid = nullptr;
    QCheckBox* m_autoRead = nullptr;
    QPushButton* m_read = nullptr;
    QCheckBox* m_regY = nullptr;
    QCheckBox* m_regX1 = nullptr;
    QCheckBox* m_regX2 = nullptr;
    QCheckBox* m_regPK1 = nullptr;
    QCheckBox* m_regPK2 = nullptr;
    QCheckBox* m_date = nullptr;
    QCheckBox* m_hour = nullptr;
    QCheckBox* m_time = nullptr;
    QCheckBox* m_index = nullptr;
    QCheckBox* m_colour = nullptr;
    QPushButton* m_save = nullptr;

    std::function<int64_t()> m_clock;
    std::function<RegisterFileHeader()> m_headerSource;
    std::optional<RegisterFileTarget> m_target;
    // While a file is written its rows stay as they are; registrations made meanwhile wait.
    bool m_writing = false;
    std::vector<Registration> m_waiting;
    int m_capacity = kMaxRows;
    bool m_fullReported = false;
};

} // namespace kx
