#pragma once
// What the connection wizard needs of the serial link: the stored port, its own quiet open
// and close, and the request channel. The link control provides it; the main window hands it
// to the wizard.

#include <QString>

#include "core/protocol/RequestSender.h"

namespace kx {

class PortLink
{
public:
    virtual ~PortLink() = default;
    // The port the program connects to by default (from config.ini, else kDefaultPortName).
    virtual QString defaultPort() const = 0;
    // Opens without the opened notice; returns the engine's result code.
    virtual int openForWizard(const QString& portName) = 0;
    // Closes the port if it is open; the link counts as closed from now on.
    virtual void closeForWizard() = 0;
    virtual RequestChannel requests() = 0;
};

} // namespace kx
