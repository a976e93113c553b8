#pragma once
// The 250 ms synchronisation cycle: the state dump in the monitor, the status text, and once
// the device is detected either a refresh of the editors after replies or one write that
// brings one parameter in line with its desired value.

#include <QObject>
#include <QTimer>

#include <functional>
#include <string>

#include "protocol/RequestSender.h"

namespace kx {

class DevicePage;
class TCOM_DBG_Form;
struct DeviceModel;

class DeviceSync : public QObject
{
    Q_OBJECT

public:
    static constexpr int kIntervalMs = 250;

    DeviceSync(DeviceModel& model, DevicePage* page, QObject* parent = nullptr);

    void setRequests(RequestChannel requests) { m_requests = requests; }
    void setMonitor(TCOM_DBG_Form* monitor) { m_monitor = monitor; }
    // The version texts the wizard shows ("1.2", "1.05"); computed here until one is given.
    void setVersionTexts(std::function<std::pair<std::string, std::string>()> texts)
    {
        m_versionTexts = std::move(texts);
    }

    // Starts the timer, which then never stops.
    void start() { m_timer.start(); }
    QTimer& timer() { return m_timer; }

public slots:
    void Timer2Timer();
    void RefreshFromStan();

private:
    DeviceModel& m_model;
    DevicePage* m_page;
    RequestChannel m_requests;
    TCOM_DBG_Form* m_monitor = nullptr;
    std::function<std::pair<std::string, std::string>()> m_versionTexts;
    QTimer m_timer;
    char m_separator;
};

} // namespace kx
