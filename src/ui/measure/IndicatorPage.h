#pragma once
// The tab "Wskaźniki": Y, X1 and X2 in large fields with their bars, the output indicators,
// the measurement buttons and the sampling settings. It shows what the measurement gives it
// and reports the operator's buttons.

#include <QWidget>

#include "core/device/ReplyDispatch.h" // Gauge
#include "core/measure/Measurement.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QSpinBox;

namespace kx {

class CGauge;
class ReadoutField;
class ValueLabel;

class IndicatorPage : public QWidget
{
    Q_OBJECT

public:
    explicit IndicatorPage(QWidget* parent = nullptr);

    // The three "Aktywny" boxes.
    ActiveValues active() const;
    void setActive(const ActiveValues& active);
    // "próbkowanie co:" and "Próbkowanie ciągłe:". The period box keeps its own range
    // (10 … 10 000 000 ms): a period below 10 shows as 10.
    SamplingSettings sampling() const;
    void setSampling(const SamplingSettings& sampling);

    // The large field of a value: red, lime or aqua on black, "-------------" at start.
    void showValue(Channel c, const QString& text);
    // The bars; a position left empty leaves its bar where it is.
    void setBars(const BarPositions& bars);
    // A bar's range (0 … maximum). The left half-bar is drawn from its far end, so full means
    // empty: until a value has moved it, it stays empty across a new range.
    void setGaugeMaximum(Gauge g, int maximum);
    int leftHalfMaximum() const;
    // "PK1" and "PK2" of "Stan wyjść": lime on, maroon off (and at start).
    void setOutputs(bool pk1, bool pk2);

    void setRateText(const QString& text); // beside "próbek na sekundę:"
    void setTimeText(const QString& text); // beside "czas [s]:"
    // The continuous-sampling period (Label67) and its "[ms]", shown or hidden together; the
    // layout keeps their room either way.
    void setPeriodText(const QString& text);
    void setPeriodDisplayVisible(bool visible);

    // A running measurement holds the group "Próbkowanie".
    void setLocked(bool locked);

    inline static const QColor kOutputOn{0x00, 0xFF, 0x00};  // lime
    inline static const QColor kOutputOff{0x80, 0x00, 0x00}; // maroon, also at start

signals:
    void startClicked();
    void stopClicked();
    void pauseClicked();
    void continuousSamplingToggled(bool on);

private:
    QGroupBox* buildYGroup();
    QGroupBox* buildChannelGroup(const QString& title, const QColor& colour, const char* field,
                                 const char* bar, const char* active, ReadoutField*& fieldOut,
                                 CGauge*& barOut, QCheckBox*& activeOut);
    QGroupBox* buildOutputsGroup();
    QGroupBox* buildReadingGroup();
    QGroupBox* buildReadoutsGroup();
    QGroupBox* buildSamplingGroup();
    CGauge* gauge(Gauge g) const;
    static void paintOutput(QLabel* indicator, bool on);

    ReadoutField* m_fields[3] = {}; // by Channel
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
    bool m_pk1On = false;
    bool m_pk2On = false;
    QSpinBox* m_period = nullptr;
    QCheckBox* m_continuous = nullptr;
    ValueLabel* m_periodDisplay = nullptr;
    QLabel* m_periodUnit = nullptr;
    ValueLabel* m_rate = nullptr;
    ValueLabel* m_time = nullptr;
    QGroupBox* m_sampling = nullptr;
};

} // namespace kx
