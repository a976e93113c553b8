#pragma once
// The tab "Rejestracja pomiarów": the register grid (group "Pomiar") and, on the right, its
// options and buttons. This class builds the controls and keeps "Odczytaj pozycje" enabled
// exactly while "autoodczyt" is unchecked; registering, clearing and saving are driven from
// outside.

#include <QWidget>

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
    explicit RegisterPage(QWidget* parent = nullptr);

    // Puts the header row's captions into the grid (called once at start-up).
    void writeHeaderRow();

    RegisterTableModel* model() const;
    QTableView* grid() const;

    QCheckBox* autoReadBox() const;    // "autoodczyt" (group "Odczyt")
    QPushButton* readButton() const;   // "Odczytaj pozycje"
    QCheckBox* regYBox() const;        // "Y (pomiar)" (group "Kanał:")
    QCheckBox* regX1Box() const;       // "kanał 1"
    QCheckBox* regX2Box() const;       // "kanał 2"
    QCheckBox* regPK1Box() const;      // "PK1"
    QCheckBox* regPK2Box() const;      // "PK2"
    QCheckBox* dateBox() const;        // "data" (group "Informacje")
    QCheckBox* hourBox() const;        // "godzina"
    QCheckBox* timeBox() const;        // "czas pomiaru"
    QCheckBox* indexBox() const;       // "numer próbki"
    QCheckBox* colourBox() const;      // "kolor"
    QPushButton* clearButton() const;  // " Wyczyść" (group "Tabela")
    QPushButton* saveAsButton() const; // "Zapisz Jako..." (group "Plik:")
    QPushButton* saveButton() const;   // "     Zapisz       ", disabled until a name is chosen

private:
    QGroupBox* buildGridGroup();
    QGroupBox* buildReadingGroup();
    QGroupBox* buildChannelGroup();
    QGroupBox* buildInfoGroup();
    QGroupBox* buildTableGroup();
    QGroupBox* buildFileGroup();

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
    QPushButton* m_clear = nullptr;
    QPushButton* m_saveAs = nullptr;
    QPushButton* m_save = nullptr;
};

} // namespace kx
