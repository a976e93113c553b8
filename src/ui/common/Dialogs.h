#pragma once
// Every message box, question and file dialog of the program goes through this seam, so
// tests can answer them and record their texts instead of blocking on a modal window.

#include <QString>
#include <QStringList>

class QWidget;

namespace kx {

enum class MessageIcon
{
    None,
    Information,
    Warning,
    Error,
};

class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // A plain message box with the program's title and an OK button.
    virtual void showMessage(const QString& text) = 0;
    // A message box with its own caption and icon, and an OK button.
    virtual void messageBox(const QString& text, const QString& caption, MessageIcon icon) = 0;
    // A yes/no question; true for yes.
    virtual bool question(const QString& text, const QString& caption) = 0;
    // File dialogs return an empty string when the operator cancels.
    virtual QString openFileName(const QString& title, const QString& filter) = 0;
    virtual QString saveFileName(const QString& title, const QString& filter,
                                 QString* selectedFilter) = 0;
    // An open-file dialog that accepts only an existing file in an existing folder and adds
    // defaultSuffix to a typed name without one. Answered like openFileName unless a
    // dialogs implementation offers more.
    virtual QString openExistingFile(const QString& title, const QString& filter,
                                     [[maybe_unused]] const QString& defaultSuffix)
    {
        return openFileName(title, filter);
    }
    // An export window of the program's own, modal, offering the file formats `filters`
    // ("BMP (*.bmp)", …), then a save dialog for the one chosen. Returns the file name (empty
    // when cancelled) and the chosen filter in *chosen. Answered like a save dialog over all
    // the filters unless a dialogs implementation offers more.
    virtual QString exportFileName(const QString& title, const QStringList& filters,
                                   QString* chosen)
    {
        return saveFileName(title, filters.join(QStringLiteral(";;")), chosen);
    }
};

// "Nie można zapisać pliku:" with the file's path, as the system writes paths.
void reportUnwritable(const QString& path);

// The dialogs in use; the Qt implementation unless a test installed its own.
Dialogs& dialogs();
// Installs d (not owned); nullptr goes back to the Qt implementation.
void setDialogs(Dialogs* d);

class QtDialogs : public Dialogs
{
public:
    void showMessage(const QString& text) override;
    void messageBox(const QString& text, const QString& caption, MessageIcon icon) override;
    bool question(const QString& text, const QString& caption) override;
    QString openFileName(const QString& title, const QString& filter) override;
    QString saveFileName(const QString& title, const QString& filter,
                         QString* selectedFilter) override;
    QString openExistingFile(const QString& title, const QString& filter,
                             const QString& defaultSuffix) override;
    QString exportFileName(const QString& title, const QStringList& filters,
                           QString* chosen) override;
};

} // namespace kx
