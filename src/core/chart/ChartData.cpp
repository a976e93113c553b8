#include "core/chart/ChartData.h"

namespace kx {

namespace {

// Index = Trace. Both output lines' points are added white; the PK2 line itself is orange.
constexpr TraceLook kLooks[kTraceCount] = {
    {"Y (Wartość mierzona)", 0xFF0000, 0xFF0000, false},
    {"X1 (kanał 1)", 0x00FF00, 0x00FF00, false},
    {"X2 (kanał 2)", 0x00FFFF, 0x00FFFF, false},
    {"PK1", 0xFFFFFF, 0xFFFFFF, true},
    {"PK2", 0xFF8000, 0xFFFFFF, true},
};

} // namespace

const TraceLook& traceLook(Trace t)
{
    return kLooks[static_cast<std::size_t>(t)];
}

} // namespace kx
