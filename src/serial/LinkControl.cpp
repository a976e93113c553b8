#include "serial/LinkControl.h"

#include "app/Dialogs.h"
#include "device/DeviceModel.h"

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

void LinkControl::send(const uint8_t* data, int length)
{
    m_serial.send(data, length);
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
    case PortClosed:
        information(QString("Zamknieto port %1").arg(PortName), "OK");
        PortOpen = false;
        m_walker.reset();
        emit portClosed();
        break;
    case DataReceived:
        if (PortOpen)
            route(pending.block);
        break;
    default:
        break;
    }
}

void LinkControl::route(const QByteArray& block)
{
    m_walker.walk({reinterpret_cast<const uint8_t*>(block.constData()),
                   static_cast<std::size_t>(block.size())},
                  [this](FrameKind kind, std::span<const uint8_t> frame) {
                      if (!m_consumer)
                          return;
                      if (kind == FrameKind::Measurement) {
                          m_consumer->measurementFrameReceived(frame);
                      } else {
                          Frame8 reply;
                          std::copy(frame.begin(), frame.end(), reply.begin());
                          if (logAndCheckReply(m_log, reply))
                              m_consumer->replyReceived(reply);
                      }
                  });
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
        m_serial.set_read_size(kReadSize);
        m_walker.setReadSize(kReadSize);
        if (m_serial.open_port(PortName.toStdString(), BaudRate, 0, 8, false) != 0)
            information(QString("Nie mozna otworzyc portu %1").arg(PortName), kOpenErrorCaption);
    }
    Button5Click();
}

void LinkControl::rozcz1Click()
{
    if (PortOpen)
        m_serial.close_port();
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
    m_serial.set_read_size(kReadSize);
    m_walker.setReadSize(kReadSize);
    const int result = m_serial.open_port(PortName.toStdString(), BaudRate, 0, 8, false);
    if (result == 0)
        PortOpen = true;
    else
        SuppressOpenNotice = false;
    return result;
}

void LinkControl::closeForWizard()
{
    m_serial.close_port();
    PortOpen = false;
}

} // namespace kx
