#pragma once
#include <cstddef>

namespace kx {

// The device's parameters, in the order of the parameter set.
enum class Param
{
    PK1,
    PK2,
    OFFSET,
    COEF,
    LED,
    decp,
    Beep,
    mode,
    D0,
    D1,
    D2,
    a1,
    a2,
    b1,
    b2,
    filter,
    VoltageRange,
};

constexpr std::size_t kParamCount = 17;

// The measured values.
enum class Channel
{
    Y,
    X1,
    X2,
};

constexpr std::size_t index(Param p)
{
    return static_cast<std::size_t>(p);
}

} // namespace kx
