#pragma once
// The tab "Rejestracja pomiarów": the register grid (group "Pomiar") and, on the right, its
// options and buttons. "Odczytaj pozycje" is enabled exactly while "autoodczyt" is unchecked.
// It shows the rows of the register's model and signals its buttons; what the register does
// is the register's controller (RegisterControl).

#include <QWidget>

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
    using Options = RegisterSettings;

    // The grid keeps the newest rows in view from this grid row count on: the first visible
    // data row is then row count − kRowsInView.
    static constexpr int kScrollFromRows = 29;
    static constexpr int kRowsInView = 27;

    explicit RegisterPage(QWidget* parent = nullptr);
    ~RegisterPage() override;

    // The rows the grid shows, coloured while "kolor" is checked.
    void setModel(RegisterTableModel* model);

    Options options() const;
    // Each box's change runs its reaction ("Odczytaj pozycje" follows "autoodczyt").
    void setOptions(const Options& options);
    // What a registration fills in under the boxes as they are now.
    RegisterOptions registerOptions() const;

    // A row was appended, registered under options: column 0 gets the width for its date
    // and time, and the newest rows stay in view.
    void showAppended(RegisterOptions options);
    // The table was emptied: the grid stops following the newest row.
    void showCleared();
    // "     Zapisz       " is enabled once "Zapisz Jako..." has chosen a file.
    void setSaveEnabled(bool enabled);

    QTableView* grid() const { return m_grid; }

signals:
    void readPositionClicked(); // "Odczytaj pozycje"
    void clearClicked();        // " Wyczyść"
    void saveAsClicked();       // "Zapisz Jako..."
    void saveClicked();         // "     Zapisz       "

private:
    QGroupBox* buildGridGroup();
    QGroupBox* buildReadingGroup();
    QGroupBox* buildChannelGroup();
    QGroupBox* buildInfoGroup();
    QGroupBox* buildTableGroup();
    QGroupBox* buildFileGroup();

    QTableView* m_grid = nullptr;
    // What column 0's widest text so far needs, and its length in characters: only a longer
    // text is measured again.
    int m_column0TextWidth = 0;
    qsizetype m_column0TextLength = 0;
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
};

} // namespace kx
