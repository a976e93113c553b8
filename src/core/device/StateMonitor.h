#pragma once
// Where the synchronisation cycle writes its state dump (the traffic monitor's state pane).
// The device code reaches that window only through this; the main window wires it up.

#include <string>
#include <vector>

namespace kx {

class StateMonitor
{
public:
    virtual ~StateMonitor() = default;
    // Whether the dump is read now; it is not built otherwise.
    virtual bool wantsState() const = 0;
    virtual void showState(const std::vector<std::string>& lines) = 0;
};

} // namespace kx
