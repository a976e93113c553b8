// Arbitrary config.ini contents through the settings reader: it never crashes, leaves no
// setting out of its range, and what it read survives a write and a second read unchanged.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/settings/SettingsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const kx::Settings s = kx::readSettings(text);
    const bool rateInRange =
        s.Sample_rate == kx::Settings{}.Sample_rate ||
        (s.Sample_rate >= kx::kMinSamplingPeriodMs && s.Sample_rate <= kx::kMaxSamplingPeriodMs);
    if (!rateInRange || s.Sample_per_page < kx::kMinSamplesPerPage ||
        s.Sample_per_page > kx::kMaxSamplesPerPage ||
        s.PortName.size() > kx::Settings::kMaxWordLength || s.PortName.empty())
        std::abort();
    // A period never read keeps its 0, which reads back brought into range.
    kx::Settings expected = s;
    if (expected.Sample_rate == 0)
        expected.Sample_rate = kx::kMinSamplingPeriodMs;
    if (!(kx::readSettings(kx::writeSettings(s)) == expected))
        std::abort();
    return 0;
}
