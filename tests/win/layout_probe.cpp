// Where a click must land on the program's main window, for the end-to-end run of the Windows
// build under wine (tests/win/end_to_end.sh), which clicks as an operator does. Builds the
// program's own windows with the same code, style, fonts and platform as the installed
// program, shows the main window under the title "kx-layout-probe", and prints, relative to
// the top-left of that window's client area:
//   client X Y         the client area's top-left on the screen
//   tab N X Y          the centre of the tab N (1 to 4)
//   NAME X Y           the centre of the control called NAME, for each name given
// then stays SECONDS seconds, so the caller can find the window and measure where the window
// system put it.
// Usage: layout_probe SECONDS [NAME...]

#include <QApplication>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <QTimer>

#include <cstdio>

#include "app/Program.h"
#include "app/TForm1.h"
#include "ui/common/Dialogs.h"

namespace {

// No message box may stop the probe (no config.ini here): messages are left unanswered.
struct SilentDialogs : kx::Dialogs
{
    SilentDialogs() { kx::setDialogs(this); }
    ~SilentDialogs() override { kx::setDialogs(nullptr); }
    void showMessage(const QString&) override {}
    void messageBox(const QString&, const QString&, kx::MessageIcon) override {}
    bool question(const QString&, const QString&) override { return false; }
    QString openFileName(const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, QString*) override { return {}; }
};

void print(const char* name, QPoint p)
{
    std::printf("%s %d %d\n", name, p.x(), p.y());
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir work; // no settings of the operator's are read or written
    QDir::setCurrent(work.path());
    SilentDialogs dialogs;
    kx::Program program;
    kx::TForm1* main = program.mainWindow();
    main->setWindowTitle("kx-layout-probe");
    main->show();
    if (!QTest::qWaitForWindowExposed(main))
        return 1;

    print("client", main->mapToGlobal(QPoint(0, 0)));
    QTabBar* tabs = main->pages()->tabBar();
    for (int n = 0; n < tabs->count(); ++n) {
        const QPoint centre = tabs->mapTo(main, tabs->tabRect(n).center());
        std::printf("tab %d %d %d\n", n + 1, centre.x(), centre.y());
    }
    const QStringList args = QCoreApplication::arguments();
    const int seconds = args.size() > 1 ? args[1].toInt() : 0;
    for (const QString& name : args.mid(2)) {
        auto* w = main->findChild<QWidget*>(name);
        if (!w) {
            std::fprintf(stderr, "no control %s\n", qPrintable(name));
            return 1;
        }
        // A control of another tab is laid out once its tab is shown.
        for (int n = 0; n < main->pages()->count(); ++n)
            if (main->pages()->widget(n)->isAncestorOf(w))
                main->pages()->setCurrentIndex(n);
        QTest::qWait(100);
        print(qPrintable(name), w->mapTo(main, w->rect().center()));
    }
    main->pages()->setCurrentIndex(0);
    std::fflush(stdout);
    QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
