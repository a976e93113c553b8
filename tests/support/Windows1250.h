#pragma once
// Windows-1250 text decoded by the system, independently of the program's own table: Qt's
// codec (through ICU) on Linux; on Windows, whose Qt has no ICU, the system's own conversion.
// Invalid (empty) when the system has no such codec.

#include <QByteArray>
#include <QString>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <QStringDecoder>
#endif

inline bool systemHasWindows1250()
{
#ifdef Q_OS_WIN
    return IsValidCodePage(1250);
#else
    return QStringDecoder("windows-1250").isValid();
#endif
}

inline QString fromWindows1250(const QByteArray& bytes)
{
#ifdef Q_OS_WIN
    if (bytes.isEmpty())
        return {};
    const int n = MultiByteToWideChar(1250, 0, bytes.constData(), int(bytes.size()), nullptr, 0);
    QString text(n, Qt::Uninitialized);
    MultiByteToWideChar(1250, 0, bytes.constData(), int(bytes.size()),
                        reinterpret_cast<wchar_t*>(text.data()), n);
    return text;
#else
    QStringDecoder decode("windows-1250");
    return decode(bytes);
#endif
}
