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

// The geometry of the two measuring fields: their boxes turn orange once confirmed.
constexpr bool isGeometry(Param p)
{
    return p == Param::D0 || p == Param::D1 || p == Param::D2 || p == Param::a1 || p == Param::a2 ||
           p == Param::b1 || p == Param::b2;
}

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
