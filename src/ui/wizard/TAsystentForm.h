#pragma once
// The connection wizard's window: the checklist, the port box, the progress bar and the
// buttons. The sequence itself is WizardSequence; this window renders its state after every
// step and does its I/O through the main window's link.

#include <QPixmap>
#include <QTimer>

#include <array>
#include <functional>

#include "core/wizard/WizardSequence.h"
#include "ui/common/ToolWindow.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace kx {

class PortLink;

class TAsystentForm : public ToolWindow, private WizardHost
{
    Q_OBJECT

public:
    static constexpr int kTickMs = 50;
    static constexpr int kOpenDelayMs = 100;

    // refreshFromStan shows the reported values on the device tab once the read-out is done.
    TAsystentForm(DeviceModel& model, PortLink& link, std::function<void()> refreshFromStan,
                  QWidget* parent = nullptr);

    const WizardState& state() const { return m_sequence.state(); }
    QComboBox* portBox() const { return m_port; }
    QTimer& timer() { return m_timer; }
    // The checklist row's icon and caption (1 … 19).
    QLabel* rowIcon(int row) const { return m_icons[static_cast<std::size_t>(row - 1)]; }
    QLabel* rowCaption(int row) const { return m_captions[static_cast<std::size_t>(row - 1)]; }
    // Drawn once, then shared by every row.
    const QPixmap& iconPixmap(RowIcon icon) const;

public slots:
    void BitBtn3Click(); // "Połącz"
    void BitBtn4Click(); // "Rozłącz"
    void BitBtn2Click(); // "Przerwij łączenie"
    void BitBtn1Click(); // OK
    void Timer1Timer();
    // The link lost the port without being asked to.
    void lineLost();

private:
    int openPort(const std::string& name) override;
    void closePort() override;
    void sendRead(uint8_t command) override;
    void showMessage(const std::string& text) override;
    void refreshFromStan() override;

    void render();

    const DeviceModel& m_model; // read for the version texts; the sequence writes it
    PortLink& m_link;
    std::function<void()> m_refreshFromStan;
    WizardSequence m_sequence;
    std::array<QPixmap, 3> m_iconPixmaps; // by RowIcon
    QTimer m_timer;
    // Counts "Połącz" presses, so an abort cancels the open still waiting for its delay.
    int m_connectToken = 0;

    std::array<QLabel*, kChecklistRows> m_icons{};
    std::array<QLabel*, kChecklistRows> m_captions{};
    QLabel* m_portLabel = nullptr;     // Label3
    QLabel* m_hardwareLabel = nullptr; // Label10
    QLabel* m_softwareLabel = nullptr; // Label12
    QComboBox* m_port = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_connect = nullptr;
    QPushButton* m_disconnect = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_abort = nullptr;
};

} // namespace kx
