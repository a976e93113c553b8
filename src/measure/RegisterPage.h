#pragma once
// The tab "Rejestracja pomiarów": the register grid (group "Pomiar") and, on the right, its
// options and buttons. "Odczytaj pozycje" is enabled exactly while "autoodczyt" is unchecked.

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QPushButton;

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

    explicit RegisterPage(QWidget* parent = nullptr);

    // Puts the header row's captions into the grid (called once at start-up).
    void writeHeaderRow();

    Options options() const;
    // Each box's change runs its reaction ("Odczytaj pozycje" follows "autoodczyt").
    void setOptions(const Options& options);

private:
    QGroupBox* buildGridGroup();
    QGroupBox* buildReadingGroup();
    QGroupBox* buildChannelGroup();
    QGroupBox* buildInfoGroup();
    QGroupBox* buildTableGroup();
    QGroupBox* buildFileGroup();

    RegisterTableModel* m_model = nullptr;
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
};

} // namespace kx
