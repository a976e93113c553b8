#pragma once
// The main window: the menu, the four tab pages and the start-up timer. It assembles the
// pages, the controllers behind them and the secondary windows, and only connects them: each
// sample goes from the measurement to the chart and the register, each page's logic lives in
// its own controller. It keeps the program's state (the device model, the chart's line
// settings).

#include <QMainWindow>
#include <QTimer>

#include <memory>
#include <span>

#include "core/chart/LineSettings.h"
#include "core/device/DeviceModel.h"
#include "ui/link/LinkControl.h"

class QAction;
class QActionGroup;
class QMenu;
class QTabWidget;

namespace kx {

class TO_programieForm;
class TKonigLiniiForm;
class TCOM_DBG_Form;
class TAsystentForm;
class DevicePage;
class DeviceEditors;
class DeviceSync;
class IndicatorPage;
class ChartPage;
class RegisterPage;
class ReplyViewOnPages;
class MeasurementControl;
class ChartControl;
class RegisterControl;
class ReplyDispatcher;

class TForm1 : public QMainWindow, public FrameConsumer
{
    Q_OBJECT

public:
    static constexpr int kClientWidth = 947;
    static constexpr int kClientHeight = 638;

    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The secondary windows are created after the main window; they are handed over here.
    struct Windows
    {
        TO_programieForm* about = nullptr;
        TKonigLiniiForm* lines = nullptr;
        TCOM_DBG_Form* monitor = nullptr;
        TAsystentForm* wizard = nullptr;
    };
    void attachWindows(const Windows& windows);
    // Starts the main window's timers; called once all five windows exist.
    void startTimers();
    QTimer& startupTimer() { return m_startupTimer; }

    // The working directory at start: where config.ini is read and written.
    const QString& StartDirectory() const { return m_startDirectory; }

    // Height and offset of the chart's output lines, kept in config.ini and edited by the
    // line window; this is their only copy.
    LineSettings& lineSettings() { return m_lineSettings; }

    QTabWidget* pages() const { return m_pages; }
    DevicePage* devicePage() const { return m_devicePage; }
    IndicatorPage* indicatorPage() const { return m_indicatorPage; }
    ChartPage* chartPage() const { return m_chartPage; }
    RegisterPage* registerPage() const { return m_registerPage; }
    TCOM_DBG_Form* monitor() const { return m_windows.monitor; }

    DeviceModel& model() { return m_model; }
    DeviceEditors& editors() { return *m_editors; }
    DeviceSync& sync() { return *m_sync; }
    MeasurementControl& measurement() { return *m_measure; }
    ChartControl& chart() { return *m_chart; }
    RegisterControl& registers() { return *m_register; }
    LinkControl& link() { return *m_link; }

    // Received frames, routed by the link.
    void replyReceived(const Frame8& reply) override;
    void measurementFrameReceived(std::span<const uint8_t> frame) override;

public slots:
    void zakocz1Click();
    void wizard1Click();
    void debugger1Click();
    void orpogramie1Click();
    void Aktualizacja1Click();  // firmware update
    void pomocprogramu1Click(); // help file
    void instrukcja1Click();    // the device's manual
    void BitBtn13Click() { wizard1Click(); }
    void StartupTimerTimer();
    // The port went away without being asked to: nothing may look connected or running.
    void lineLost();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenu();
    void buildPages();
    QAction* addAction(QMenu* menu, const char* objectName, const QString& text,
                       bool visible = true);

    DeviceModel m_model;
    QTabWidget* m_pages = nullptr;
    IndicatorPage* m_indicatorPage = nullptr;
    DevicePage* m_devicePage = nullptr;
    ChartPage* m_chartPage = nullptr;
    RegisterPage* m_registerPage = nullptr;
    QString m_startDirectory;
    LineSettings m_lineSettings{};
    class MonitorView;
    std::unique_ptr<MonitorView> m_monitorView;
    QTimer m_startupTimer;
    Windows m_windows;
    std::unique_ptr<ReplyViewOnPages> m_view;
    std::unique_ptr<ReplyDispatcher> m_dispatcher;
    DeviceEditors* m_editors = nullptr;
    DeviceSync* m_sync = nullptr;
    MeasurementControl* m_measure = nullptr;
    ChartControl* m_chart = nullptr;
    RegisterControl* m_register = nullptr;
    // Last, so the serial engine inside stops before anything it reports to goes away.
    LinkControl* m_link = nullptr;
    bool m_shownOnce = false;
};

} // namespace kx
