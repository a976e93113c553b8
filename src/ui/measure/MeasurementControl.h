#pragma once
// A running measurement on the windows: START, STOP and PAUSE, the idle step that asks the
// device for samples, the frames' values on the indicator and device tabs, and the 50 ms
// display of the rate and the elapsed time. Each new sample leaves it once, as a value
// (sampleTaken), for whatever records it.
//
// The idle step runs whenever the UI thread has worked off its events (the event
// dispatcher's aboutToBlock), never on a zero-interval timer, which would spin a core.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>
#include <span>

#include "core/measure/Measurement.h"
#include "core/measure/Sample.h"
#include "core/protocol/RequestSender.h"

namespace kx {

class IndicatorPage;
class ReplyView;
struct DeviceModel;

class MeasurementControl : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDisplayIntervalMs = 50;

    // results shows a frame's values where the device's single-value replies show them.
    MeasurementControl(DeviceModel& model, IndicatorPage* indicators, ReplyView& results,
                       QObject* parent = nullptr);
    ~MeasurementControl() override;

    void setRequests(RequestChannel requests) { m_requests = requests; }
    // The clock in hundredths of a second; a monotonic one unless a test gives its own.
    void setClock(std::function<int64_t()> clock);

    // Starts the display timer and the idle step.
    void start();

    const MeasurementScheduler& scheduler() const { return m_scheduler; }
    MeasurementScheduler& scheduler() { return m_scheduler; }
    QTimer& displayTimer() { return m_display; }
    ActiveValues active() const;
    SamplingSettings sampling() const;
    // The time now, the last measurement's length and how it samples, for a saved register.
    MeasurementSummary summary() const;

    // Received frames, routed by the link. The period meter runs first in continuous sampling.
    void measurementFrameReceived(std::span<const uint8_t> frame);

public slots:
    void IdleStep();
    void SendMeasureRequest();
    void HandleMeasurementFrame(std::span<const uint8_t> frame);
    void HandleNewValues();
    void DisplayTimerTick();
    void StartClick();
    void StopClick();
    void PauseClick();
    void ContinuousSamplingClick(bool checked);
    // The line went away: the measurement stops where it is (its time is kept), its groups
    // unlock and nothing is awaited.
    void lineLost();

signals:
    // A new sample, after the indicator tab shows it.
    void sampleTaken(const kx::Sample& sample);
    // The display tick's rate text, for the chart tab's copy of it.
    void rateShown(const QString& rate);
    // Every display tick; clockRunning tells whether the measurement's time has moved.
    void displayTicked(bool clockRunning);
    // START found no device: the connection wizard is the way to one.
    void deviceMissing();
    // A running measurement holds the groups that would change it; other tabs' too.
    void groupsLocked(bool locked);

private:
    void lockGroups(bool locked);
    // A single-shot timer to the moment the next timed request falls due.
    void armDueTimer();

    DeviceModel& m_model;
    IndicatorPage* m_indicators;
    ReplyView& m_results;
    RequestChannel m_requests;
    std::function<int64_t()> m_clock;
    QElapsedTimer m_elapsed;
    MeasurementScheduler m_scheduler;
    PeriodMeter m_periodMeter;
    ShownValues m_shown;
    QTimer m_display;
    QTimer m_due;
    std::optional<int64_t> m_dueAt; // clock reading the due timer was armed for
    QMetaObject::Connection m_idle;
    char m_separator;
};

} // namespace kx
