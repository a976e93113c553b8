#pragma once
// A fixed name for the pseudo-terminal (--link), so the program can keep one port name in its
// settings while the terminal's own path changes from run to run. Removed again on
// destruction.

#include <string>

namespace kx::sim {

class TerminalLink
{
public:
    TerminalLink() = default;
    ~TerminalLink();
    TerminalLink(const TerminalLink&) = delete;
    TerminalLink& operator=(const TerminalLink&) = delete;

    // Makes path a symbolic link to target. Only a symbolic link may be replaced, never a file
    // of another kind. On failure returns false with the reason in error.
    bool create(const std::string& path, const std::string& target, std::string& error);
    // Removes the link only while it still points at our terminal: another simulator may have
    // taken the name over.
    void remove();

private:
    std::string m_path;
    std::string m_target;
};

} // namespace kx::sim
