#pragma once
// The master side of a pseudo-terminal, whose slave side the program opens as its serial port.
//
// One descriptor of the slave stays open here for the whole life of the master: without it
// the master reads EIO and polls POLLHUP without end whenever the program is not connected,
// and the slave's raw settings would be reset when the program closes it. Closing the master
// (and that descriptor) is a hang-up that the program sees on its side.

#include <string>

namespace kx::sim {

class PseudoTerminal
{
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Opens a master (non-blocking, close-on-exec) and sets the slave to raw 8-bit bytes at
    // 57600 bit/s, so binary frames pass the line discipline untouched. On failure returns
    // false with the reason in error, and nothing stays open.
    bool open(std::string& error);
    void close();

    bool isOpen() const { return m_master >= 0; }
    int masterFd() const { return m_master; }
    const std::string& slavePath() const { return m_slavePath; }

private:
    int m_master = -1;
    int m_keptSlave = -1;
    std::string m_slavePath;
};

} // namespace kx::sim
