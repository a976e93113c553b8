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
    static bool isReal(Param p);
    float real(Param p) const;
    void setReal(Param p, float v);
    int32_t integer(Param p) const;
    void setInteger(Param p, int32_t v);

    friend bool operator==(const ParamSet&, const ParamSet&) = default;
};

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

struct DeviceModel
{
    ParamSet Set;  // desired by the operator
    ParamSet Stan; // reported by the device
    std::array<uint8_t, kParamCount> ReceivedFlags{};

    int32_t TypeCode = 0;
    std::string TypeName = kUnrecognisedTypeName;
    int32_t HardwareVersion = 0;
    int32_t SoftwareVersion = 0;
    // The versions as the wizard read them; the device tab shows the same texts.
    std::string HardwareText = kUnknownVersion;
    std::string SoftwareText = kUnknownVersion;

    bool Detected = false;
    bool GO = false;
    bool zapytanie = false;
    int32_t bledna_transmisja = 0;
    bool ReplyReceived = false;
    bool DefaultsRestored = false; // the device acknowledged "restore defaults" (command 36)

    float CurrentY = 0;
    float CurrentX1 = 0;
    float CurrentX2 = 0;
    uint8_t OutputPK1 = 0;
    uint8_t OutputPK2 = 0;

    uint8_t& received(Param p) { return ReceivedFlags[index(p)]; }
    uint8_t received(Param p) const { return ReceivedFlags[index(p)]; }
};

// The device has answered (a measurement frame or a valid reply): the last request was not
// lost after all, so the transmission fault clears.
inline void deviceAnswered(DeviceModel& model)
{
    model.bledna_transmisja = 0;
}

} // namespace kx
