#pragma once
// config.ini on the controls: applied at start-up, collected at the close. The file itself
// (its lines and the positional reader) is SettingsFile.

#include <QString>

#include "core/settings/SettingsFile.h"

namespace kx {

class TForm1;

enum class SettingsLoad
{
    Read,
    Missing,    // no such file: the operator is told, the defaults apply
    Unreadable, // there, but it cannot be read: not "missing"; the defaults apply
};
// Reads dir/config.ini into s; s is untouched unless the result is Read.
SettingsLoad loadSettingsFile(const QString& dir, Settings& s);
// Writes dir/config.ini whole or not at all; false when it could not be written.
bool saveSettingsFile(const QString& dir, const Settings& s);

// Every setting onto its control or field; a check box's change runs its reaction.
void applySettings(const Settings& s, TForm1& main);
// The settings as the controls and fields hold them now.
Settings collectSettings(TForm1& main);

} // namespace kx
