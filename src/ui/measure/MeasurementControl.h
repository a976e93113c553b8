#pragma once
// A running measurement on the windows: START, STOP and PAUSE, the idle step that asks the
// device for samples, the frames' values on the indicator and device tabs, and the 50 ms
// display of the rate and the elapsed time.
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
#include "core/protocol/RequestSender.h"

namespace kx {

class IndicatorPage;
class ReplyView;
struct DeviceModel;

// The value each large field shows now; none while it still shows its dashes. A register
// row is made of these, exactly as the fields show them.
struct ShownValues
{
    std::optional<float> y;
    std::optional<float> x1;
    std::optional<float> x2;
};

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
    // Shown when START finds no device.
    void setWizardOpener(std::function<void()> open) { m_openWizard = std::move(open); }
    // What else a running measurement holds (the device tab's groups), besides "Próbkowanie".
    void setLockOthers(std::function<void(bool locked)> lock) { m_lockOthers = std::move(lock); }
    // Further displays of each sample: the chart's small fields, the chart points, the
    // register row; they belong to the chart and the register.
    void setSampleTexts(std::function<void(const std::string& y, const std::string& x1,
                                           const std::string& x2, const ActiveValues&)>
                            show)
    {
        m_sampleTexts = std::move(show);
    }
    void setAfterNewValues(std::function<void()> after) { m_afterNewValues = std::move(after); }
    void setRateDisplays(std::function<void(const QString&)> show)
    {
        m_rateShown = std::move(show);
    }

    // Starts the display timer and the idle step.
    void start();

    const MeasurementScheduler& scheduler() const { return m_scheduler; }
    MeasurementScheduler& scheduler() { return m_scheduler; }
    const ShownValues& shownValues() const { return m_shown; }
    QTimer& displayTimer() { return m_display; }
    ActiveValues active() const;
    SamplingSettings sampling() const;

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
    std::function<void()> m_openWizard;
    std::function<void(bool)> m_lockOthers;
    std::function<void(const std::string&, const std::string&, const std::string&,
                       const ActiveValues&)>
        m_sampleTexts;
    std::function<void()> m_afterNewValues;
    std::function<void(const QString&)> m_rateShown;
    char m_separator;
};

} // namespace kx
