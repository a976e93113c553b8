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

#include "protocol/BlockWalker.h"
#include "protocol/RequestSender.h"
#include "serial/SerialEngine.h"

namespace kx {

struct DeviceModel;

// Where routed frames go.
class FrameConsumer
{
public:
    virtual ~FrameConsumer() = default;
    // A reply whose checksum holds.
    virtual void replyReceived(const Frame8& reply) = 0;
    // A whole measurement frame.
    virtual void measurementFrameReceived(std::span<const uint8_t> frame) = 0;
};

class LinkControl : public QObject, public ByteSink, public TrafficLog
{
    Q_OBJECT

public:
    static constexpr int kBaudRate = 57600;
    static constexpr int kReadSize = 64;

    explicit LinkControl(DeviceModel& model, QObject* parent = nullptr);
    ~LinkControl() override;

    void setTrafficLog(TrafficLog* log) { m_log = log; }
    void setFrameConsumer(FrameConsumer* consumer) { m_consumer = consumer; }

    // Requests go to the engine and, while the monitor is shown, to its traffic pane. The
    // channel stays valid when the monitor is attached later.
    RequestChannel requests() { return {this, this}; }
    void send(const uint8_t* data, int length) override;
    bool isShown() const override { return m_log && m_log->isShown(); }
    void appendLine(const std::string& line) override;

    // Link state.
    bool PortOpen = false;
    bool PortChosen = false;
    bool BaudChosen = false;
    bool SuppressOpenNotice = false;
    QString PortName = "COM1";
    int BaudRate = kBaudRate;

    SerialEngine& engine() { return m_serial; }

    // The wizard's own open: no opened notice, PortOpen at once on success. Returns the
    // engine's result code.
    int openForWizard(const QString& portName);
    // The wizard's disconnect and abort.
    void closeForWizard();

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

private:
    struct Pending
    {
        SerialEvent event;
        QByteArray block;
    };

    void OnSerialEvent(SerialEngine& engine, SerialEvent event); // reader thread
    void handle(const Pending& pending);
    void route(const QByteArray& block);

    DeviceModel& m_model;
    TrafficLog* m_log = nullptr;
    FrameConsumer* m_consumer = nullptr;
    std::deque<Pending> m_queue;
    bool m_handling = false;
    BlockWalker m_walker{kReadSize};
    // Last, so it is destroyed first: its reader thread posts to this object.
    SerialEngine m_serial;
};

} // namespace kx
