#pragma once
// What the program knows of the device: the desired parameter values (Set), the values the
// device last reported (Stan), a received flag per parameter, the identity, the state flags
// that tie the wizard, the sampling and the synchronisation together, and the latest
// measured values. Used on the UI thread only, so plain values suffice.

#include <array>
#include <cstdint>
#include <string>

#include "core/protocol/Param.h"

namespace kx {

struct ParamSet
{
    float PK1 = 0;
    float PK2 = 0;
    float OFFSET = 0;
    float COEF = 0;
    int32_t LED = 0;
    int32_t decp = 0;
    int32_t Beep = 0;
    int32_t mode = 0;
    float D0 = 0;
    float D1 = 0;
    float D2 = 0;
    float a1 = 0;
    float a2 = 0;
    float b1 = 0;
    float b2 = 0;
    float filter = 0;
    int32_t VoltageRange = 0;

    // Uniform access for code that walks all parameters (synchronisation, wizard copies).
    static bool isReal(Param p); // travels as a real (the command table says so)
    float real(Param p) const;
    void setReal(Param p, float v);
    int32_t integer(Param p) const;
    void setInteger(Param p, int32_t v);

    friend bool operator==(const ParamSet&, const ParamSet&) = default;
};

// A channel's value as the device sends it (a reply to 7, 23 or 24, a measurement frame) in
// the units the program shows: X1 and X2 scaled by their field's reported width, raw × D1 ×
// 0.1 and raw × D2 × 0.1; Y as it comes.
double channelValue(Channel c, float raw, const ParamSet& reported);

enum class DeviceType : int32_t
{
    None = 0,
    KX300L = 1,
    RV7N = 2,
    KX300N = 3,
    KX350T = 4,
};

inline const char* const kUnrecognisedTypeName = "<nierozpoznane>";
inline const char* const kUnknownVersion = "<nieznany>";

// "12" -> "1.2", "105" -> "1.05", "7" -> "7.": a point before the second digit.
std::string versionText(int32_t version);

// Each member says who writes it; everyone else only reads it.
struct DeviceModel
{
    // Desired by the operator: DeviceEditors; WizardSequence and DefaultsRestore copy Stan in.
    ParamSet Set;
    ParamSet Stan; // reported by the device: ReplyDispatcher
    // ReplyDispatcher sets a flag; WizardSequence and DefaultsRestore clear them before reading.
    std::array<uint8_t, kParamCount> ReceivedFlags{};

    int32_t TypeCode = 0; // ReplyDispatcher (command 32); WizardSequence clears it before asking
    std::string TypeName = kUnrecognisedTypeName; // WizardSequence, once the type is known
    int32_t HardwareVersion = 0;                  // ReplyDispatcher (command 35)
    int32_t SoftwareVersion = 0;                  // ReplyDispatcher (command 34)
    // The versions as the wizard read them; the device tab shows the same texts.
    std::string HardwareText = kUnknownVersion; // WizardSequence
    std::string SoftwareText = kUnknownVersion; // WizardSequence

    // WizardSequence (read-out done; connect, disconnect, abort); TForm1 clears it on a lost line.
    bool Detected = false;
    // Measuring: MeasurementControl (START, STOP, PAUSE, lost line); LinkControl clears it.
    bool GO = false;
    // Awaiting an answer: MeasurementScheduler; ReplyDispatcher and MeasurementControl clear it.
    bool zapytanie = false;
    // A request went unanswered: MeasurementScheduler; deviceAnswered clears it.
    int32_t bledna_transmisja = 0;
    bool ReplyReceived = false; // ReplyDispatcher; DeviceSync clears it once the tab is refreshed
    // "Restore defaults" acknowledged: ReplyDispatcher; DefaultsRestore clears it per request.
    bool DefaultsRestored = false;

    // The latest values: ReplyDispatcher (commands 7, 23, 24) and applyMeasurementFrame.
    float CurrentY = 0;
    float CurrentX1 = 0;
    float CurrentX2 = 0;
    uint8_t OutputPK1 = 0; // applyMeasurementFrame
    uint8_t OutputPK2 = 0; // applyMeasurementFrame

    uint8_t& received(Param p) { return ReceivedFlags[index(p)]; }
    uint8_t received(Param p) const { return ReceivedFlags[index(p)]; }
};

// The device has answered a measurement request (a measurement frame, or a reply for command
// 7, 23 or 24): the last request was not lost after all, so the transmission fault clears.
// ReplyDispatcher and applyMeasurementFrame.
inline void deviceAnswered(DeviceModel& model)
{
    model.bledna_transmisja = 0;
}

} // namespace kx
