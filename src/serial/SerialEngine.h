#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace kx {

enum SerialEvent : int
{
    PortOpened = 0,
    PortClosed = 1,
    DataSent = 2,
    DataReceived = 3,
    RingDetected = 4,
    CarrierOn = 5,
    CarrierOff = 6,
};

// One serial port and the reader thread that serves it.
//
// The owner's thread calls open_port, close_port, send, set_read_size and request_next_read;
// the reader thread does all the I/O and calls the event handler for every event. A read
// never ends before its first byte; it ends when read_size() bytes have arrived or after 25 ms
// without a further byte. After the first read, no read is made until request_next_read().
//
// Choices made here:
// - A send while the port is closed is discarded; nothing is kept for the next open.
// - open_port clears a stop request left by a close_port made while no reader thread ran.
// - open_port while a reader thread still runs (open, or left running by a close_port that
//   timed out) first stops that thread and waits for it to end; it raises its PortClosed.
// - The destructor waits for the reader thread to end, however long its handler takes: the
//   handler holds a reference to this engine, so the engine must outlive it.
// - Modem events on POSIX: open_port checks that the port has modem lines (TIOCMGET; a
//   pseudo-terminal has none and gives 1), but RingDetected/CarrierOn/CarrierOff are raised
//   only by the Windows back end. Linux can only block on line changes (TIOCMIWAIT), which
//   cannot join the reader thread's single wait. The program never asks for modem events.
// - From inside the handler, close_port only requests the stop and returns; open_port
//   returns 8 (the port is this engine's own, still in use). The handler must not destroy
//   the engine and must not throw.
class SerialEngine
{
public:
    // Runs on the reader thread.
    using EventHandler = std::function<void(SerialEngine&, SerialEvent)>;

    static constexpr int kMaxReadSize = 1024;
    static constexpr int kMaxSendSize = 255;
    static constexpr int kSilenceMs = 25;
    static constexpr int kCloseWaitMs = 2000;
    static constexpr std::size_t kMaxPortNameLength = 255;

    SerialEngine();
    ~SerialEngine();
    SerialEngine(const SerialEngine&) = delete;
    SerialEngine& operator=(const SerialEngine&) = delete;

    void set_event_handler(EventHandler h);

    // n above 1024 is stored as 1024; below 1 as 1 (a read of nothing would stall reading).
    void set_read_size(int n);
    int read_size() const;

    // Returns 0 on success, else 1 event mask, 2 timeouts, 4 line settings (the last of these
    // to fail decides), 8 the port could not be opened (no such port, in use, name longer
    // than 255 bytes), 16 empty name, 32 the engine's signals are unusable.
    // parity: 0 none, 1 odd, 2 even. The name goes through mapPortName().
    int open_port(const std::string& name, int baud, int parity, int byteSize, bool modemEvents);

    // Requests the stop and waits at most 2000 ms for the reader thread to end. A thread that
    // has not ended by then (its handler is busy) ends on its own and is joined later.
    void close_port();

    // Hands 0 to 255 bytes to the reader thread; true when they were taken. Refused (false)
    // while a write is pending, for 256 bytes or more, without data, or while the port is
    // closed.
    bool send(const uint8_t* data, int length);

    // The block of the last completed read; meant for the DataReceived handler. Unchanged
    // until the next read is requested.
    uint32_t received_count() const;
    const uint8_t* received_data() const;

    void request_next_read();

    // True from a successful open_port until the reader thread has closed the port.
    bool is_open() const;

private:
    struct Backend; // the operating system's port, signals and reader loop
    friend struct Backend;

    enum Signal : int
    {
        StopRequest = 0,
        ReadDone = 1,
        ReadRequest = 2,
        WriteDone = 3,
        WriteRequest = 4,
        ModemDone = 5,
        ModemRequest = 6,
    };

    void raise(SerialEvent event);
    void readerMain();
    bool onReaderThread() const;
    bool waitForReader(int timeoutMs);
    void finishReader();

    std::unique_ptr<Backend> m_os;

    std::mutex m_handlerMutex;
    std::shared_ptr<const EventHandler> m_handler;

    std::atomic<int> m_readSize{1};
    std::atomic<uint32_t> m_receivedCount{0};
    std::array<uint8_t, kMaxReadSize + 1> m_receiveBuffer{};

    // A send owns m_sendBuffer/m_sendLength from winning m_writePending until the reader
    // thread clears it after the write, so neither side touches them at the same time.
    std::atomic<bool> m_writePending{false};
    std::array<uint8_t, kMaxSendSize + 1> m_sendBuffer{};
    int m_sendLength = 0;

    std::atomic<bool> m_open{false};

    // Joined by the owner only; m_readerRunning tells whether the thread has finished.
    std::thread m_reader;
    std::mutex m_readerMutex;
    std::condition_variable m_readerEnded;
    bool m_readerRunning = false;
};

// "COMn" (n >= 1, any letter case) names the n-th serial port: /dev/ttyS(n-1) on POSIX,
// \\.\COMn on Windows. On POSIX a name beginning with '/' is a device path and is kept; any
// other name is looked up in /dev. Nothing is cut.
std::string mapPortName(const std::string& name);

} // namespace kx
