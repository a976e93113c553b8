// Takes the help's pictures: the program's own windows, offscreen, against the simulated
// device, each grabbed as it shows after the operator's steps the help describes (a failed
// and a finished connection, the device tab, a running measurement, a recorded chart, the
// register, the traffic monitor, the line window, the About window).
// Usage: kx_help_screens FOLDER   (scripts/help-screenshots.sh runs it into help/img)

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QImageWriter>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include "app/Program.h"
#include "app/TForm1.h"
#include "app/TO_programieForm.h"
#include "core/settings/SettingsFile.h"
#include "ui/chart/TKonigLiniiForm.h"
#include "ui/common/Dialogs.h"
#include "ui/monitor/TCOM_DBG_Form.h"
#include "ui/wizard/TAsystentForm.h"

namespace {

[[noreturn]] void fail(const QString& what)
{
    std::fprintf(stderr, "kx_help_screens: %s\n", qPrintable(what));
    std::exit(1);
}

// Messages are answered at once (a question with "no"): nothing may stop the run.
struct Answering : kx::Dialogs
{
    Answering() { kx::setDialogs(this); }
    ~Answering() override { kx::setDialogs(nullptr); }
    void showMessage(const QString& text) override { said(text); }
    void messageBox(const QString& text, const QString&, kx::MessageIcon) override { said(text); }
    bool question(const QString& text, const QString&) override
    {
        said(text);
        return false;
    }
    QString openFileName(const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, QString*) override { return {}; }
    static void said(const QString& text)
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(QString(text).replace('\n', ' ')));
    }
};

// The simulated device on a pseudo-terminal of its own.
struct Simulator
{
    QProcess process;
    QString port;

    explicit Simulator(const QStringList& args)
    {
        process.setProgram(QStringLiteral(KX_SIM_PATH));
        process.setArguments(args);
        process.start();
        if (!process.waitForStarted(5000))
            fail("the simulator did not start");
        QElapsedTimer timer;
        timer.start();
        while (!process.canReadLine() && timer.elapsed() < 5000)
            process.waitForReadyRead(100);
        port = QString::fromLocal8Bit(process.readLine()).trimmed();
        if (!port.startsWith(u'/'))
            fail("the simulator named no terminal");
    }
    ~Simulator()
    {
        process.terminate();
        if (!process.waitForFinished(3000))
            process.kill();
    }
};

// Lets the program run (timers, the serial engine's events) until done() or the time is up.
bool runUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QTest::qWait(20);
    }
    return true;
}

void click(QWidget* window, const char* name)
{
    auto* button = window->findChild<QPushButton*>(name);
    if (!button)
        fail(QString("no button %1").arg(name));
    button->click();
}

void save(QWidget* window, const QString& folder, const QString& name)
{
    window->show();
    window->raise();
    if (!QTest::qWaitForWindowExposed(window))
        fail(name + ": the window did not show");
    QTest::qWait(150);
    const QImage shot = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImageWriter writer(QDir(folder).filePath(name + ".png"), "png");
    writer.setQuality(0); // for PNG: the smallest file, the same pixels
    if (!writer.write(shot))
        fail(name + ": " + writer.errorString());
    std::printf("%s.png %dx%d\n", qPrintable(name), shot.width(), shot.height());
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2 || !QDir(args[1]).exists())
        fail("usage: kx_help_screens FOLDER (an existing folder)");
    const QString out = QDir(args[1]).absolutePath();

    // The operator's folder of a first run, set up as the demo sets it: all three values
    // active, a sample every 100 ms, the register's default options.
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    Simulator device({"--seed", "350"});
    Simulator mute({"--silent"});
    kx::Settings settings;
    settings.Cz_0 = settings.Cz_1 = settings.Cz_2 = true;
    settings.Sample_rate = 100;
    settings.PortName = device.port.toStdString();
    settings.LineSettings = {50, 0, 50, 75, 50, 150, 50, 225};
    QFile config("config.ini");
    if (!config.open(QIODevice::WriteOnly) ||
        config.write(QByteArray::fromStdString(kx::writeSettings(settings))) < 0)
        fail("cannot write config.ini");
    config.close();

    Answering dialogs;
    kx::Program program;
    kx::TForm1* main = program.mainWindow();
    program.start();
    main->startupTimer().stop(); // the steps below connect, as the operator would
    auto* wizard = main->findChild<kx::TAsystentForm*>();
    auto* monitor = main->findChild<kx::TCOM_DBG_Form*>();
    auto* lines = main->findChild<kx::TKonigLiniiForm*>();
    auto* about = main->findChild<kx::TO_programieForm*>();
    if (!wizard || !monitor || !lines || !about)
        fail("a window is missing");
    if (!QTest::qWaitForWindowExposed(main))
        fail("the main window did not show");
    // Open before connecting, so the wizard's requests and the replies are in its pane.
    monitor->show();

    // A port with no device behind it: the checklist's failure display.
    wizard->show();
    wizard->portBox()->setCurrentText(mute.port);
    click(wizard, "BitBtn3");
    QTest::qWait(1500);
    save(wizard, out, "kreator-blad");
    click(wizard, "BitBtn2");

    wizard->portBox()->setCurrentText(device.port);
    click(wizard, "BitBtn3");
    if (!runUntil([main] { return main->model().Detected; }, 15000))
        fail("the wizard did not connect");
    QTest::qWait(600); // the synchronisation's refresh of the device tab
    save(wizard, out, "kreator");
    save(monitor, out, "monitor");
    monitor->hide();
    click(wizard, "BitBtn1");

    main->pages()->setCurrentIndex(1);
    save(main, out, "zakladka-urzadzenie");

    main->pages()->setCurrentIndex(0);
    click(main, "ButtonStart");
    QTest::qWait(3000);
    save(main, out, "zakladka-wskazniki");

    main->pages()->setCurrentIndex(2);
    click(main, "ButtonRecord");
    QTest::qWait(12000);
    save(main, out, "zakladka-wykres");

    main->pages()->setCurrentIndex(3);
    QTest::qWait(300);
    save(main, out, "zakladka-rejestracja");

    lines->show();
    if (auto* ok = lines->findChild<QPushButton*>("ButtonOK"))
        ok->setFocus(); // no text cursor blinking in a field of the picture
    save(lines, out, "linie");
    lines->hide();
    save(about, out, "o-programie");
    about->hide();

    click(main, "ButtonStop");
    main->close();
    return 0;
}
