#pragma once
// The program with its windows against a simulated device: the simulator started with the
// given arguments, the program started with its start-up timer stopped (the test connects
// when it chooses), the wizard's port box on the simulator's terminal and the dialogs
// recorded. Cases that need the device begin with KX_NEEDS_SIMULATOR().

#include <QComboBox>
#include <QPushButton>
#include <QStringList>
#include <QTest>

#include "EventLoop.h"
#include "RecordingDialogs.h"
#include "SimProcess.h"
#include "app/Program.h"
#include "app/TForm1.h"
#include "ui/link/LinkControl.h"
#include "ui/wizard/TAsystentForm.h"

struct SimulatedProgram
{
    // The wizard's whole read-out, with room for a loaded machine.
    static constexpr int kConnectTimeoutMs = 10000;

    SimProcess sim;
    RecordingDialogs dialogs;
    kx::Program program;
    kx::TForm1* main = program.mainWindow();
    kx::DeviceModel& model = main->model();
    kx::LinkControl& link = main->link();
    kx::TAsystentForm* wizard = main->findChild<kx::TAsystentForm*>();

    explicit SimulatedProgram(const QStringList& simArgs = {}) : sim(simArgs)
    {
        program.start();
        main->startupTimer().stop();
        wizard->portBox()->setCurrentText(sim.port);
    }
    SimulatedProgram(const SimulatedProgram&) = delete;
    SimulatedProgram& operator=(const SimulatedProgram&) = delete;

    // The simulator runs and the program has its wizard.
    bool valid() const { return sim.valid() && wizard; }

    QPushButton* wizardButton(const char* name) const
    {
        return wizard->findChild<QPushButton*>(name);
    }

    // "Połącz" in the wizard, on the port its box shows; returns at once.
    void clickConnect() { QTest::mouseClick(wizardButton("BitBtn3"), Qt::LeftButton); }

    // As the operator does: the port in the wizard, "Połącz", then the wait until the device
    // is detected. The real event loop runs meanwhile, so the idle step keeps its clock
    // reading as in the program.
    bool connect(const QString& port, int timeoutMs = kConnectTimeoutMs)
    {
        wizard->portBox()->setCurrentText(port);
        clickConnect();
        return runUntil([this] { return model.Detected; }, timeoutMs);
    }
    bool connect(int timeoutMs = kConnectTimeoutMs) { return connect(sim.port, timeoutMs); }

    // Why a connection did not come about.
    QString wizardState() const
    {
        return QString("wizard step %1, port %2, messages: %3")
            .arg(wizard->state().WizardStep)
            .arg(link.PortOpen ? "open" : "closed", dialogs.texts().join(" | "));
    }
};
