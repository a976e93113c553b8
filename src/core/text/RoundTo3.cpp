#include "core/text/RoundTo3.h"

#include <cfenv>
#include <cmath>

namespace kx {

double RoundTo3(double x)
{
    if (!std::isfinite(x))
        return x;
    // nearbyint honours the rounding mode; fix it so a caller's mode cannot leak in.
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double n = std::nearbyint(x / 0.001);
    std::fesetround(previous);
    return n * 0.001;
}

} // namespace kx
