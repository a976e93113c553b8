#pragma once
// The program's windows, created once in a fixed order and kept for the whole run.

#include <functional>

namespace kx {

class TForm1;
class TO_programieForm;
class TKonigLiniiForm;
class TCOM_DBG_Form;
class TAsystentForm;

class Program
{
public:
    // Creates the five windows: main window, About, chart lines, traffic monitor, wizard.
    Program();
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Starts the timers and shows the main window.
    void start();

    TForm1* mainWindow() const { return m_main; }

private:
    // The main window owns the others as its Qt children.
    TForm1* m_main = nullptr;
};

// Program entry below QApplication: returns the exit code.
int runProgram();

// Runs start; an exception escaping it is shown in a message box with its text (empty for
// one that carries none) and the result is 1, so whoever started the program sees it failed.
int runGuarded(const std::function<int()>& start);

} // namespace kx
