#pragma once
// Device-to-program frames as the serial engine would deliver them.

#include <QByteArray>

#include <initializer_list>

#include "core/protocol/Frame.h"

inline QByteArray frameBytes(const kx::Frame8& f)
{
    return QByteArray(reinterpret_cast<const char*>(f.data()), static_cast<qsizetype>(f.size()));
}

inline QByteArray realReply(uint8_t command, float value)
{
    return frameBytes(kx::buildFrame(kx::FrameKind::Reply, command, kx::encodeReal(value)));
}

inline QByteArray byteReply(uint8_t command, int value)
{
    return frameBytes(kx::buildFrame(kx::FrameKind::Reply, command, kx::encodeByte(value)));
}

// F4 F4, the flag byte, then the values given.
inline QByteArray measurement(uint8_t flags, std::initializer_list<float> values)
{
    QByteArray f("\xF4\xF4", 2);
    f.append(char(flags));
    for (float v : values) {
        const kx::Data4 d = kx::encodeReal(v);
        f.append(reinterpret_cast<const char*>(d.data()), 4);
    }
    return f;
}
