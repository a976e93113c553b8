#include "sim/SimDevice.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/protocol/Commands.h"

namespace kx::sim {

namespace {

constexpr auto kRead = static_cast<uint8_t>(FrameKind::ReadRequest);
constexpr auto kWrite = static_cast<uint8_t>(FrameKind::WriteRequest);
constexpr auto kMeasurementHeader = static_cast<uint8_t>(FrameKind::Measurement);

bool isRequestHeader(uint8_t b)
{
    return b == kRead || b == kWrite;
}

std::string frameText(std::span<const uint8_t> bytes)
{
    std::string s;
    for (uint8_t b : bytes) {
        static constexpr char kHex[] = "0123456789ABCDEF";
        if (!s.empty())
            s += ' ';
        s += kHex[b >> 4];
        s += kHex[b & 0x0F];
    }
    return s;
}

void append(std::vector<uint8_t>& out, const Data4& data)
{
    out.insert(out.end(), data.begin(), data.end());
}

} // namespace

SimDevice::SimDevice(SimOptions options, ClockFn clock)
    : m_options(options), m_clock(std::move(clock)), m_start(m_clock()), m_now(m_start),
      m_random(options.seed), m_params(defaultParams())
{}

ParamSet SimDevice::defaultParams()
{
    ParamSet p;
    p.PK1 = 5;
    p.PK2 = 15;
    p.OFFSET = 0;
    p.COEF = 1;
    p.LED = 5;
    p.decp = 2;
    p.Beep = 0;
    p.mode = 1;
    p.D0 = 10;
    p.D1 = 20;
    p.D2 = 20;
    p.a1 = 0;
    p.a2 = 0;
    p.b1 = 0;
    p.b2 = 0;
    p.filter = 1;
    p.VoltageRange = 0;
    return p;
}

void SimDevice::receive(std::span<const uint8_t> bytes)
{
    if (bytes.empty())
        return;
    m_now = m_clock();
    m_input.insert(m_input.end(), bytes.begin(), bytes.end());
    parse();
}

void SimDevice::parse()
{
    std::size_t at = 0;
    std::size_t skipped = 0;
    const std::size_t n = m_input.size();
    while (at < n) {
        const bool headerPair =
            isRequestHeader(m_input[at]) && (at + 1 == n || m_input[at + 1] == m_input[at]);
        if (!headerPair) {
            ++at;
            ++skipped;
            continue;
        }
        if (n - at < kFrameSize)
            break; // the rest of this request is still on its way
        Frame8 frame;
        std::copy_n(m_input.begin() + static_cast<std::ptrdiff_t>(at), kFrameSize, frame.begin());
        if (checksum(frame[2], {frame[3], frame[4], frame[5], frame[6]}) != frame[7]) {
            // Perhaps noise that looked like a header: look for a request one byte further on.
            log("<- bad checksum, skipped: " + frameText(frame));
            ++at;
            continue;
        }
        if (skipped > 0) {
            log("<- skipped " + std::to_string(skipped) + " byte(s)");
            skipped = 0;
        }
        handleRequest(frame);
        at += kFrameSize;
    }
    if (skipped > 0)
        log("<- skipped " + std::to_string(skipped) + " byte(s)");
    m_input.erase(m_input.begin(), m_input.begin() + static_cast<std::ptrdiff_t>(at));
}

void SimDevice::handleRequest(const Frame8& request)
{
    ++m_requestCount;
    if (m_logger)
        log(std::string(request[0] == kWrite ? "<- write " : "<- read  ") +
            std::to_string(request[2]) + ": " + frameText(request));

    std::optional<std::vector<uint8_t>> reply = answer(request);
    if (!reply) {
        log("   no reply: unknown command");
        return;
    }
    if (m_requestCount <= m_options.ignoreFirst) {
        log("   no reply: request " + std::to_string(m_requestCount) + " of the first " +
            std::to_string(m_options.ignoreFirst));
        return;
    }
    const bool isReply = (*reply)[0] != kMeasurementHeader;
    send(std::move(*reply), isReply);
}

std::optional<std::vector<uint8_t>> SimDevice::answer(const Frame8& request)
{
    const uint8_t command = request[2];
    const bool write = request[0] == kWrite;
    const Data4 data{request[3], request[4], request[5], request[6]};

    const std::optional<CommandInfo> info = findCommand(command);
    if (!info)
        return std::nullopt;
    if (command == Cmd::Measure)
        return measurementFrame(request);

    Data4 value{};
    if (info->param) {
        const Param p = *info->param;
        if (ParamSet::isReal(p)) {
            if (write)
                m_params.setReal(p, decodeReal(data.data()));
            value = encodeReal(m_params.real(p));
        } else {
            if (write) {
                uint8_t stored = data[0];
                if (p == Param::LED)
                    stored = std::min(stored, kMaxLED);
                else if (p == Param::decp)
                    stored = std::min(stored, kMaxDecp);
                m_params.setInteger(p, stored);
            }
            value = encodeByte(m_params.integer(p));
        }
    } else {
        switch (command) {
        case Cmd::DeviceType:
            value = {static_cast<uint8_t>(m_options.identity[0]),
                     static_cast<uint8_t>(m_options.identity[1]),
                     static_cast<uint8_t>(m_options.identity[2]), 0};
            break;
        case Cmd::SoftwareVersion:
            value = encodeByte(kSoftwareVersion);
            break;
        case Cmd::HardwareVersion:
            value = encodeByte(kHardwareVersion);
            break;
        case Cmd::X1:
            value = encodeReal(sample().r1);
            break;
        case Cmd::X2:
            value = encodeReal(sample().r2);
            break;
        case Cmd::RestoreDefaults:
            if (write)
                m_params = defaultParams();
            break;
        default:
            break; // 5, 6, 10, 11: accepted, nothing to carry
        }
    }
    const Frame8 reply = buildFrame(FrameKind::Reply, command, value);
    return std::vector<uint8_t>(reply.begin(), reply.end());
}

std::vector<uint8_t> SimDevice::measurementFrame(const Frame8& request)
{
    const bool wantY = request[3] != 0;
    const bool wantX1 = request[4] != 0;
    const bool wantX2 = request[5] != 0;
    const Sample s = sample();
    const auto flags =
        static_cast<uint8_t>((wantY ? 0x01 : 0) | (wantX1 ? 0x02 : 0) | (wantX2 ? 0x04 : 0) |
                             (s.pk1 ? 0x08 : 0) | (s.pk2 ? 0x10 : 0));
    std::vector<uint8_t> frame{kMeasurementHeader, kMeasurementHeader, flags};
    if (wantY)
        append(frame, encodeReal(s.y));
    if (wantX1)
        append(frame, encodeReal(s.r1));
    if (wantX2)
        append(frame, encodeReal(s.r2));
    return frame;
}

Sample SimDevice::sample()
{
    const double t = std::chrono::duration<double>(m_now - m_start).count();
    const double phase = 2 * std::numbers::pi * t / kWavePeriodSeconds;
    // Both noise values are always drawn, so the sequence does not depend on what is asked.
    const double noise1 = m_noise(m_random);
    const double noise2 = m_noise(m_random);
    Sample s;
    s.r1 = static_cast<float>(std::clamp(5 + kWaveAmplitude * std::sin(phase) + noise1, 0.0, 10.0));
    s.r2 = static_cast<float>(
        std::clamp(5 + kWaveAmplitude * std::sin(phase - kChannel2PhaseLag) + noise2, 0.0, 10.0));
    // Scaled exactly as the program scales them, so its X1 + X2 + D0 matches Y.
    const double x1 = double(s.r1) * m_params.D1 * 0.1;
    const double x2 = double(s.r2) * m_params.D2 * 0.1;
    s.y = static_cast<float>(m_params.COEF * (m_params.D0 + x1 + x2) + m_params.OFFSET);
    const bool outputsActive = m_params.mode == 1;
    s.pk1 = outputsActive && s.y > m_params.PK1;
    s.pk2 = outputsActive && s.y > m_params.PK2;
    return s;
}

void SimDevice::send(std::vector<uint8_t> bytes, bool isReply)
{
    if (m_options.silent) {
        log("   not sent: silent");
        return;
    }
    ++m_answerCount;
    if (m_options.dropEvery != 0 && m_answerCount % m_options.dropEvery == 0) {
        log("   not sent: answer " + std::to_string(m_answerCount) + " dropped");
        return;
    }
    if (isReply) {
        ++m_replySentCount;
        if (m_options.badChecksumEvery != 0 && m_replySentCount % m_options.badChecksumEvery == 0)
            bytes[7] = static_cast<uint8_t>(bytes[7] + 1);
    }
    const SimTime at = m_now + m_options.latency;
    if (m_logger) {
        const auto delay = std::chrono::duration_cast<std::chrono::milliseconds>(at - m_start);
        log(std::string(isReply ? "-> reply " : "-> measurement ") + frameText(bytes) + " at " +
            std::to_string(delay.count()) + " ms");
    }
    m_pending.push_back({at, std::move(bytes)});
}

std::optional<SimTime> SimDevice::nextSendTime() const
{
    if (m_pending.empty())
        return std::nullopt;
    return m_pending.front().at;
}

std::vector<uint8_t> SimDevice::takeDue(SimTime now)
{
    std::vector<uint8_t> out;
    while (!m_pending.empty() && m_pending.front().at <= now) {
        const std::vector<uint8_t>& bytes = m_pending.front().bytes;
        out.insert(out.end(), bytes.begin(), bytes.end());
        m_pending.pop_front();
    }
    return out;
}

void SimDevice::log(const std::string& line) const
{
    if (m_logger)
        m_logger(line);
}

} // namespace kx::sim
