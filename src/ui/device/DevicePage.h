#pragma once
// The tab "Urządzenie": the device's identity and status, the parameter editors and the
// picture of the two measuring fields with the geometry boxes. It shows what it is given and
// reports the operator's choices; it holds no device state.

#include <QColor>
#include <QList>
#include <QWidget>

#include <array>

#include "core/device/ReplyDispatch.h" // FieldCaptions
#include "core/protocol/Param.h"       // Param, Channel

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace kx {

// Colours of the edit boxes, one meaning each.
inline const QColor kConfirmedWhite{255, 255, 255};
inline const QColor kGeometryOrange{255, 128, 64};
inline const QColor kCommittedSkyBlue{166, 202, 240};

class ValueLabel;

class DevicePage : public QWidget
{
    Q_OBJECT

public:
    explicit DevicePage(QWidget* parent = nullptr);

    // The edit box of a parameter: P1 Edit6, P2 Edit7, COEF Edit5, OFFSET Edit8, filter
    // Edit10, LED Edit4, decp Edit9, D0 Edit14, D1 Edit12, D2 Edit13, a1 Edit15, a2 Edit18,
    // b1 Edit16, b2 Edit17; nullptr for mode, Beep and VoltageRange. The editors read and
    // colour these boxes themselves.
    QLineEdit* editFor(Param p) const;

    // A value the device reported, in its box and the box's confirmed colour.
    void showConfirmed(Param p, const QString& text, const QColor& colour);
    // The read-only result boxes "Y =" Edit21, "X1=" Edit19, "X2=" Edit20.
    void showResult(Channel c, const QString& text);
    void selectMode(int index);
    // The mode combo in the confirmed white.
    void paintModeConfirmed();
    // Runs the box's handler when the state changes.
    void setBeep(bool on);
    // Selects "0...5V" or "0...10V"; the selection's handler runs only when it changes.
    void selectVoltageRange(bool fiveVolt);

    // "Typ urządzenia:" and "Wersja urządzenia:"; an empty text shows "(brak)".
    void setIdentity(const QString& type, const QString& version);
    void setStatus(const QString& status); // beside "Status:"

    // The "min" and "max" captions over measuring field 1 or 2.
    void placeFieldCaptions(int field, FieldCaptions captions);

    // A running measurement holds the groups "Led", "Beep", "Tryb pracy wyjść", "decp",
    // "legenda" and the identity strip: disabled, shaded, with the not-allowed cursor.
    void setLocked(bool locked);
    const QList<QWidget*>& lockableGroups() const { return m_lockable; }

    static void setBoxColour(QLineEdit* box, const QColor& colour);
    static QColor boxColour(const QLineEdit* box);

signals:
    void modeChosen(int index);     // the operator's choice in ComboBox1, not a reply's
    void beepToggled(bool on);      // CheckBox15, by the operator or the program
    void voltageRangeChosen(int v); // 0 for "0...10V", 1 for "0...5V", when it changes
    void arrowsStepped(Param p);    // LED or decp arrows: the box already shows the value
    void restoreDefaultsClicked();  // BitBtn3
    void connectionClicked();       // BitBtn13

private:
    QWidget* buildIdentityStrip();
    QGroupBox* buildOutputsGroup();
    QGroupBox* buildArrowsGroup(const QString& title, const char* groupName, Param p,
                                const char* editName, const QString& caption,
                                const char* arrowsName, int maximum);
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
    ValueLabel* m_type = nullptr;
    ValueLabel* m_version = nullptr;
    ValueLabel* m_status = nullptr;
    // The "min" and "max" captions of field 1 (Label41, Label42) and field 2 (Label56,
    // Label55).
    std::array<QLabel*, 2> m_fieldMin{};
    std::array<QLabel*, 2> m_fieldMax{};
    QList<QWidget*> m_lockable;
};

} // namespace kx
