#pragma once
// SIGTERM, SIGINT and SIGHUP close the program as its close button does, so config.ini is
// written when the system or the operator's terminal ends it. The handler only writes to a
// socket pair; the closing runs on the UI thread, through the event loop.

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace kx {

class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    // onSignal runs on the UI thread once per signal received. One instance at a time.
    explicit TerminationSignals(std::function<void()> onSignal, QObject* parent = nullptr);
    ~TerminationSignals() override;

private:
    void drain();

    std::function<void()> m_onSignal;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace kx
