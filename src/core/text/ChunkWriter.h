#pragma once
// A file written as a stream of chunks: its bytes gather in a buffer of about 64 KiB, handed
// on whole lines at a time, so a file of any length passes through a small buffer.

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "core/text/Windows1250.h"

namespace kx {

// Receives the file's bytes in order, a chunk at a time (the view is valid during the call
// only); returns false to stop the writing (a failed write).
using ChunkSink = std::function<bool(std::string_view bytes)>;

// Collects a file's bytes and hands them on in chunks of about kChunk bytes, at line ends.
// Once the sink refuses a chunk nothing more is passed.
class ChunkWriter
{
public:
    explicit ChunkWriter(const ChunkSink& sink) : m_sink(sink), m_ok(bool(sink))
    {
        m_buffer.reserve(kChunk + 4096);
    }

    std::string& buffer() { return m_buffer; }
    bool ok() const { return m_ok; }

    // Text given in UTF-8, written in Windows-1250.
    void text(std::string_view utf8) { appendWindows1250(m_buffer, utf8); }
    void bytes(std::string_view b) { m_buffer += b; }
    void endLine()
    {
        m_buffer += "\r\n";
        if (m_buffer.size() >= kChunk)
            flush();
    }
    bool finish()
    {
        flush();
        return m_ok;
    }

private:
    static constexpr std::size_t kChunk = 64 * 1024;

    void flush()
    {
        if (m_ok && !m_buffer.empty())
            m_ok = m_sink(m_buffer);
        m_buffer.clear();
    }

    const ChunkSink& m_sink;
    std::string m_buffer;
    bool m_ok;
};

} // namespace kx
