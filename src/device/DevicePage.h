#pragma once
// The tab "Urządzenie": the device's identity and status, the parameter editors and the
// picture of the two measuring fields with the geometry boxes. This class builds the
// controls and offers them to the code that fills them; it holds no device state.

#include <QColor>
#include <QList>
#include <QWidget>

#include <array>

#include "device/Param.h" // Param, Channel

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace kx {

// Colours of the edit boxes, one meaning each.
inline const QColor kConfirmedWhite{255, 255, 255};
inline const QColor kGeometryOrange{255, 128, 64};
inline const QColor kCommittedSkyBlue{166, 202, 240};

class DevicePage : public QWidget
{
    Q_OBJECT

public:
    explicit DevicePage(QWidget* parent = nullptr);

    // The edit box of a parameter: P1 Edit6, P2 Edit7, COEF Edit5, OFFSET Edit8, filter
    // Edit10, LED Edit4, decp Edit9, D0 Edit14, D1 Edit12, D2 Edit13, a1 Edit15, a2 Edit18,
    // b1 Edit16, b2 Edit17; nullptr for mode, Beep and VoltageRange.
    QLineEdit* editFor(Param p) const;
    // The read-only result boxes "Y =" Edit21, "X1=" Edit19, "X2=" Edit20.
    QLineEdit* resultBox(Channel c) const;

    QComboBox* modeCombo() const;               // ComboBox1
    QCheckBox* beepBox() const;                 // CheckBox15
    QRadioButton* range10V() const;             // RadioButton1
    QRadioButton* range5V() const;              // RadioButton2
    QSpinBox* ledArrows() const;                // UpDown1, 0 … 9
    QSpinBox* decpArrows() const;               // UpDown4, 0 … 6
    QPushButton* restoreDefaultsButton() const; // BitBtn3
    QPushButton* connectionButton() const;      // BitBtn13

    QLabel* typeLabel() const;        // Label63, beside "Typ urządzenia:"
    QLabel* versionLabel() const;     // Label64, beside "Wersja urządzenia:"
    QLabel* statusLabel() const;      // Label66, beside "Status:"
    QLabel* sensorCountLabel() const; // beside "Ilość czujników:"; stays "(brak)"

    // The "min" and "max" captions over the measuring fields: field 1's "min" is Label41 and
    // its "max" Label42, field 2's "max" is Label55 and its "min" Label56. The numbers are
    // left positions in the picture (28 and 148 for field 1, 296 and 444 for field 2).
    void placeField1Captions(int minLeft, int maxLeft);
    void placeField2Captions(int maxLeft, int minLeft);

    // The groups that a running measurement disables: "Led", "Beep", "Tryb pracy wyjść",
    // "decp", "legenda" and the identity strip.
    QList<QWidget*> lockableGroups() const;

    static void setBoxColour(QLineEdit* box, const QColor& colour);
    static QColor boxColour(const QLineEdit* box);

private:
    QWidget* buildIdentityStrip();
    QGroupBox* buildOutputsGroup();
    QGroupBox* buildLedGroup();
    QGroupBox* buildDecpGroup();
    QGroupBox* buildBeepGroup();
    QGroupBox* buildRangeGroup();
    QGroupBox* buildGeometryGroup();
    QGroupBox* buildLegendGroup();
    QLineEdit* makeEdit(Param p, const char* name, const QString& text);

    std::array<QLineEdit*, kParamCount> m_edits{};
    std::array<QLineEdit*, 3> m_results{}; // by Channel
    QComboBox* m_mode = nullptr;
    QCheckBox* m_beep = nullptr;
    QRadioButton* m_range10V = nullptr;
    QRadioButton* m_range5V = nullptr;
    QSpinBox* m_ledArrows = nullptr;
    QSpinBox* m_decpArrows = nullptr;
    QPushButton* m_restore = nullptr;
    QPushButton* m_connection = nullptr;
    QLabel* m_type = nullptr;
    QLabel* m_version = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_sensorCount = nullptr;
    QLabel* m_field1Min = nullptr;
    QLabel* m_field1Max = nullptr;
    QLabel* m_field2Max = nullptr;
    QLabel* m_field2Min = nullptr;
    QList<QWidget*> m_lockable;
};

} // namespace kx
