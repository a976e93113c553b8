#include "app/Program.h"

#include <QApplication>

#include "app/Dialogs.h"
#include "app/TForm1.h"
#include "app/TO_programieForm.h"
#include "measure/TKonigLiniiForm.h"
#include "protocol/TCOM_DBG_Form.h"
#include "wizard/TAsystentForm.h"

namespace kx {

Program::Program()
{
    QApplication::setApplicationName("KX350T-PC");
    m_main = new TForm1;
    TForm1::Windows w;
    w.about = new TO_programieForm(m_main);
    w.lines = new TKonigLiniiForm(m_main);
    w.monitor = new TCOM_DBG_Form(m_main);
    w.wizard = new TAsystentForm(m_main->model(), m_main->link(), m_main->sync(), m_main);
    m_main->attachWindows(w);
}

Program::~Program()
{
    delete m_main;
}

void Program::start()
{
    m_main->startTimers();
    m_main->show();
}

int runProgram()
{
    Program program;
    program.start();
    QApplication::exec();
    return 0;
}

int runGuarded(const std::function<int()>& start)
{
    try {
        return start();
    } catch (const std::exception& e) {
        dialogs().showMessage(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        dialogs().showMessage(QString());
    }
    return 0;
}

} // namespace kx
