#pragma once
// The texts of the About window that name its distributor. A distributor replaces these and
// builds the program; nothing else needs to change. A web address left empty is not shown.
// UTF-8.

namespace kx::about {

// The window's caption: the product line.
inline constexpr char kCaption[] = "KX350T-PC";

inline constexpr char kMakerName[] = "Producent urządzenia";
inline constexpr char kPostalAddress[] = "ul. Przykładowa 1, 00-000 Miejscowość";
inline constexpr char kTelephone[] = "tel. +48 00 000 00 00";
inline constexpr char kEmail[] = "e-mail: biuro@example.com";

inline constexpr const char* kWebAddresses[] = {
    "www.example.com",
    "www.example.net",
    "www.example.org",
    "serwis.example.com",
};

} // namespace kx::about
