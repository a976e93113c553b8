#include "ui/measure/MeasurementControl.h"

#include <QAbstractEventDispatcher>

#include <algorithm>
#include <limits>

#include "core/device/DeviceModel.h"
#include "core/device/ReplyDispatch.h"
#include "core/protocol/Commands.h"
#include "core/text/NumberFormat.h"
#include "ui/common/Dialogs.h"
#include "ui/common/LocaleSeparator.h"
#include "ui/measure/IndicatorPage.h"

namespace kx {

MeasurementControl::MeasurementControl(DeviceModel& model, IndicatorPage* indicators,
                                       ReplyView& results, QObject* parent)
    : QObject(parent), m_model(model), m_indicators(indicators), m_results(results),
      m_separator(localeDecimalSeparator())
{
    m_elapsed.start();
    m_clock = [this] { return m_elapsed.elapsed() / 10; };
    m_scheduler = MeasurementScheduler(m_clock());

    m_display.setObjectName("Timer3");
    m_display.setInterval(kDisplayIntervalMs);
    connect(&m_display, &QTimer::timeout, this, &MeasurementControl::DisplayTimerTick);
    // Nothing else may wake the event loop when a timed request falls due.
    m_due.setSingleShot(true);
    m_due.setTimerType(Qt::PreciseTimer);
    connect(&m_due, &QTimer::timeout, this, &MeasurementControl::IdleStep);

    connect(indicators, &IndicatorPage::startClicked, this, &MeasurementControl::StartClick);
    connect(indicators, &IndicatorPage::stopClicked, this, &MeasurementControl::StopClick);
    connect(indicators, &IndicatorPage::pauseClicked, this, &MeasurementControl::PauseClick);
    connect(indicators, &IndicatorPage::continuousSamplingToggled, this,
            &MeasurementControl::ContinuousSamplingClick);
    ContinuousSamplingClick(indicators->sampling().continuous);
}

MeasurementControl::~MeasurementControl()
{
    disconnect(m_idle);
}

void MeasurementControl::setClock(std::function<int64_t()> clock)
{
    m_clock = std::move(clock);
    m_scheduler = MeasurementScheduler(m_clock());
}

void MeasurementControl::start()
{
    m_display.start();
    if (auto* dispatcher = QAbstractEventDispatcher::instance(thread()))
        m_idle = connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                         &MeasurementControl::IdleStep);
}

ActiveValues MeasurementControl::active() const
{
    return m_indicators->active();
}

SamplingSettings MeasurementControl::sampling() const
{
    return m_indicators->sampling();
}

MeasurementSummary MeasurementControl::summary() const
{
    return {m_scheduler.MeasureTime(), m_scheduler.duration(), sampling(), active()};
}

void MeasurementControl::IdleStep()
{
    if (m_scheduler.IdleStep(m_clock(), m_model, sampling()))
        SendMeasureRequest();
    armDueTimer();
}

void MeasurementControl::armDueTimer()
{
    const int64_t now = m_clock();
    const auto wait = m_scheduler.hundredthsUntilNextRequest(now, m_model, sampling());
    if (!wait) {
        m_due.stop();
        m_dueAt.reset();
        return;
    }
    // Idle steps come many times a hundredth: re-arm only when the moment moved.
    if (m_dueAt == now + *wait && m_due.isActive())
        return;
    m_dueAt = now + *wait;
    m_due.start(static_cast<int>(std::min<int64_t>(*wait * 10, std::numeric_limits<int>::max())));
}

void MeasurementControl::SendMeasureRequest()
{
    const ActiveValues a = active();
    SendReadCmd(m_requests, Cmd::Measure,
                {uint8_t(a.y ? 1 : 0), uint8_t(a.x1 ? 1 : 0), uint8_t(a.x2 ? 1 : 0), 0});
}

void MeasurementControl::measurementFrameReceived(std::span<const uint8_t> frame)
{
    if (sampling().continuous)
        if (const auto period = m_periodMeter.frame(m_scheduler.MeasureTime(), m_separator))
            m_indicators->setPeriodText(QString::fromStdString(*period));
    HandleMeasurementFrame(frame);
}

void MeasurementControl::HandleMeasurementFrame(std::span<const uint8_t> frame)
{
    bool hasY = false;
    bool hasX1 = false;
    bool hasX2 = false;
    // A frame shorter than its flags announce is dropped whole.
    if (!applyMeasurementFrame(m_model, frame, &hasY, &hasX1, &hasX2))
        return;
    auto show = [this](Channel c, float v) {
        m_results.showResult(c, formatRoundedTo3(v, m_separator));
    };
    if (hasY)
        show(Channel::Y, m_model.CurrentY);
    if (hasX1)
        show(Channel::X1, m_model.CurrentX1);
    if (hasX2)
        show(Channel::X2, m_model.CurrentX2);
    HandleNewValues();
    m_model.zapytanie = false;
}

void MeasurementControl::HandleNewValues()
{
    Sample sample;
    sample.measureTime = m_scheduler.MeasureTime();
    sample.active = active();
    sample.pk1 = m_model.OutputPK1 != 0;
    sample.pk2 = m_model.OutputPK2 != 0;
    m_indicators->setBars(barPositions(m_model, sample.active, m_indicators->leftHalfMaximum()));
    const struct
    {
        Channel channel;
        bool active;
        float value;
        std::optional<float> ShownValues::*shown;
    } values[] = {
        {Channel::Y, sample.active.y, m_model.CurrentY, &ShownValues::y},
        {Channel::X1, sample.active.x1, m_model.CurrentX1, &ShownValues::x1},
        {Channel::X2, sample.active.x2, m_model.CurrentX2, &ShownValues::x2},
    };
    for (const auto& v : values) {
        std::string& text = sample.texts[static_cast<std::size_t>(v.channel)];
        text = formatFixed(v.value, 4, 3);
        if (v.active) {
            m_indicators->showValue(v.channel, QString::fromStdString(text));
            m_shown.*v.shown = v.value;
        }
    }
    sample.shown = m_shown;
    m_indicators->setOutputs(sample.pk1, sample.pk2);
    emit sampleTaken(sample);
}

void MeasurementControl::DisplayTimerTick()
{
    emit displayTicked(m_scheduler.hasStepped());
    if (!m_scheduler.hasStepped())
        return;
    const QString rate = QString::fromStdString(rateText(sampling()));
    m_indicators->setRateText(rate);
    emit rateShown(rate);
    m_indicators->setTimeText(
        QString::fromStdString(timeText(m_scheduler.MeasureTime(), m_separator)));
}

void MeasurementControl::StartClick()
{
    if (!m_model.Detected) {
        dialogs().showMessage(QString::fromUtf8("Nie odnaleziono urządznia!"));
        emit deviceMissing();
        return;
    }
    m_scheduler.start(m_clock());
    m_periodMeter.restart(m_scheduler.MeasureTime());
    m_model.GO = true;
    lockGroups(true);
    armDueTimer();
}

void MeasurementControl::StopClick()
{
    m_model.GO = false;
    m_scheduler.stop();
    m_periodMeter.restart(m_scheduler.MeasureTime());
    lockGroups(false);
    armDueTimer();
}

void MeasurementControl::PauseClick()
{
    m_model.GO = !m_model.GO;
    m_scheduler.pause(m_model.GO);
    lockGroups(m_model.GO);
    armDueTimer();
}

void MeasurementControl::lineLost()
{
    m_model.GO = false;
    m_model.zapytanie = false;
    lockGroups(false);
    armDueTimer();
}

void MeasurementControl::ContinuousSamplingClick(bool checked)
{
    m_indicators->setPeriodDisplayVisible(checked);
    if (checked)
        m_periodMeter.restart(m_scheduler.MeasureTime());
}

void MeasurementControl::lockGroups(bool locked)
{
    m_indicators->setLocked(locked);
    emit groupsLocked(locked);
}

} // namespace kx
