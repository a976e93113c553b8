#pragma once
// One new sample as the displays show it: handed once, as a value, to whatever records it
// (the chart, the register). A measurement frame and a reply for command 7, 23 or 24 each make
// one.

#include <array>
#include <optional>
#include <string>

#include "core/measure/Measurement.h"
#include "core/protocol/Param.h" // Channel

namespace kx {

// The value each large field shows; none while it still shows its dashes. A value shown by an
// earlier sample stays until a sample replaces it.
struct ShownValues
{
    std::optional<float> y;
    std::optional<float> x1;
    std::optional<float> x2;
};

struct Sample
{
    double measureTime = 0; // MeasureTime when it came, seconds
    ActiveValues active;    // the values it carries ("Aktywny")
    ShownValues shown;      // what the fields show with it
    // "%3.4f" of each value, as the fields show it (by Channel); only the active ones are shown.
    std::array<std::string, 3> texts;
    bool pk1 = false; // the outputs
    bool pk2 = false;

    const std::string& text(Channel c) const { return texts[static_cast<std::size_t>(c)]; }
};

// What a saved register says of the measurement, read at the moment of saving, and the
// time a row registered by hand carries.
struct MeasurementSummary
{
    double measureTime = 0;     // MeasureTime now
    double durationSeconds = 0; // the last measurement's length (MeasurementScheduler::duration)
    SamplingSettings sampling;
    ActiveValues active;
};

} // namespace kx
