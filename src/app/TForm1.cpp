#include "app/TForm1.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <iostream>

#include "app/FirmwareUpdate.h"
#include "app/HelpFiles.h"
#include "app/ReplyViewOnPages.h"
#include "app/SettingsBinding.h"
#include "app/TO_programieForm.h"
#include "core/device/ReplyDispatch.h"
#include "core/device/StateMonitor.h"
#include "ui/chart/ChartControl.h"
#include "ui/chart/ChartPage.h"
#include "ui/chart/TKonigLiniiForm.h"
#include "ui/common/Dialogs.h"
#include "ui/common/LocaleSeparator.h"
#include "ui/common/ToolWindow.h"
#include "ui/device/DeviceEditors.h"
#include "ui/device/DevicePage.h"
#include "ui/device/DeviceSync.h"
#include "ui/measure/IndicatorPage.h"
#include "ui/measure/MeasurementControl.h"
#include "ui/monitor/TCOM_DBG_Form.h"
#include "ui/register/RegisterControl.h"
#include "ui/register/RegisterPage.h"
#include "ui/wizard/TAsystentForm.h"

namespace kx {

TForm1::TForm1(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("Form1");
    setWindowTitle("KX350T-PC V1.00");
    m_link = new LinkControl(m_model, this);
    m_link->setFrameConsumer(this);
    connect(m_link, &LinkControl::lineLost, this, &TForm1::lineLost);
    m_chart = new ChartControl(m_lineSettings, this);
    buildPages();
    m_view = std::make_unique<ReplyViewOnPages>(m_devicePage, m_indicatorPage);
    m_dispatcher =
        std::make_unique<ReplyDispatcher>(m_model, *m_view, nullptr, localeDecimalSeparator());
    m_editors = new DeviceEditors(m_model, m_devicePage, this);
    m_sync = new DeviceSync(m_model, m_devicePage, this);
    m_sync->setRequests(m_link->requests());
    connect(m_devicePage, &DevicePage::restoreDefaultsClicked, m_sync, &DeviceSync::BitBtn3Click);
    connect(m_link, &LinkControl::portOpened, m_sync, &DeviceSync::linkChanged);
    connect(m_link, &LinkControl::portClosed, m_sync, &DeviceSync::linkChanged);
    m_measure = new MeasurementControl(m_model, m_indicatorPage, *m_view, this);
    m_measure->setRequests(m_link->requests());
    m_view->setNewValuesHandler([this] { m_measure->HandleNewValues(); });
    connect(m_measure, &MeasurementControl::deviceMissing, this, &TForm1::wizard1Click);
    connect(m_measure, &MeasurementControl::groupsLocked, m_devicePage, &DevicePage::setLocked);
    m_chart->setPage(m_chartPage);
    m_register = new RegisterControl(
        m_registerPage, m_model, [this] { return m_measure->summary(); }, this);
    // A sample's way: from the measurement, once, to the chart and to the register.
    connect(m_measure, &MeasurementControl::sampleTaken, m_chart, &ChartControl::addSample);
    connect(m_measure, &MeasurementControl::sampleTaken, m_register, &RegisterControl::addSample);
    connect(m_measure, &MeasurementControl::rateShown, m_chartPage, &ChartPage::setRateText);
    connect(m_measure, &MeasurementControl::displayTicked, m_chart, &ChartControl::DisplayTick);
    connect(m_chart, &ChartControl::timeResetAsked, m_measure,
            [this] { m_measure->scheduler().resetTime(); });
    buildMenu();

    m_startDirectory = QDir::currentPath();
    // The link starts at its fixed line settings and the default port; both are chosen.
    m_link->BaudChosen = true;
    m_link->PortChosen = true;
    Settings settings;
    switch (loadSettingsFile(m_startDirectory, settings)) {
    case SettingsLoad::Read:
        break;
    case SettingsLoad::Missing:
        dialogs().showMessage("nie odnaleziono pliku konfiguracyjnego!");
        break;
    case SettingsLoad::Unreadable:
        // Not missing: the operator's file stays where it is, and the reason goes where the
        // failure to write it would.
        std::cerr << "KX350T-PC: cannot read "
                  << QDir(m_startDirectory).filePath("config.ini").toStdString() << '\n';
        break;
    }
    applySettings(settings, *this);
    m_chartPage->switchPaging();
    m_register->writeHeaderRow();
    m_register->openJournal(m_startDirectory);

    m_startupTimer.setObjectName("StartupTimer");
    m_startupTimer.setSingleShot(true);
    m_startupTimer.setInterval(1000);
    connect(&m_startupTimer, &QTimer::timeout, this, &TForm1::StartupTimerTimer);
    // A single, non-resizable border around a fixed client area.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

TForm1::~TForm1()
{
    // Stop the reader thread while everything it reports to still exists.
    delete m_link;
    m_link = nullptr;
    // The pages draw the controllers' data: they go before the controllers.
    delete m_pages;
    m_pages = nullptr;
}

// The state dump goes to the monitor with the line's losses beside it, on the same tick.
class TForm1::MonitorView : public StateMonitor
{
public:
    MonitorView(TCOM_DBG_Form& monitor, const LinkControl& link) : m_monitor(monitor), m_link(link)
    {}
    bool wantsState() const override { return m_monitor.wantsState(); }
    void showState(const std::vector<std::string>& lines) override
    {
        m_monitor.showState(lines);
        m_monitor.showCounters(m_link.counters());
    }

private:
    TCOM_DBG_Form& m_monitor;
    const LinkControl& m_link;
};

void TForm1::attachWindows(const Windows& windows)
{
    m_windows = windows;
    m_link->setTrafficLog(windows.monitor);
    m_dispatcher->setTrafficLog(windows.monitor);
    if (windows.monitor) {
        m_monitorView = std::make_unique<MonitorView>(*windows.monitor, *m_link);
        m_sync->setMonitor(m_monitorView.get());
    }
    m_chart->setLinesWindow(windows.lines);
}

void TForm1::startTimers()
{
    m_sync->start();
    m_measure->start();
    m_startupTimer.start();
}

void TForm1::StartupTimerTimer()
{
    if (m_windows.lines)
        m_windows.lines->copyIn();
    m_chartPage->switchPaging();
    m_startupTimer.stop();
    if (m_windows.wizard) {
        wizard1Click();
        m_windows.wizard->BitBtn3Click();
    }
}

void TForm1::lineLost()
{
    m_measure->lineLost();
    m_model.Detected = false;
    m_sync->showStatus();
    if (m_windows.wizard)
        m_windows.wizard->lineLost();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // Written on every close; a failure must not keep the operator from leaving.
    if (!saveSettingsFile(m_startDirectory, collectSettings(*this)))
        std::cerr << "KX350T-PC: cannot write "
                  << QDir(m_startDirectory).filePath("config.ini").toStdString() << '\n';
    QMainWindow::closeEvent(event);
}

void TForm1::replyReceived(const Frame8& reply)
{
    m_dispatcher->dispatch(reply);
}

void TForm1::measurementFrameReceived(std::span<const uint8_t> frame)
{
    m_measure->measurementFrameReceived(frame);
}

QAction* TForm1::addAction(QMenu* menu, const char* objectName, const QString& text, bool visible)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(objectName);
    action->setVisible(visible);
    return action;
}

void TForm1::buildMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");

    QMenu* program = bar->addMenu("Program");
    program->setObjectName("Program1");
    // The firmware update stays hidden: it is reached only by service staff.
    connect(addAction(program, "Aktualizacja1", "aktualizacja firmware urządzenia...", false),
            &QAction::triggered, this, &TForm1::Aktualizacja1Click);
    connect(addAction(program, "zakocz1", "zakończ"), &QAction::triggered, this,
            &TForm1::zakocz1Click);

    QMenu* link = bar->addMenu("komunikacja");
    link->setObjectName("komunikacja1");
    connect(addAction(link, "pocz1", "połącz", false), &QAction::triggered, m_link,
            &LinkControl::pocz1Click);
    connect(addAction(link, "rozcz1", "rozłącz", false), &QAction::triggered, m_link,
            &LinkControl::rozcz1Click);
    QMenu* port = link->addMenu("port");
    port->setObjectName("port1");
    port->menuAction()->setObjectName("port1Action");
    port->menuAction()->setVisible(false);
    auto* ports = new QActionGroup(this);
    ports->setObjectName("portGroup");
    for (int n = 1; n <= 14; ++n) {
        const QString name = QString("COM%1").arg(n);
        QAction* item = addAction(port, qPrintable(name), name);
        item->setCheckable(true);
        item->setChecked(n == 1);
        ports->addAction(item);
        connect(item, &QAction::triggered, m_link, [this, name] { m_link->selectPort(name); });
    }
    QAction* autoItem = addAction(port, "auto1", "auto");
    autoItem->setCheckable(true);
    ports->addAction(autoItem);
    connect(autoItem, &QAction::triggered, m_link, &LinkControl::auto1Click);
    connect(addAction(link, "debugger1", "debuger...", false), &QAction::triggered, this,
            &TForm1::debugger1Click);
    connect(addAction(link, "wizard1", "Połączenie..."), &QAction::triggered, this,
            &TForm1::wizard1Click);

    QMenu* help = bar->addMenu("Pomoc");
    help->setObjectName("Pomoc1");
    connect(addAction(help, "pomocprogramu1", "pomoc programu"), &QAction::triggered, this,
            &TForm1::pomocprogramu1Click);
    connect(addAction(help, "instrukcja1", "instrukcja KX350T"), &QAction::triggered, this,
            &TForm1::instrukcja1Click);

    QAction* about = bar->addAction("o programie");
    about->setObjectName("orpogramie1");
    connect(about, &QAction::triggered, this, &TForm1::orpogramie1Click);
}

void TForm1::buildPages()
{
    m_pages = new QTabWidget(this);
    m_pages->setObjectName("PageControl1");
    m_pages->setFixedSize(kClientWidth, kClientHeight);
    m_indicatorPage = new IndicatorPage(m_pages);
    m_devicePage = new DevicePage(m_pages);
    m_chartPage = new ChartPage(m_chart->data(), m_pages);
    m_registerPage = new RegisterPage(m_pages);
    QWidget* const pages[] = {m_indicatorPage, m_devicePage, m_chartPage, m_registerPage};
    const char* const titles[] = {"Wskaźniki", "Urządzenie", "Wykres", "Rejestracja pomiarów"};
    for (int n = 0; n < 4; ++n) {
        pages[n]->setObjectName(QString("TabSheet%1").arg(n + 1));
        m_pages->addTab(pages[n], QString::fromUtf8(titles[n]));
    }
    connect(m_devicePage, &DevicePage::connectionClicked, this, &TForm1::BitBtn13Click);
    m_pages->setCurrentIndex(0);
    setCentralWidget(m_pages);
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Only the first showing: a window restored from the taskbar keeps the page and the zoom
    // the operator left.
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    m_chartPage->pagingOnShow();
    ToolWindow::centreOnScreen(this);
}

void TForm1::zakocz1Click()
{
    close();
}

void TForm1::wizard1Click()
{
    if (m_windows.wizard) {
        m_windows.wizard->show();
        m_windows.wizard->raise();
    }
}

void TForm1::debugger1Click()
{
    if (m_windows.monitor) {
        m_windows.monitor->show();
        m_windows.monitor->raise();
    }
}

void TForm1::orpogramie1Click()
{
    if (m_windows.about) {
        m_windows.about->show();
        m_windows.about->raise();
    }
}

void TForm1::Aktualizacja1Click()
{
    updateFirmware(*m_link, m_startDirectory);
}

void TForm1::pomocprogramu1Click()
{
    openProgramDocument(helpFilePath(m_startDirectory));
}

void TForm1::instrukcja1Click()
{
    openProgramDocument(manualFilePath(m_startDirectory));
}

} // namespace kx
