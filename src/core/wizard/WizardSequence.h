#pragma once
// The connection wizard's logic: open the port, identify the device and read every
// parameter, one request per tick, and keep the checklist that shows how far it got.
// The window renders WizardState after every call; the host does the I/O.

#include <array>
#include <cstdint>
#include <string>

#include "core/device/DeviceModel.h"
#include "core/settings/DefaultPort.h"

namespace kx {

enum class RowIcon
{
    Waiting, // blue question mark
    Done,    // green tick
    Failed,  // red circle with a bar
};

struct ChecklistRow
{
    bool iconShown = false;
    bool captionShown = false;
    RowIcon icon = RowIcon::Waiting;
};

constexpr int kChecklistRows = 19;

struct WizardState
{
    std::array<ChecklistRow, kChecklistRows> rows{}; // rows[0] is row 1
    std::string portLabel = kDefaultPortName;        // beside "Łączenie z portem:"
    bool softwareTextShown = false; // the model's SoftwareText beside "Software: V"
    int progress = 0;               // 0 … 32
    bool connectEnabled = true;
    bool disconnectEnabled = false;
    bool abortShown = false;
    bool timerEnabled = true;
    int32_t WizardStep = 0;
    int32_t StepTries = 0;

    ChecklistRow& row(int n) { return rows[static_cast<std::size_t>(n - 1)]; }
    const ChecklistRow& row(int n) const { return rows[static_cast<std::size_t>(n - 1)]; }
};

class WizardHost
{
public:
    virtual ~WizardHost() = default;
    // Opens the port without the opened notice; returns the engine's result code.
    virtual int openPort(const std::string& name) = 0;
    // Closes the port if it is open; the link counts as closed from now on.
    virtual void closePort() = 0;
    virtual void sendRead(uint8_t command) = 0;
    // A plain message box; the sequence waits for it.
    virtual void showMessage(const std::string& text) = 0;
    // Refreshes the device tab from the reported values.
    virtual void refreshFromStan() = 0;
};

class WizardSequence
{
public:
    static constexpr int kLastStep = 22;

    WizardSequence(DeviceModel& model, WizardHost& host) : m_model(model), m_host(host) {}

    const WizardState& state() const { return m_state; }

    // "Połącz", first half: prepares the checklist for the port about to be opened.
    void beginConnect(const std::string& portName);
    // "Połącz", second half, 100 ms later: opens the port and starts the sequence.
    void openPort(const std::string& portName);
    // Every 50 ms while the timer runs. A tick that comes while an earlier one waits for a
    // message does nothing.
    void tick();
    // "Rozłącz".
    void disconnect();
    // "Przerwij łączenie".
    void abort();
    // The line went away without being asked to: the port is closed already. A sequence
    // under way ends as failed; a connection made is over, and "Połącz" connects again.
    void lineLost();

    void ResetChecklist();
    void ShowFailure();

private:
    void runStep();
    bool stepArrived(int step) const;
    void arrive(int step);
    void complete();
    void showRow(int n);
    void tickRow(int n);

    DeviceModel& m_model;
    WizardHost& m_host;
    WizardState m_state;
    bool m_inTick = false;
    // Counts the sequence's ends and starts: a step that waited for a message finds out
    // whether the sequence it belongs to is still the one running.
    unsigned m_run = 0;
};

} // namespace kx
