#include "app/Program.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QStringDecoder>
#include <QTranslator>

#include "app/TForm1.h"
#include "app/TO_programieForm.h"
#include "app/TerminationSignals.h"
#include "ui/chart/TKonigLiniiForm.h"
#include "ui/common/Dialogs.h"
#include "ui/device/DeviceSync.h"
#include "ui/monitor/TCOM_DBG_Form.h"
#include "ui/wizard/TAsystentForm.h"

namespace kx {

QStringList qtTranslationFolders()
{
    return {QCoreApplication::applicationDirPath() + QStringLiteral("/translations"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
}

Program::Program() : m_qtTexts(std::make_unique<QTranslator>())
{
    QApplication::setApplicationName("KX350T-PC");
    // The program speaks Polish whatever the system's language, and so do Qt's own dialogs.
    for (const QString& folder : qtTranslationFolders())
        if (m_qtTexts->load(QStringLiteral("qtbase_pl"), folder)) {
            QCoreApplication::installTranslator(m_qtTexts.get());
            break;
        }
    m_main = new TForm1;
    TForm1::Windows w;
    w.about = new TO_programieForm(m_main);
    w.lines = new TKonigLiniiForm(m_main->lineSettings(), m_main);
    w.monitor = new TCOM_DBG_Form(m_main);
    DeviceSync& sync = m_main->sync();
    w.wizard = new TAsystentForm(
        m_main->model(), m_main->link(), [&sync] { sync.RefreshFromStan(); }, m_main);
    m_main->attachWindows(w);
}

Program::~Program()
{
    delete m_main;
    QCoreApplication::removeTranslator(m_qtTexts.get());
}

QString Program::qtTranslationFile() const
{
    return m_qtTexts->filePath();
}

void Program::start()
{
    m_main->startTimers();
    m_main->show();
}

int runProgram()
{
    Program program;
    // Ended by the system, a terminal or the end of the desktop session (logging off, shutting
    // down): closed as by the close button, so config.ini is written, and the run ends even if
    // a message box is open. The session's end is asked for before the system ends the
    // process, so the file is written in time.
    const auto closeAsByTheCloseButton = [&program] {
        program.mainWindow()->close();
        QCoreApplication::exit(0);
    };
    TerminationSignals terminate(closeAsByTheCloseButton);
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, program.mainWindow(),
                     closeAsByTheCloseButton, Qt::DirectConnection);
    program.start();
    return QApplication::exec();
}

namespace {

// The program's own texts are UTF-8; the system's (on Windows) are in its ANSI code page.
QString exceptionText(const char* what)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(what);
    return utf8.hasError() ? QString::fromLocal8Bit(what) : text;
}

} // namespace

int runGuarded(const std::function<int()>& start)
{
    try {
        return start();
    } catch (const std::exception& e) {
        dialogs().showMessage(exceptionText(e.what()));
    } catch (...) {
        dialogs().showMessage(QString());
    }
    return 1;
}

} // namespace kx
