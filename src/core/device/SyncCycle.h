#pragma once
// The synchronisation cycle's decisions: which parameter to write next, the state dump of
// the traffic monitor and the status text. The timer and the windows are the caller's.

#include <optional>
#include <string>
#include <vector>

#include "core/device/DeviceModel.h"
#include "core/protocol/Frame.h"

namespace kx {

struct SyncWrite
{
    Param param;
    uint8_t command;
    Data4 data;
};

// The order in which parameters are compared and written; also their priority.
const std::vector<Param>& syncOrder();

// Whether the desired and reported values of p agree: integers exactly, reals after RoundTo3
// on both sides. A desired real that is not finite counts as agreeing (it is never written);
// a finite desired value never agrees with a reported NaN.
bool inStep(const ParamSet& set, const ParamSet& stan, Param p);

// The write for the first parameter, in syncOrder(), whose values differ; the desired value
// itself is written (a real unrounded, an integer as its low byte), and always finite.
std::optional<SyncWrite> nextWrite(const ParamSet& set, const ParamSet& stan);

// The twenty lines of the state pane.
std::vector<std::string> stateDump(const DeviceModel& model, char decimalSeparator);

// "gotowy do pracy", "praca", "nie wykryto", or nothing (GO without Detected leaves the text).
std::optional<std::string> statusText(bool detected, bool go);

} // namespace kx
