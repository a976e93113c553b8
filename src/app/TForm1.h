#pragma once
// The main window: menu, the four tab pages and, as later pages grow, the link state and the
// timers. It assembles pages; each page's logic lives in its own class.

#include <QMainWindow>
#include <QTimer>

#include <array>

#include <memory>
#include <span>

#include "device/DeviceModel.h"
#include "serial/LinkControl.h"

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
class MainView;
class MeasurementControl;
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

    // Height and offset of the chart's output lines, kept in config.ini.
    const std::array<int32_t, 8>& lineSettings() const { return m_lineSettings; }
    void setLineSettings(const std::array<int32_t, 8>& s) { m_lineSettings = s; }

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
    LinkControl& link() { return *m_link; }

    // Received frames, routed by the link.
    void replyReceived(const Frame8& reply) override;
    void measurementFrameReceived(std::span<const uint8_t> frame) override;

public slots:
    void zakocz1Click();
    void wizard1Click();
    void debugger1Click();
    void orpogramie1Click();
    void BitBtn13Click() { wizard1Click(); }
    void StartupTimerTimer();

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
    std::array<int32_t, 8> m_lineSettings{};
    QTimer m_startupTimer;
    Windows m_windows;
    std::unique_ptr<MainView> m_view;
    std::unique_ptr<ReplyDispatcher> m_dispatcher;
    DeviceEditors* m_editors = nullptr;
    DeviceSync* m_sync = nullptr;
    MeasurementControl* m_measure = nullptr;
    // Last, so the serial engine inside stops before anything it reports to goes away.
    LinkControl* m_link = nullptr;
    bool m_centred = false;
};

} // namespace kx
