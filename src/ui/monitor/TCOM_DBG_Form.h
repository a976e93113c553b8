#pragma once
// The traffic monitor: requests and replies as text lines in the traffic pane (Memo1), the
// state dump in Memo2, and two spare panes. Lines are taken only while the window is shown.

#include <string>
#include <vector>

#include "core/protocol/FrameRouter.h"
#include "core/protocol/RequestSender.h"
#include "ui/common/ToolWindow.h"

class QLabel;
class QPlainTextEdit;

namespace kx {

class ValueLabel;

class TCOM_DBG_Form : public ToolWindow, public TrafficLog
{
    Q_OBJECT

public:
    // Hours of traffic must not exhaust memory: the traffic pane keeps this many lines.
    static constexpr int kTrafficLines = 10000;

    explicit TCOM_DBG_Form(QWidget* parent = nullptr);

    bool isShown() const override { return isVisible(); }
    void appendLine(const std::string& line) override;

    // Whether the state pane is read now; the main window hands it the synchronisation dump.
    bool wantsState() const { return isVisible(); }
    // Empties the state pane and writes the lines, while the window is shown.
    void showState(const std::vector<std::string>& lines);

    QPlainTextEdit* pane(int n) const; // 1 … 4

    // What the line lost since the port was opened, in a row of its own under the panes.
    void showCounters(const LinkCounters& counters);

public slots:
    void czy1Click();
    void MenuItem1Click();
    void MenuItem2Click();
    void MenuItem3Click();

private:
    QPlainTextEdit* m_panes[4] = {};
    ValueLabel* m_counters[4] = {};
};

} // namespace kx
