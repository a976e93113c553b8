#include "app/TForm1.h"

#include <QActionGroup>
#include <QGuiApplication>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QTabWidget>

#include "app/TO_programieForm.h"
#include "protocol/TCOM_DBG_Form.h"
#include "wizard/TAsystentForm.h"

namespace kx {

TForm1::TForm1(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("Form1");
    setWindowTitle("KX350T-PC V1.00");
    buildMenu();
    buildPages();
    // A single, non-resizable border around a fixed client area.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

TForm1::~TForm1() = default;

void TForm1::attachWindows(const Windows& windows)
{
    m_windows = windows;
}

QAction* TForm1::addAction(QMenu* menu, const char* objectName, const QString& text,
                           bool visible)
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
    addAction(program, "Aktualizacja1", "aktualizacja firmware urządzenia...", false);
    connect(addAction(program, "zakocz1", "zakończ"), &QAction::triggered, this,
            &TForm1::zakocz1Click);

    QMenu* link = bar->addMenu("komunikacja");
    link->setObjectName("komunikacja1");
    addAction(link, "pocz1", "połącz", false);
    addAction(link, "rozcz1", "rozłącz", false);
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
    }
    QAction* autoItem = addAction(port, "auto1", "auto");
    autoItem->setCheckable(true);
    ports->addAction(autoItem);
    connect(addAction(link, "debugger1", "debuger...", false), &QAction::triggered, this,
            &TForm1::debugger1Click);
    connect(addAction(link, "wizard1", "Połączenie..."), &QAction::triggered, this,
            &TForm1::wizard1Click);

    QMenu* help = bar->addMenu("Pomoc");
    help->setObjectName("Pomoc1");
    addAction(help, "pomocprogramu1", "pomoc programu");
    addAction(help, "instrukcja1", "instrukcja KX350T");

    QAction* about = bar->addAction("o programie");
    about->setObjectName("orpogramie1");
    connect(about, &QAction::triggered, this, &TForm1::orpogramie1Click);
}

void TForm1::buildPages()
{
    m_pages = new QTabWidget(this);
    m_pages->setObjectName("PageControl1");
    m_pages->setFixedSize(kClientWidth, kClientHeight);
    const char* const titles[] = {"Wskaźniki", "Urządzenie", "Wykres", "Rejestracja pomiarów"};
    int n = 1;
    for (const char* title : titles) {
        auto* page = new QWidget(m_pages);
        page->setObjectName(QString("TabSheet%1").arg(n++));
        m_pages->addTab(page, QString::fromUtf8(title));
    }
    m_pages->setCurrentIndex(0);
    setCentralWidget(m_pages);
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_centred)
        return;
    m_centred = true;
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
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

}  // namespace kx
