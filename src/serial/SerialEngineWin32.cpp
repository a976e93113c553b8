// Win32 back end: overlapped I/O on the port, completing through three manual-reset events,
// and one WaitForMultipleObjects over the seven signals (the lowest index wins).

#include "serial/SerialBackend.h"

namespace kx {

namespace {

bool failedOtherThanPending()
{
    return GetLastError() != ERROR_IO_PENDING;
}

} // namespace

std::string mapPortName(const std::string& name)
{
    // The bare name reaches only COM1..COM9; the device namespace reaches every port.
    if (comPortNumber(name) > 0)
        return "\\\\.\\" + name;
    return name;
}

SerialEngine::Backend::Backend(SerialEngine& engine) : m_engine(engine)
{
    for (int i = 0; i < 7; ++i) {
        const bool manualReset = i == ReadDone || i == WriteDone || i == ModemDone;
        m_signals[i] = CreateEventA(nullptr, manualReset ? TRUE : FALSE, FALSE, nullptr);
    }
}

SerialEngine::Backend::~Backend()
{
    closePort();
    for (HANDLE& h : m_signals) {
        if (h != nullptr)
            CloseHandle(h);
        h = nullptr;
    }
}

bool SerialEngine::Backend::signalsValid() const
{
    for (HANDLE h : m_signals) {
        if (h == nullptr)
            return false;
    }
    return true;
}

bool SerialEngine::Backend::portHeld() const
{
    return m_port != INVALID_HANDLE_VALUE;
}

int SerialEngine::Backend::openPort(const std::string& path, int baud, int parity, int byteSize,
                                    bool modemEvents)
{
    m_modemWanted = modemEvents;
    m_readOv = OVERLAPPED{};
    m_writeOv = OVERLAPPED{};
    m_modemOv = OVERLAPPED{};

    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    dcb.BaudRate = static_cast<DWORD>(baud);
    dcb.ByteSize = static_cast<BYTE>(byteSize);
    dcb.Parity = static_cast<BYTE>(parity); // NOPARITY 0, ODDPARITY 1, EVENPARITY 2
    dcb.fParity = parity != 0;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    // Unused without XON/XOFF, but SetCommState refuses equal characters.
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;

    m_port = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OVERLAPPED, nullptr);
    m_readOv.hEvent = m_signals[ReadDone];
    m_writeOv.hEvent = m_signals[WriteDone];
    m_modemOv.hEvent = m_signals[ModemDone];
    if (m_port == INVALID_HANDLE_VALUE)
        return 8;

    int result = 0;
    if (!SetCommMask(m_port, modemEvents ? (EV_RING | EV_RLSD) : 0))
        result = 1;
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = SerialEngine::kSilenceMs;
    if (!SetCommTimeouts(m_port, &timeouts))
        result = 2;
    if (!SetCommState(m_port, &dcb))
        result = 4;
    return result;
}

void SerialEngine::Backend::closePort()
{
    if (m_port == INVALID_HANDLE_VALUE)
        return;
    // Outstanding operations still target the engine's buffers: let them finish cancelling.
    CancelIo(m_port);
    DWORD ignored = 0;
    if (m_readPending)
        GetOverlappedResult(m_port, &m_readOv, &ignored, TRUE);
    if (m_writeActive)
        GetOverlappedResult(m_port, &m_writeOv, &ignored, TRUE);
    if (m_modemPending)
        GetOverlappedResult(m_port, &m_modemOv, &ignored, TRUE);
    m_readPending = m_writeActive = m_modemPending = false;
    CloseHandle(m_port);
    m_port = INVALID_HANDLE_VALUE;
}

void SerialEngine::Backend::signal(Signal s)
{
    if (m_signals[s] != nullptr)
        SetEvent(m_signals[s]);
}

void SerialEngine::Backend::resetSignals()
{
    for (HANDLE h : m_signals) {
        if (h != nullptr)
            ResetEvent(h);
    }
}

void SerialEngine::Backend::run()
{
    m_readPending = false;
    m_writeActive = false;
    m_modemPending = false;
    SetEvent(m_signals[ReadRequest]);
    if (m_modemWanted)
        SetEvent(m_signals[ModemRequest]);

    for (;;) {
        const DWORD w = WaitForMultipleObjects(7, m_signals, FALSE, INFINITE);
        if (w >= WAIT_OBJECT_0 + 7)
            return;
        DWORD count = 0;
        switch (static_cast<int>(w - WAIT_OBJECT_0)) {
        case StopRequest:
            return;
        case ReadDone:
            if (!GetOverlappedResult(m_port, &m_readOv, &count, FALSE)) {
                if (failedOtherThanPending())
                    return;
                break;
            }
            ResetEvent(m_signals[ReadDone]);
            m_engine.m_receivedCount.store(count, std::memory_order_relaxed);
            m_readPending = false;
            if (count > 0)
                m_engine.raise(DataReceived);
            break;
        case ReadRequest:
            if (m_readPending)
                break;
            m_readPending = true;
            if (!ReadFile(m_port, m_engine.m_receiveBuffer.data(),
                          static_cast<DWORD>(m_engine.read_size()), nullptr, &m_readOv) &&
                failedOtherThanPending())
                return;
            break;
        case WriteDone:
            if (!GetOverlappedResult(m_port, &m_writeOv, &count, FALSE)) {
                if (failedOtherThanPending())
                    return;
                break;
            }
            ResetEvent(m_signals[WriteDone]);
            m_writeActive = false;
            m_engine.m_writePending.store(false, std::memory_order_release);
            m_engine.raise(DataSent);
            break;
        case WriteRequest:
            m_writeActive = true;
            if (!WriteFile(m_port, m_engine.m_sendBuffer.data(),
                           static_cast<DWORD>(m_engine.m_sendLength), nullptr, &m_writeOv) &&
                failedOtherThanPending())
                return;
            break;
        case ModemDone: {
            if (!GetOverlappedResult(m_port, &m_modemOv, &count, FALSE)) {
                if (failedOtherThanPending())
                    return;
                break;
            }
            ResetEvent(m_signals[ModemDone]);
            m_modemPending = false;
            DWORD lines = 0;
            if (!GetCommModemStatus(m_port, &lines))
                return;
            if ((m_modemMask & EV_RING) && (lines & MS_RING_ON))
                m_engine.raise(RingDetected);
            if (m_modemMask & EV_RLSD)
                m_engine.raise((lines & MS_RLSD_ON) ? CarrierOn : CarrierOff);
            SetEvent(m_signals[ModemRequest]);
            break;
        }
        case ModemRequest:
            if (m_modemPending || !m_modemWanted)
                break;
            m_modemPending = true;
            if (!WaitCommEvent(m_port, &m_modemMask, &m_modemOv) && failedOtherThanPending())
                return;
            break;
        }
    }
}

} // namespace kx
