#pragma once
// The About window's fixed texts. UTF-8. Who makes or distributes the device is not the
// program's to say: a distributor puts it into kMakerFile beside the program, and without
// that file the window shows no maker at all.

namespace kx::about {

// The window's caption: the product line.
inline constexpr char kCaption[] = "KX350T-PC";

inline constexpr char kDescription[] = "Konfiguracja i monitorowanie miernika KX350T";

// The project carries no licence file; this says so rather than naming one.
inline constexpr char kLicence[] = "Licencja: nie określona w tym wydaniu";

// In the installed data folder (beside the executable on Windows), any letter case: one line
// of the maker's block a row, the first the maker's name. UTF-8; on Windows a file in the
// system's code page is read too.
inline constexpr char kMakerFile[] = "producent.txt";
// What the window's fixed size holds under the program's own lines; later rows are left out.
inline constexpr int kMostMakerLines = 6;

} // namespace kx::about
