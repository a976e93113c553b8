#pragma once
// Every message box, question and file dialog of the program goes through this seam, so
// tests can answer them and record their texts instead of blocking on a modal window.

#include <QString>

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
};

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
};

} // namespace kx
