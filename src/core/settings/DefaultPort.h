#pragma once

namespace kx {

// The port connected to when config.ini names none (or is missing).
inline constexpr const char* kDefaultPortName = "COM1";

} // namespace kx
