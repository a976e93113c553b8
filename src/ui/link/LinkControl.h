#pragma once
// The link between the main window and the serial engine: the link state, the commands of
// the "komunikacja" menu, the operator's notices, and the routing of received blocks.
//
// The engine's reader thread only copies a block, asks for the next read and posts the copy
// here; routing and everything it causes run on the UI thread, one event at a time in the
// order received. A modal notice shown while one event is handled does not let the next one
// in through its nested event loop: events wait in a queue until the notice is dismissed.

#include <QByteArray>
#include <QObject>
#include <QString>

#include <deque>
#include <span>

#include "core/protocol/FrameRouter.h"
#include "core/protocol/RequestSender.h"
#include "core/protocol/SerialLine.h"
#include "core/settings/DefaultPort.h"
#include "serial/SerialEngine.h"
#include "ui/link/PortLink.h"

namespace kx {

struct DeviceModel;

class LinkControl : public QObject, public ByteSink, public TrafficLog, public PortLink
{
    Q_OBJECT

public:
    static constexpr int kReadSize = 64;

    explicit LinkControl(DeviceModel& model, QObject* parent = nullptr);
    ~LinkControl() override;

    void setTrafficLog(TrafficLog* log);
    void setFrameConsumer(FrameConsumer* consumer) { m_router.setConsumer(consumer); }

    // Requests go to the engine and, while the monitor is shown, to its traffic pane. The
    // channel stays valid when the monitor is attached later.
    RequestChannel requests() override { return {this, this}; }
    bool send(const uint8_t* data, int length) override;
    bool isShown() const override { return m_log && m_log->isShown(); }
    void appendLine(const std::string& line) override;

    // Link state.
    bool PortOpen = false;
    bool PortChosen = false;
    bool BaudChosen = false;
    bool SuppressOpenNotice = false;
    QString PortName = kDefaultPortName;
    int BaudRate = kLineBaudRate;

    SerialEngine& engine() { return m_serial; }
    // What the line lost since the port was last opened.
    const LinkCounters& counters() const { return m_router.counters(); }

    QString defaultPort() const override { return PortName; }
    // The wizard's own open: no opened notice, PortOpen at once on success. Returns the
    // engine's result code.
    int openForWizard(const QString& portName) override;
    // The wizard's disconnect and abort.
    void closeForWizard() override;
    // Closes the port on the program's own request (its PortClosed is no lost line).
    void closePort();

    // The UI-thread half of the engine's event handler: queues the event and handles the
    // queue unless a handling further up the stack is waiting for a notice.
    void post(SerialEvent event, QByteArray block = {});

public slots:
    void pocz1Click();                    // "połącz"
    void rozcz1Click();                   // "rozłącz"
    void selectPort(const QString& name); // "COM1" … "COM14"
    void auto1Click() {}                  // "auto": checks its item, changes nothing else
    void Button5Click();                  // clears GO after every "połącz"

signals:
    // Emitted after the event has been handled on the UI thread.
    void portOpened();
    void portClosed();
    // After portClosed, when nobody here asked for the close: the device hung up, the
    // adapter was pulled, the line failed.
    void lineLost();

private:
    struct Pending
    {
        SerialEvent event;
        QByteArray block;
    };

    void OnSerialEvent(SerialEngine& engine, SerialEvent event); // reader thread
    void handle(const Pending& pending);
    // Opens PortName with the link's fixed line settings; returns the engine's result code.
    int openPort();

    DeviceModel& m_model;
    TrafficLog* m_log = nullptr;
    std::deque<Pending> m_queue;
    bool m_handling = false;
    bool m_closeAsked = false;
    FrameRouter m_router{kReadSize};
    // Last, so it is destroyed first: its reader thread posts to this object.
    SerialEngine m_serial;
};

} // namespace kx
