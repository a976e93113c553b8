#include "core/wizard/WizardSequence.h"

#include "core/protocol/Commands.h"

namespace kx {

namespace {

// Steps 2 … 21 read the device in its fixed read order, one command each, asking again on
// every tick until the answer is there; steps 1 and 22 wait for nothing.
uint8_t stepCommand(int step)
{
    return wizardReadOrder()[static_cast<std::size_t>(step - 2)];
}

// Ticks a step may wait before the failure shows: the identity comes first and fast.
int stepLimit(int step)
{
    return step == 2 ? 5 : 10;
}

const char* typeName(int32_t code)
{
    switch (static_cast<DeviceType>(code)) {
    case DeviceType::KX300L:
        return "KX300L";
    case DeviceType::RV7N:
        return "RV7N";
    case DeviceType::KX300N:
        return "KX300N";
    case DeviceType::KX350T:
        return "KX350T";
    case DeviceType::None:
        break;
    }
    return nullptr;
}

} // namespace

void WizardSequence::showRow(int n)
{
    ChecklistRow& r = m_state.row(n);
    r.iconShown = r.captionShown = true;
    r.icon = RowIcon::Waiting;
}

void WizardSequence::tickRow(int n)
{
    ChecklistRow& r = m_state.row(n);
    r.iconShown = r.captionShown = true;
    r.icon = RowIcon::Done;
}

void WizardSequence::ResetChecklist()
{
    for (ChecklistRow& r : m_state.rows)
        r = ChecklistRow{};
    m_state.softwareTextShown = false;
}

void WizardSequence::ShowFailure()
{
    for (ChecklistRow& r : m_state.rows) {
        if (!r.iconShown)
            r.icon = RowIcon::Failed;
        r.iconShown = r.captionShown = true;
    }
    m_state.softwareTextShown = true;
    m_state.connectEnabled = true;
    m_state.disconnectEnabled = false;
}

void WizardSequence::beginConnect(const std::string& portName)
{
    ++m_run;
    m_state.abortShown = true;
    m_state.connectEnabled = false;
    m_state.disconnectEnabled = true;

    m_model.Detected = false;
    ResetChecklist();
    for (Param p : {Param::PK1, Param::PK2, Param::OFFSET, Param::COEF, Param::LED, Param::decp,
                    Param::Beep, Param::mode, Param::filter})
        m_model.received(p) = 0;
    m_state.progress = 0;

    m_state.row(1).iconShown = m_state.row(1).captionShown = true;
    m_state.row(2).captionShown = true;
    m_state.portLabel = portName;
}

void WizardSequence::openPort(const std::string& portName)
{
    m_state.row(2).iconShown = true;
    if (m_host.openPort(portName) != 0) {
        m_host.showMessage("Nie znaleziono wybranego portu COM");
        m_state.row(1).icon = RowIcon::Failed;
        ShowFailure();
        ResetChecklist();
        return;
    }
    tickRow(1);
    tickRow(2);
    tickRow(3);
    m_state.connectEnabled = false;
    m_state.disconnectEnabled = true;
    m_state.WizardStep = 1;
    m_state.progress = 10;
    m_state.timerEnabled = true;
}

void WizardSequence::tick()
{
    if (m_inTick)
        return;
    m_inTick = true;
    m_state.progress = m_state.WizardStep >= 1 ? m_state.WizardStep + 10 : 0;
    if (m_state.WizardStep >= 1)
        runStep();
    m_inTick = false;
}

void WizardSequence::runStep()
{
    const int step = m_state.WizardStep;
    if (step == 1) {
        showRow(4);
        m_state.row(6).iconShown = true;
        m_state.row(6).icon = RowIcon::Waiting;
        m_model.TypeCode = 0;
        m_host.sendRead(Cmd::DeviceType);
        m_state.WizardStep = 2;
        m_state.StepTries = 0;
        return;
    }
    if (step == kLastStep) {
        complete();
        return;
    }
    if (stepArrived(step)) {
        const unsigned run = m_run;
        arrive(step);
        // The line was lost or the operator broke off while a message was up: the sequence
        // ended as it was, whatever the step had still to show.
        if (run != m_run)
            return;
        m_state.StepTries = 0;
        m_state.WizardStep = step + 1;
    } else {
        m_host.sendRead(stepCommand(step));
    }
    if (++m_state.StepTries > stepLimit(step))
        ShowFailure();
}

bool WizardSequence::stepArrived(int step) const
{
    switch (step) {
    case 2:
        return m_model.TypeCode != 0;
    case 3:
        return m_model.HardwareVersion != 0;
    case 4:
        return m_model.SoftwareVersion != 0;
    default:
        break;
    }
    const auto param = findCommand(stepCommand(step))->param;
    return m_model.received(*param) != 0;
}

void WizardSequence::arrive(int step)
{
    ParamSet& set = m_model.Set;
    const ParamSet& stan = m_model.Stan;
    switch (step) {
    case 2:
        if (const char* name = typeName(m_model.TypeCode))
            m_model.TypeName = name;
        if (m_model.TypeCode != static_cast<int32_t>(DeviceType::KX350T)) {
            const unsigned run = m_run;
            m_host.showMessage("Podłączone urządzenie nie zostało rozpoznane jako KX350T!\n"
                               "Program będzie kontynuował pracę, ale nie gwarantuje "
                               "poprawnego działania.");
            if (run != m_run)
                return;
        }
        tickRow(5);
        tickRow(6);
        showRow(7);
        break;
    case 3:
        tickRow(7);
        m_model.HardwareText = versionText(m_model.HardwareVersion);
        m_state.row(8).iconShown = m_state.row(8).captionShown = true;
        m_state.row(8).icon = RowIcon::Waiting;
        break;
    case 4:
        tickRow(8);
        tickRow(4);
        m_model.SoftwareText = versionText(m_model.SoftwareVersion);
        m_state.softwareTextShown = true;
        showRow(9);
        showRow(10);
        break;
    case 5:
        set.D0 = stan.D0;
        break;
    case 6:
        set.D1 = stan.D1;
        break;
    case 7:
        set.D2 = stan.D2;
        tickRow(10);
        showRow(11);
        break;
    case 8:
        set.a1 = stan.a1;
        break;
    case 9:
        set.a2 = stan.a2;
        break;
    case 10:
        set.b1 = stan.b1;
        break;
    case 11:
        set.b2 = stan.b2;
        tickRow(11);
        showRow(12);
        break;
    case 12:
    case 13:
    case 14:
    case 15:
    case 16:
    case 17:
        // MODE, PK1, PK2, LED, BEEP, DECP: rows 12 … 17, each shows the next.
        tickRow(step);
        showRow(step + 1);
        break;
    case 20:
        set.filter = stan.filter;
        break;
    case 21:
        set.VoltageRange = stan.VoltageRange;
        break;
    default:
        break;
    }
}

void WizardSequence::complete()
{
    tickRow(18);
    tickRow(9);
    tickRow(19);
    m_state.WizardStep = 0;
    m_state.progress = 0;
    m_model.Detected = true;
    m_state.timerEnabled = false;
    m_state.abortShown = false;
    m_state.connectEnabled = false;
    m_state.disconnectEnabled = true;
    m_host.refreshFromStan();
    ParamSet& set = m_model.Set;
    const ParamSet& stan = m_model.Stan;
    set.PK1 = stan.PK1;
    set.PK2 = stan.PK2;
    set.OFFSET = stan.OFFSET;
    set.COEF = stan.COEF;
    set.LED = stan.LED;
    set.decp = stan.decp;
    set.Beep = stan.Beep;
    set.mode = stan.mode;
}

void WizardSequence::disconnect()
{
    ++m_run;
    m_state.connectEnabled = true;
    m_state.disconnectEnabled = false;
    m_host.closePort();
    m_model.Detected = false;
}

void WizardSequence::lineLost()
{
    ++m_run;
    m_model.Detected = false;
    if (m_state.WizardStep != 0) {
        m_state.WizardStep = 0;
        m_state.timerEnabled = false;
        ShowFailure();
        m_state.abortShown = false;
        return;
    }
    m_state.connectEnabled = true;
    m_state.disconnectEnabled = false;
}

void WizardSequence::abort()
{
    ++m_run;
    m_state.WizardStep = 0;
    m_state.timerEnabled = false;
    m_host.closePort();
    m_model.Detected = false;
    ShowFailure();
    m_state.abortShown = false;
}

} // namespace kx
