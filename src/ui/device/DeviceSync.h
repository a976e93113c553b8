#pragma once
// The 250 ms synchronisation cycle: the state dump in the monitor, the status text, and once
// the device is detected either a refresh of the editors after replies or one write that
// brings one parameter in line with its desired value.

#include <QObject>
#include <QTimer>

#include "core/device/DefaultsRestore.h"
#include "core/protocol/RequestSender.h"

namespace kx {

class DevicePage;
class StateMonitor;
struct DeviceModel;

class DeviceSync : public QObject
{
    Q_OBJECT

public:
    static constexpr int kIntervalMs = 250;
    static constexpr int kReadStepMs = 50; // the read-out after a restore, as fast as the wizard

    DeviceSync(DeviceModel& model, DevicePage* page, QObject* parent = nullptr);

    void setRequests(RequestChannel requests) { m_requests = requests; }
    void setMonitor(StateMonitor* monitor) { m_monitor = monitor; }

    // Starts the timer, which then never stops.
    void start() { m_timer.start(); }
    QTimer& timer() { return m_timer; }

public slots:
    void Timer2Timer();
    void RefreshFromStan();
    // "gotowy do pracy", "praca" or "nie wykryto" beside "Status:", as the model stands.
    void showStatus();
    // "Przywróć ustawienia domyślne".
    void BitBtn3Click();
    // The port opened or closed: a restore under way ends.
    void linkChanged();

private:
    DeviceModel& m_model;
    DevicePage* m_page;
    RequestChannel m_requests;
    StateMonitor* m_monitor = nullptr;
    QTimer m_timer;
    DefaultsRestore m_restore;
    QTimer m_readStep;
    char m_separator;
};

} // namespace kx
