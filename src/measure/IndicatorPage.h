#pragma once
// The tab "Wskaźniki": Y, X1 and X2 in large fields with their bars, the output indicators,
// the measurement buttons and the sampling settings. This class builds the controls; the
// measurement code fills them.

#include <QColor>
#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace kx {

class CGauge;

class IndicatorPage : public QWidget
{
    Q_OBJECT

public:
    explicit IndicatorPage(QWidget* parent = nullptr);

    QLabel* yField() const;       // red on black, 48 px bold, "-------------"
    QLabel* x1Field() const;      // lime on black
    QLabel* x2Field() const;      // aqua on black
    CGauge* yBar() const;         // CGauge1
    CGauge* x1Bar() const;        // CGauge2
    CGauge* x2Bar() const;        // CGauge3
    CGauge* rightHalfBar() const; // CGauge4
    CGauge* leftHalfBar() const;  // CGauge5: red background, black foreground

    QCheckBox* yActive() const;  // "Aktywny" of "Y (wartość mierzona)"
    QCheckBox* x1Active() const; // "Aktywny" of "X1 (kanał 1)"
    QCheckBox* x2Active() const; // "Aktywny" of "X2 (kanał 2)"

    QLabel* pk1Indicator() const; // "PK1" of "Stan wyjść": lime on, maroon off
    QLabel* pk2Indicator() const;
    void setOutputIndicator(QLabel* indicator, bool on);

    QPushButton* startButton() const;
    QPushButton* stopButton() const;
    QPushButton* pauseButton() const;

    QSpinBox* samplingPeriod() const;      // "próbkowanie co:" [ms], 10 … 10000000 step 10
    QCheckBox* continuousSampling() const; // "Próbkowanie ciągłe:"
    QLabel* periodDisplay() const;         // Label67, with its "[ms]" unit
    QLabel* periodUnit() const;            // the "[ms]" beside Label67
    // Shows or hides Label67 together with its unit; the layout keeps their room either way.
    void setPeriodDisplayVisible(bool visible);
    QLabel* rateLabel() const;        // beside "próbek na sekundę:"
    QLabel* timeLabel() const;        // beside "czas [s]:"
    QGroupBox* samplingGroup() const; // "Próbkowanie"

    inline static const QColor kOutputOn{0x00, 0xFF, 0x00};  // lime
    inline static const QColor kOutputOff{0x80, 0x00, 0x00}; // maroon, also at start

private:
    QGroupBox* buildYGroup();
    QGroupBox* buildChannelGroup(const QString& title, const QColor& colour, const char* field,
                                 const char* bar, const char* active, QLabel*& fieldOut,
                                 CGauge*& barOut, QCheckBox*& activeOut);
    QGroupBox* buildOutputsGroup();
    QGroupBox* buildReadingGroup();
    QGroupBox* buildReadoutsGroup();
    QGroupBox* buildSamplingGroup();

    QLabel* m_yField = nullptr;
    QLabel* m_x1Field = nullptr;
    QLabel* m_x2Field = nullptr;
    CGauge* m_yBar = nullptr;
    CGauge* m_x1Bar = nullptr;
    CGauge* m_x2Bar = nullptr;
    CGauge* m_rightHalf = nullptr;
    CGauge* m_leftHalf = nullptr;
    QCheckBox* m_yActive = nullptr;
    QCheckBox* m_x1Active = nullptr;
    QCheckBox* m_x2Active = nullptr;
    QLabel* m_pk1 = nullptr;
    QLabel* m_pk2 = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_pause = nullptr;
    QSpinBox* m_period = nullptr;
    QCheckBox* m_continuous = nullptr;
    QLabel* m_periodDisplay = nullptr;
    QLabel* m_periodUnit = nullptr;
    QLabel* m_rate = nullptr;
    QLabel* m_time = nullptr;
    QGroupBox* m_sampling = nullptr;
};

} // namespace kx
