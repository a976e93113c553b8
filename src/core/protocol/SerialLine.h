#pragma once
// The device's serial line. It offers no other settings, so the link opens every port with
// these.

namespace kx {

constexpr int kLineBaudRate = 57600; // bit/s
constexpr int kLineDataBits = 8;
constexpr int kLineParity = 0; // none (0 none, 1 odd, 2 even); one stop bit, no flow control

} // namespace kx
