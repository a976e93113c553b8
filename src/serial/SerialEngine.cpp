#include "serial/SerialEngine.h"
#include "serial/SerialBackend.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <system_error>

namespace kx {

namespace {
// Which engine's reader thread the calling thread is, if any.
thread_local const SerialEngine* t_readerOf = nullptr;
} // namespace

SerialEngine::SerialEngine() : m_os(std::make_unique<Backend>(*this)) {}

SerialEngine::~SerialEngine()
{
    m_os->signal(StopRequest);
    // No time limit here: the handler holds a reference to this engine.
    finishReader();
    if (m_os->portHeld())
        m_os->closePort();
}

void SerialEngine::set_event_handler(EventHandler h)
{
    auto handler = std::make_shared<const EventHandler>(std::move(h));
    std::lock_guard lock(m_handlerMutex);
    m_handler = std::move(handler);
}

void SerialEngine::set_read_size(int n)
{
    m_readSize.store(std::clamp(n, 1, kMaxReadSize), std::memory_order_relaxed);
}

int SerialEngine::read_size() const
{
    return m_readSize.load(std::memory_order_relaxed);
}

int SerialEngine::open_port(const std::string& name, int baud, int parity, int byteSize,
                            bool modemEvents)
{
    if (onReaderThread())
        return 8;
    if (m_reader.joinable()) {
        m_os->signal(StopRequest);
        finishReader();
    }
    if (m_os->portHeld())
        m_os->closePort();

    int result = 0;
    if (name.empty()) {
        result = 16;
    } else if (name.size() > kMaxPortNameLength) {
        result = 8;
    } else {
        result = m_os->openPort(mapPortName(name), baud, parity, byteSize, modemEvents);
    }
    if (!m_os->signalsValid())
        result = 32;
    if (result != 0) {
        if (m_os->portHeld())
            m_os->closePort();
        return result;
    }

    // A stop request left by a close_port while closed must not end this session, and a
    // send refused or lost before now must not block the first one.
    m_os->resetSignals();
    m_writePending.store(false, std::memory_order_release);
    m_receivedCount.store(0, std::memory_order_relaxed);
    m_open.store(true);
    {
        std::lock_guard lock(m_readerMutex);
        m_readerRunning = true;
    }
    try {
        m_reader = std::thread(&SerialEngine::readerMain, this);
    } catch (const std::system_error&) {
        {
            std::lock_guard lock(m_readerMutex);
            m_readerRunning = false;
        }
        m_open.store(false);
        m_os->closePort();
        return 32;
    }
    return 0;
}

void SerialEngine::close_port()
{
    m_os->signal(StopRequest);
    if (onReaderThread() || !m_reader.joinable())
        return;
    if (waitForReader(kCloseWaitMs))
        m_reader.join();
    // Otherwise the thread ends once its handler returns; open_port or the destructor joins it.
}

bool SerialEngine::send(const uint8_t* data, int length)
{
    if (data == nullptr || length < 0 || length > kMaxSendSize)
        return false;
    if (!m_open.load())
        return false;
    bool idle = false;
    if (!m_writePending.compare_exchange_strong(idle, true, std::memory_order_acquire))
        return false;
    std::memcpy(m_sendBuffer.data(), data, static_cast<std::size_t>(length));
    m_sendLength = length;
    m_os->signal(WriteRequest);
    return true;
}

uint32_t SerialEngine::received_count() const
{
    return m_receivedCount.load(std::memory_order_relaxed);
}

const uint8_t* SerialEngine::received_data() const
{
    return m_receiveBuffer.data();
}

void SerialEngine::request_next_read()
{
    m_os->signal(ReadRequest);
}

bool SerialEngine::is_open() const
{
    return m_open.load();
}

void SerialEngine::raise(SerialEvent event)
{
    std::shared_ptr<const EventHandler> handler;
    {
        std::lock_guard lock(m_handlerMutex);
        handler = m_handler;
    }
    if (handler && *handler)
        (*handler)(*this, event);
}

void SerialEngine::readerMain()
{
    t_readerOf = this;
    raise(PortOpened);
    m_os->run();
    m_os->closePort();
    m_open.store(false);
    raise(PortClosed);
    {
        std::lock_guard lock(m_readerMutex);
        m_readerRunning = false;
    }
    m_readerEnded.notify_all();
}

bool SerialEngine::onReaderThread() const
{
    return t_readerOf == this;
}

bool SerialEngine::waitForReader(int timeoutMs)
{
    std::unique_lock lock(m_readerMutex);
    return m_readerEnded.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [this] { return !m_readerRunning; });
}

void SerialEngine::finishReader()
{
    if (m_reader.joinable())
        m_reader.join();
}

} // namespace kx
