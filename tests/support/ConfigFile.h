#pragma once
// A config.ini in the test's working folder, so the program starts without the message about
// a missing settings file (the start-up tests make their own folders).

#include <QFile>

#include "core/settings/SettingsFile.h"

inline void writeDefaultConfig()
{
    QFile file("config.ini");
    if (file.open(QIODevice::WriteOnly))
        file.write(QByteArray::fromStdString(kx::writeSettings(kx::Settings{})));
}
