#include "ui/link/LinkControl.h"

#include "core/device/DeviceModel.h"
#include "core/protocol/Commands.h"
#include "ui/common/Dialogs.h"

namespace kx {

namespace {

const QString kOpenErrorCaption = "Blad otwarcia portu COM";

void information(const QString& text, const QString& caption)
{
    dialogs().messageBox(text, caption, MessageIcon::Information);
}

} // namespace

LinkControl::LinkControl(DeviceModel& model, QObject* parent) : QObject(parent), m_model(model)
{
    m_serial.set_event_handler(
        [this](SerialEngine& engine, SerialEvent event) { OnSerialEvent(engine, event); });
}

LinkControl::~LinkControl()
{
    m_serial.close_port();
}

void LinkControl::setTrafficLog(TrafficLog* log)
{
    m_log = log;
    m_router.setTrafficLog(log);
}

bool LinkControl::send(const uint8_t* data, int length)
{
    const bool taken = m_serial.send(data, length);
    if (taken && length == int(kFrameSize) && data[0] == uint8_t(FrameKind::ReadRequest) &&
        data[2] == Cmd::Measure)
        ++m_router.counters().measureRequests;
    return taken;
}

void LinkControl::appendLine(const std::string& line)
{
    if (m_log)
        m_log->appendLine(line);
}

void LinkControl::OnSerialEvent(SerialEngine& engine, SerialEvent event)
{
    if (event != PortOpened && event != PortClosed && event != DataReceived)
        return;
    Pending pending{event, {}};
    if (event == DataReceived) {
        // The block must be copied before the next read may overwrite it.
        pending.block = QByteArray(reinterpret_cast<const char*>(engine.received_data()),
                                   static_cast<qsizetype>(engine.received_count()));
        engine.request_next_read();
    }
    QMetaObject::invokeMethod(
        this, [this, pending = std::move(pending)] { post(pending.event, pending.block); },
        Qt::QueuedConnection);
}

void LinkControl::post(SerialEvent event, QByteArray block)
{
    m_queue.push_back({event, std::move(block)});
    if (m_handling)
        return; // a notice's event loop: the outer loop below takes it after the notice
    m_handling = true;
    while (!m_queue.empty()) {
        const Pending next = std::move(m_queue.front());
        m_queue.pop_front();
        handle(next);
    }
    m_handling = false;
}

void LinkControl::handle(const Pending& pending)
{
    switch (pending.event) {
    case PortOpened: {
        PortOpen = true;
        const QString text =
            QString("Otwarto port %1\n Predkosc: %2 kb/s").arg(PortName).arg(BaudRate);
        if (!SuppressOpenNotice)
            information(text, "OK");
        SuppressOpenNotice = false;
        emit portOpened();
        break;
    }
    case PortClosed: {
        const bool asked = m_closeAsked;
        m_closeAsked = false;
        information(QString("Zamknieto port %1").arg(PortName), "OK");
        PortOpen = false;
        m_router.reset();
        emit portClosed();
        if (!asked)
            emit lineLost();
        break;
    }
    case DataReceived:
        if (PortOpen)
            m_router.route({reinterpret_cast<const uint8_t*>(pending.block.constData()),
                            static_cast<std::size_t>(pending.block.size())});
        else
            ++m_router.counters().blocksDropped;
        break;
    default:
        break;
    }
}

int LinkControl::openPort()
{
    m_serial.set_read_size(kReadSize);
    m_router.setReadSize(kReadSize);
    const int result =
        m_serial.open_port(PortName.toStdString(), BaudRate, kLineParity, kLineDataBits, false);
    if (result == 0)
        m_router.counters() = {};
    return result;
}

void LinkControl::pocz1Click()
{
    if (PortOpen) {
        information("Jeden z portow juz zostal otwarty.", kOpenErrorCaption);
    } else if (!PortChosen) {
        information("Nalezy wybrac port, ktory ma zostac otwarty.", kOpenErrorCaption);
    } else if (!BaudChosen) {
        information("Nalezy wybrac predkosc transmisji.", kOpenErrorCaption);
    } else {
        if (openPort() != 0)
            information(QString("Nie mozna otworzyc portu %1").arg(PortName), kOpenErrorCaption);
    }
    Button5Click();
}

void LinkControl::closePort()
{
    // Only a port the engine still serves raises PortClosed for this close.
    if (m_serial.is_open())
        m_closeAsked = true;
    m_serial.close_port();
}

void LinkControl::rozcz1Click()
{
    if (PortOpen)
        closePort();
    else
        information("Zaden port jeszcze nie zostal otwarty.", "Blad zamkniecia portu COM");
}

void LinkControl::selectPort(const QString& name)
{
    PortName = name;
    PortChosen = true;
}

void LinkControl::Button5Click()
{
    m_model.GO = false;
}

int LinkControl::openForWizard(const QString& portName)
{
    PortName = portName;
    PortChosen = true;
    BaudChosen = true;
    SuppressOpenNotice = true;
    // An open while the engine still serves a port ends that session first.
    if (m_serial.is_open())
        m_closeAsked = true;
    const int result = openPort();
    if (result == 0)
        PortOpen = true;
    else
        SuppressOpenNotice = false;
    return result;
}

void LinkControl::closeForWizard()
{
    if (PortOpen)
        closePort();
    PortOpen = false;
}

} // namespace kx
