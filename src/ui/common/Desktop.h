#pragma once
// Everything the program hands to the desktop (documents to open, programs to start) goes
// through this seam, so tests record what would be opened or started instead of doing it.

#include <QString>
#include <QStringList>

class QUrl;

namespace kx {

class Desktop
{
public:
    virtual ~Desktop() = default;

    // Opens a file or address with the program the desktop associates with it; false when
    // the desktop found none.
    virtual bool openUrl(const QUrl& url) = 0;
    // Starts a program with its arguments and returns at once; false when it did not start.
    virtual bool startDetached(const QString& program, const QStringList& arguments,
                               const QString& workingDirectory) = 0;
    // Starts a Windows command line exactly as written, in a console window of its own:
    // the first word names the program, which gets the whole line unchanged.
    // Elsewhere the line is split into words as a shell would.
    virtual bool startCommandLine(const QString& commandLine, const QString& workingDirectory) = 0;
};

// The desktop in use; the Qt implementation unless a test installed its own.
Desktop& desktop();
// Installs d (not owned); nullptr goes back to the Qt implementation.
void setDesktop(Desktop* d);

class QtDesktop : public Desktop
{
public:
    bool openUrl(const QUrl& url) override;
    bool startDetached(const QString& program, const QStringList& arguments,
                       const QString& workingDirectory) override;
    bool startCommandLine(const QString& commandLine, const QString& workingDirectory) override;
};

} // namespace kx
