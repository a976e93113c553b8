#include "device/DeviceSync.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "app/LocaleSeparator.h"
#include "device/DeviceModel.h"
#include "device/DevicePage.h"
#include "device/NumberFormat.h"
#include "device/RoundTo3.h"
#include "device/SyncCycle.h"
#include "protocol/TCOM_DBG_Form.h"
#include "wizard/WizardSequence.h"

namespace kx {

DeviceSync::DeviceSync(DeviceModel& model, DevicePage* page, QObject* parent)
    : QObject(parent), m_model(model), m_page(page), m_separator(localeDecimalSeparator())
{
    m_timer.setObjectName("Timer2");
    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &DeviceSync::Timer2Timer);
}

void DeviceSync::Timer2Timer()
{
    if (m_monitor && m_monitor->isShown()) {
        QStringList lines;
        for (const std::string& line : stateDump(m_model, m_separator))
            lines << QString::fromStdString(line);
        m_monitor->showState(lines);
    }
    if (const auto status = statusText(m_model.Detected, m_model.GO))
        m_page->statusLabel()->setText(QString::fromStdString(*status));
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

void DeviceSync::RefreshFromStan()
{
    const ParamSet& stan = m_model.Stan;
    m_page->typeLabel()->setText(
        m_model.TypeName.empty() ? QString("(brak)") : QString::fromStdString(m_model.TypeName));
    if (m_model.SoftwareVersion != 0 && m_model.HardwareVersion != 0) {
        const auto [hardware, software] = m_versionTexts
                                              ? m_versionTexts()
                                              : std::pair{versionText(m_model.HardwareVersion),
                                                          versionText(m_model.SoftwareVersion)};
        m_page->versionLabel()->setText(
            QString::fromStdString("Hardware: " + hardware + " , Software: " + software));
    } else {
        m_page->versionLabel()->setText("(brak)");
    }
    auto show = [this](Param p, const std::string& text) {
        m_page->editFor(p)->setText(QString::fromStdString(text));
        DevicePage::setBoxColour(m_page->editFor(p), kConfirmedWhite);
    };
    show(Param::PK1, formatGeneral(RoundTo3(stan.PK1), m_separator));
    show(Param::PK2, formatGeneral(RoundTo3(stan.PK2), m_separator));
    show(Param::LED, std::to_string(stan.LED));
    show(Param::decp, std::to_string(stan.decp));
    // A change of the box runs its handler, which aligns Set.Beep with the device.
    m_page->beepBox()->setChecked(stan.Beep != 0);
    QPalette white = m_page->modeCombo()->palette();
    white.setColor(QPalette::Base, kConfirmedWhite);
    white.setColor(QPalette::Button, kConfirmedWhite);
    m_page->modeCombo()->setPalette(white);
}

} // namespace kx
