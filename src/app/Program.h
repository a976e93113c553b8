#pragma once
// The program's windows, created once in a fixed order and kept for the whole run.

#include <functional>
#include <memory>

#include <QStringList>

class QTranslator;

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

    // Where Qt's Polish texts were loaded from; empty when none was found (Qt's own texts,
    // the standard buttons and file dialogs, stay English then).
    QString qtTranslationFile() const;

private:
    // Installed before the windows are made, so every dialog asks in Polish.
    std::unique_ptr<QTranslator> m_qtTexts;
    // The main window owns the others as its Qt children.
    TForm1* m_main = nullptr;
};

// The folders Qt's own translations are looked for in: translations/ beside the program (the
// Windows program ships them there), then Qt's own folder (Debian's qt6-translations-l10n).
QStringList qtTranslationFolders();

// Program entry below QApplication: returns the exit code.
int runProgram();

// Runs start; an exception escaping it is shown in a message box with its text (empty for
// one that carries none) and the result is 1, so whoever started the program sees it failed.
int runGuarded(const std::function<int()>& start);

} // namespace kx
