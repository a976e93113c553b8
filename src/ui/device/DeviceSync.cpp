#include "ui/device/DeviceSync.h"

#include "core/device/DeviceModel.h"
#include "core/device/StateMonitor.h"
#include "core/device/SyncCycle.h"
#include "core/text/NumberFormat.h"
#include "ui/common/LocaleSeparator.h"
#include "ui/device/DevicePage.h"

namespace kx {

DeviceSync::DeviceSync(DeviceModel& model, DevicePage* page, QObject* parent)
    : QObject(parent), m_model(model), m_page(page), m_separator(localeDecimalSeparator())
{
    m_timer.setObjectName("Timer2");
    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &DeviceSync::Timer2Timer);
    m_readStep.setInterval(kReadStepMs);
    connect(&m_readStep, &QTimer::timeout, this, [this] {
        if (m_restore.readStep(m_model, m_requests)) {
            RefreshFromStan();
            m_model.ReplyReceived = false;
        }
        if (!m_restore.reading())
            m_readStep.stop();
    });
}

void DeviceSync::BitBtn3Click()
{
    m_restore.request(m_model, m_requests);
}

void DeviceSync::linkChanged()
{
    m_restore.cancel();
    m_readStep.stop();
}

void DeviceSync::Timer2Timer()
{
    if (m_monitor && m_monitor->wantsState())
        m_monitor->showState(stateDump(m_model, m_separator));
    showStatus();
    if (m_restore.tick(m_model, m_requests)) {
        if (m_restore.reading() && !m_readStep.isActive())
            m_readStep.start();
        return;
    }
    if (!m_model.Detected)
        return;
    if (m_model.ReplyReceived) {
        RefreshFromStan();
        m_model.ReplyReceived = false;
        return;
    }
    if (const auto write = nextWrite(m_model.Set, m_model.Stan))
        SendWriteCmd(m_requests, write->command, write->data);
}

void DeviceSync::showStatus()
{
    if (const auto status = statusText(m_model.Detected, m_model.GO))
        m_page->setStatus(QString::fromStdString(*status));
}

void DeviceSync::RefreshFromStan()
{
    const ParamSet& stan = m_model.Stan;
    const bool versions = m_model.SoftwareVersion != 0 && m_model.HardwareVersion != 0;
    m_page->setIdentity(QString::fromStdString(m_model.TypeName),
                        versions ? QString::fromStdString("Hardware: " + m_model.HardwareText +
                                                          " , Software: " + m_model.SoftwareText)
                                 : QString());
    auto show = [this](Param p, const std::string& text) {
        m_page->showConfirmed(p, QString::fromStdString(text), kConfirmedWhite);
    };
    show(Param::PK1, formatRoundedTo3(stan.PK1, m_separator));
    show(Param::PK2, formatRoundedTo3(stan.PK2, m_separator));
    show(Param::LED, std::to_string(stan.LED));
    show(Param::decp, std::to_string(stan.decp));
    // A change of the box runs its handler, which aligns Set.Beep with the device.
    m_page->setBeep(stan.Beep != 0);
    m_page->paintModeConfirmed();
}

} // namespace kx
