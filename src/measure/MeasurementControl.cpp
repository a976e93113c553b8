#include "measure/MeasurementControl.h"

#include <QAbstractEventDispatcher>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "app/Dialogs.h"
#include "app/LocaleSeparator.h"
#include "device/DeviceModel.h"
#include "device/DevicePage.h"
#include "device/NumberFormat.h"
#include "device/RoundTo3.h"
#include "measure/CGauge.h"
#include "measure/IndicatorPage.h"
#include "protocol/Commands.h"

namespace kx {

namespace {

void setPosition(CGauge* gauge, const std::optional<int>& position)
{
    if (position)
        gauge->setProgress(*position);
}

QString fieldText(float value)
{
    return QString::fromStdString(formatFixed(value, 4, 3));
}

} // namespace

MeasurementControl::MeasurementControl(DeviceModel& model, IndicatorPage* indicators,
                                       DevicePage* device, QObject* parent)
    : QObject(parent), m_model(model), m_indicators(indicators), m_device(device),
      m_separator(localeDecimalSeparator())
{
    m_elapsed.start();
    m_clock = [this] { return m_elapsed.elapsed() / 10; };
    m_scheduler = MeasurementScheduler(m_clock());

    m_display.setObjectName("Timer3");
    m_display.setInterval(kDisplayIntervalMs);
    connect(&m_display, &QTimer::timeout, this, &MeasurementControl::DisplayTimerTick);

    connect(indicators->startButton(), &QPushButton::clicked, this,
            &MeasurementControl::StartClick);
    connect(indicators->stopButton(), &QPushButton::clicked, this, &MeasurementControl::StopClick);
    connect(indicators->pauseButton(), &QPushButton::clicked, this,
            &MeasurementControl::PauseClick);
    connect(indicators->continuousSampling(), &QCheckBox::toggled, this,
            &MeasurementControl::ContinuousSamplingClick);
    ContinuousSamplingClick(indicators->continuousSampling()->isChecked());
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
    return {m_indicators->yActive()->isChecked(), m_indicators->x1Active()->isChecked(),
            m_indicators->x2Active()->isChecked()};
}

SamplingSettings MeasurementControl::sampling() const
{
    return {m_indicators->continuousSampling()->isChecked(),
            m_indicators->samplingPeriod()->value()};
}

void MeasurementControl::IdleStep()
{
    if (m_scheduler.IdleStep(m_clock(), m_model, sampling()))
        SendMeasureRequest();
}

void MeasurementControl::SendMeasureRequest()
{
    const ActiveValues a = active();
    SendReadCmd(m_requests, Cmd::Measure,
                {uint8_t(a.y ? 1 : 0), uint8_t(a.x1 ? 1 : 0), uint8_t(a.x2 ? 1 : 0), 0});
}

void MeasurementControl::measurementFrameReceived(std::span<const uint8_t> frame)
{
    if (m_indicators->continuousSampling()->isChecked())
        if (const auto period = m_periodMeter.frame(m_scheduler.MeasureTime()))
            m_indicators->periodDisplay()->setText(QString::fromStdString(CommaDecimal(*period)));
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
        m_device->resultBox(c)->setText(
            QString::fromStdString(formatGeneral(RoundTo3(v), m_separator)));
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
    const ActiveValues a = active();
    const BarPositions bars = barPositions(m_model, a, m_indicators->leftHalfBar()->maxValue());
    if (a.y) {
        setPosition(m_indicators->yBar(), bars.y);
        setPosition(m_indicators->rightHalfBar(), bars.right);
        setPosition(m_indicators->leftHalfBar(), bars.left);
        m_indicators->yField()->setText(fieldText(m_model.CurrentY));
    }
    if (a.x1) {
        setPosition(m_indicators->x1Bar(), bars.x1);
        m_indicators->x1Field()->setText(fieldText(m_model.CurrentX1));
    }
    if (a.x2) {
        setPosition(m_indicators->x2Bar(), bars.x2);
        m_indicators->x2Field()->setText(fieldText(m_model.CurrentX2));
    }
    if (m_sampleTexts)
        m_sampleTexts(formatFixed(m_model.CurrentY, 4, 3), formatFixed(m_model.CurrentX1, 4, 3),
                      formatFixed(m_model.CurrentX2, 4, 3), a);
    m_indicators->setOutputIndicator(m_indicators->pk1Indicator(), m_model.OutputPK1 != 0);
    m_indicators->setOutputIndicator(m_indicators->pk2Indicator(), m_model.OutputPK2 != 0);
    // Then the register row (with "autoodczyt") and the chart's output lines.
    if (m_afterNewValues)
        m_afterNewValues();
}

void MeasurementControl::DisplayTimerTick()
{
    if (!m_scheduler.hasStepped())
        return;
    const QString rate = QString::fromStdString(rateText(sampling()));
    m_indicators->rateLabel()->setText(rate);
    if (m_rateShown)
        m_rateShown(rate);
    m_indicators->timeLabel()->setText(QString::fromStdString(timeText(m_scheduler.MeasureTime())));
}

void MeasurementControl::StartClick()
{
    if (!m_model.Detected) {
        dialogs().showMessage(QString::fromUtf8("Nie odnaleziono urządznia!"));
        if (m_openWizard)
            m_openWizard();
        return;
    }
    m_scheduler.start();
    m_model.GO = true;
    lockGroups(true);
}

void MeasurementControl::StopClick()
{
    m_model.GO = false;
    m_scheduler.stop();
    lockGroups(false);
}

void MeasurementControl::PauseClick()
{
    m_model.GO = !m_model.GO;
    lockGroups(m_model.GO);
}

void MeasurementControl::ContinuousSamplingClick(bool checked)
{
    m_indicators->periodDisplay()->setVisible(checked);
    m_indicators->periodUnit()->setVisible(checked);
}

void MeasurementControl::lockGroups(bool locked)
{
    QList<QWidget*> groups = m_device->lockableGroups();
    groups.prepend(m_indicators->samplingGroup());
    for (QWidget* group : groups) {
        group->setEnabled(!locked);
        // Painted so the operator sees at a glance what a running measurement holds.
        group->setAutoFillBackground(true);
        QPalette p = group->palette();
        p.setColor(QPalette::Window,
                   group->palette().color(locked ? QPalette::Dark : QPalette::Button));
        // Greyed-out captions on the shadow colour would vanish; keep them readable.
        p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(60, 60, 60));
        p.setColor(QPalette::Disabled, QPalette::Text, QColor(60, 60, 60));
        group->setPalette(p);
        if (locked)
            group->setCursor(Qt::ForbiddenCursor);
        else
            group->unsetCursor();
    }
}

} // namespace kx
