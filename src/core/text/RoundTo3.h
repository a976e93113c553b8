#pragma once

namespace kx {

// The nearest multiple of 0.001, computed as n * 0.001 with n the integer nearest to
// x / 0.001; an exact half goes to the even n. Not-finite values come back unchanged.
double RoundTo3(double x);

} // namespace kx
