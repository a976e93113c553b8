#pragma once
// Turns valid replies into changes of the parameter model, and tells the windows what to
// show through ReplyView. How a reply stores its parameter is the command table's to say;
// the dispatch adds what a command does beyond that. Runs on the UI thread, one reply at a
// time.

#include <optional>
#include <string>

#include "core/device/DeviceModel.h"
#include "core/protocol/Frame.h"
#include "core/protocol/RequestSender.h"

namespace kx {

struct CommandInfo;

// The five bar gauges: the Y, X1 and X2 bars and the two half-bars of the Y group.
enum class Gauge
{
    Y,         // CGauge1
    X1,        // CGauge2
    X2,        // CGauge3
    RightHalf, // CGauge4
    LeftHalf,  // CGauge5
};

// Which end of a measuring field its "min" caption marks: the field reads in the direction
// its reported width gives.
enum class FieldCaptions
{
    MinLeft,
    MinRight,
};
FieldCaptions field1Captions(float stanD1); // MinLeft unless D1 is below 0
FieldCaptions field2Captions(float stanD2); // MinRight while D2 is above 0

// trunc(|v|) as a gauge maximum; std::nullopt for a value that is not finite, which leaves
// the gauge as it is. Values beyond int range are held at its limit.
std::optional<int> gaugeMaximum(double v);

class ReplyView
{
public:
    virtual ~ReplyView() = default;
    // The parameter's edit box shows text in its confirmed colour (white for OFFSET, COEF
    // and filter, orange for the geometry).
    virtual void showConfirmed(Param p, const std::string& text) = 0;
    virtual void selectMode(int index) = 0;
    // Selects "0...5V" for a non-zero byte, else "0...10V"; the selection's handler runs only
    // when the selection changes.
    virtual void selectVoltageRange(int byte) = 0;
    virtual void setGaugeMaximum(Gauge g, int maximum) = 0;
    virtual void placeField1Captions(FieldCaptions c) = 0;
    virtual void placeField2Captions(FieldCaptions c) = 0;
    // The device tab's read-only "Y =", "X1=", "X2=" box.
    virtual void showResult(Channel c, const std::string& text) = 0;
    // New measured values are in the model: refresh every display of them.
    virtual void newValues() = 0;
};

class ReplyDispatcher
{
public:
    ReplyDispatcher(DeviceModel& model, ReplyView& view, TrafficLog* log, char decimalSeparator)
        : m_model(model), m_view(view), m_log(log), m_separator(decimalSeparator)
    {}

    void setTrafficLog(TrafficLog* log) { m_log = log; }

    // reply has passed the checksum.
    void dispatch(const Frame8& reply);

private:
    // The reported value of the command's parameter, as the command table says.
    void store(const CommandInfo& info, const Frame8& reply);
    // What a reply does beyond its store; known: the command is in the table.
    void applyOwnEffect(const Frame8& reply, bool known);
    void updateYGauge();
    void updateLargeGauges();
    void storeMeasured(Channel c, float raw);

    DeviceModel& m_model;
    ReplyView& m_view;
    TrafficLog* m_log;
    char m_separator;
};

} // namespace kx
