#pragma once

// The operating system's half of SerialEngine: the port, the seven signals and the reader
// loop. SerialEnginePosix.cpp and SerialEngineWin32.cpp each define it; SerialEngine.cpp
// holds what both share (thread lifetime, handler, buffers, open order).

#include "serial/SerialEngine.h"

#include <cctype>
#include <string>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <chrono>
#include <termios.h>
#endif

namespace kx {

struct SerialEngine::Backend
{
    explicit Backend(SerialEngine& engine);
    ~Backend();
    Backend(const Backend&) = delete;
    Backend& operator=(const Backend&) = delete;

    bool signalsValid() const;
    bool portHeld() const;

    // Opens the port and applies event mask, timeouts and line settings (each tried even if
    // an earlier one failed). Returns 0, 8, or the last of 1, 2, 4 to fail; the caller
    // closes the port on a nonzero result.
    int openPort(const std::string& path, int baud, int parity, int byteSize, bool modemEvents);
    void closePort();

    // Sets a signal; any thread.
    void signal(Signal s);
    // Clears all seven; only while no reader thread runs.
    void resetSignals();

    // Asks for the first read (and modem wait), then serves the signals until the stop
    // request or an I/O failure. The port is still held when it returns.
    void run();

    SerialEngine& m_engine;
    bool m_modemWanted = false;
    bool m_readPending = false;
    bool m_modemPending = false;

#ifdef _WIN32
    HANDLE m_signals[7] = {};
    HANDLE m_port = INVALID_HANDLE_VALUE;
    OVERLAPPED m_readOv{};
    OVERLAPPED m_writeOv{};
    OVERLAPPED m_modemOv{};
    bool m_writeActive = false;
    DWORD m_modemMask = 0;
#else
    bool waitForSignalOrIo();
    bool readSome();
    bool writeSome();
    void wake();

    std::atomic<uint32_t> m_signals{0};
    int m_wakeRead = -1;  // eventfd, or the read end of a pipe
    int m_wakeWrite = -1; // the same eventfd, or the write end of the pipe
    int m_fd = -1;

    // Reader thread only: the read and write in progress at the port.
    bool m_readActive = false;
    int m_readWanted = 0;
    int m_readGot = 0;
    std::chrono::steady_clock::time_point m_lastByte{};
    bool m_writeActive = false;
    int m_writeLength = 0;
    int m_written = 0;
#endif
};

#ifndef _WIN32
// The termios the engine applies: raw, the given rate, byteSize data bits (5..8), parity 0 none,
// 1 odd, 2 even (checked on input), one stop bit, no flow control, modem lines ignored.
// False for a rate, size or parity termios cannot express.
bool posixLineSettings(termios& tio, int baud, int parity, int byteSize);
#endif

// n for "COMn" (any letter case, n >= 1), else 0.
inline int comPortNumber(const std::string& name)
{
    if (name.size() < 4 || name.size() > 7)
        return 0;
    for (int i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i])
            return 0;
    }
    int n = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return 0;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}

} // namespace kx
