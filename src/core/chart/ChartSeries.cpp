#include "core/chart/ChartSeries.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace kx {

namespace {

constexpr int kFineShift = 4;   // 16 points per fine block
constexpr int kCoarseShift = 8; // 256 points per coarse block
constexpr int kLevelShift = 4;  // 16 entries of a level make one of the next
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// How many buckets ahead a sweep asks for memory: enough to cover a miss to main memory.
constexpr std::int64_t kPrefetchBuckets = 2;

// A hint only: reading memory early where the compiler offers a way.
inline void prefetch(const void* address)
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

} // namespace

// No point is ever infinite, so +inf/-inf mark a block without points.
void ChartSeries::MinMax::add(double v)
{
    min = std::min(min, v);
    max = std::max(max, v);
}

void ChartSeries::MinMax::add(const MinMax& m)
{
    min = std::min(min, m.min);
    max = std::max(max, m.max);
}

struct ChartSeries::Chunk
{
    static constexpr int kFine = kChunkCapacity >> kFineShift;
    static constexpr int kCoarse = kChunkCapacity >> kCoarseShift;
    static constexpr int kFinePerCoarse = 1 << (kCoarseShift - kFineShift);

    // A block's first x sits beside its extent, and a point's y beside its x: a sweep that
    // looks for a key has already brought in what the summary reads next.
    struct Block
    {
        double firstX; // +inf for a block without points, so no key is ever above it
        MinMax range;
    };

    int size = 0;
    Block coarse[kCoarse];
    Block fine[kFine];
    ChartPoint p[kChunkCapacity];

    Chunk() { resetFrom(0); }

    MinMax all() const
    {
        MinMax m{kInf, -kInf};
        for (const Block& c : coarse)
            m.add(c.range);
        return m;
    }

    // Adds point `o`, the new last one, to the summaries.
    void summarizeLast(int o)
    {
        Block& f = fine[o >> kFineShift];
        Block& c = coarse[o >> kCoarseShift];
        f.range.add(p[o].y);
        c.range.add(p[o].y);
        if ((o & ((1 << kFineShift) - 1)) == 0)
            f.firstX = p[o].x;
        if ((o & ((1 << kCoarseShift) - 1)) == 0)
            c.firstX = p[o].x;
    }

    // Brings the summaries up to date from point `from` on.
    void resetFrom(int from)
    {
        for (int j = from >> kFineShift; j < kFine; ++j) {
            MinMax m{kInf, -kInf};
            const int begin = j << kFineShift;
            const int end = std::min(size, begin + (1 << kFineShift));
            for (int i = begin; i < end; ++i)
                m.add(p[i].y);
            fine[j] = {begin < size ? p[begin].x : kInf, m};
        }
        for (int j = from >> kCoarseShift; j < kCoarse; ++j) {
            MinMax m{kInf, -kInf};
            for (int f = j * kFinePerCoarse; f < (j + 1) * kFinePerCoarse; ++f)
                m.add(fine[f].range);
            coarse[j] = {fine[j * kFinePerCoarse].firstX, m};
        }
    }

    // First offset whose x is >= key (Upper: > key); size when none.
    template <bool Upper> int bound(double key) const
    {
        const auto before = [key](double x) { return Upper ? x <= key : x < key; };
        const auto search = [&](auto* begin, auto* end, auto xOf) {
            return std::partition_point(begin, end, [&](const auto& e) { return before(xOf(e)); });
        };
        const auto blockX = [](const Block& b) { return b.firstX; };
        // The block to search is the one before the first that starts beyond the key.
        const int c = int(search(coarse, coarse + kCoarse, blockX) - coarse);
        if (c == 0)
            return 0;
        const Block* fines = fine + (c - 1) * kFinePerCoarse;
        const int f = int(search(fines, fines + kFinePerCoarse, blockX) - fine);
        const int lo = (f - 1) << kFineShift;
        const int hi = std::min(size, f << kFineShift);
        return int(search(p + lo, p + hi, [](const ChartPoint& q) { return q.x; }) - p);
    }
};

static_assert(ChartSeries::kChunkCapacity % (1 << kCoarseShift) == 0);

ChartSeries::ChartSeries() = default;
ChartSeries::~ChartSeries() = default;
ChartSeries::ChartSeries(ChartSeries&&) noexcept = default;
ChartSeries& ChartSeries::operator=(ChartSeries&&) noexcept = default;

bool ChartSeries::add(double x, double y)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return false;
    if (m_chunks.empty() || x >= m_lastX.back())
        append(x, y);
    else
        insert(x, y);
    return true;
}

void ChartSeries::clear()
{
    // Assigned fresh, not cleared, so the capacity goes too.
    m_chunks = decltype(m_chunks)();
    m_ends = decltype(m_ends)();
    m_firstX = decltype(m_firstX)();
    m_lastX = decltype(m_lastX)();
    m_levels = decltype(m_levels)();
}

std::int64_t ChartSeries::size() const
{
    return m_ends.empty() ? 0 : m_ends.back();
}

double ChartSeries::x(std::int64_t i) const
{
    if (i < 0 || i >= size())
        return kNaN;
    const Pos p = locate(i);
    return m_chunks[p.chunk]->p[p.offset].x;
}

double ChartSeries::y(std::int64_t i) const
{
    if (i < 0 || i >= size())
        return kNaN;
    const Pos p = locate(i);
    return m_chunks[p.chunk]->p[p.offset].y;
}

std::int64_t ChartSeries::lowerBound(double key) const
{
    // Every chunk before the first whose last x reaches the key lies wholly below it.
    const auto it = std::lower_bound(m_lastX.begin(), m_lastX.end(), key);
    if (it == m_lastX.end())
        return size();
    const std::size_t c = std::size_t(it - m_lastX.begin());
    return chunkStart(c) + m_chunks[c]->bound<false>(key);
}

std::int64_t ChartSeries::upperBound(double key) const
{
    const auto it = std::upper_bound(m_lastX.begin(), m_lastX.end(), key);
    if (it == m_lastX.end())
        return size();
    const std::size_t c = std::size_t(it - m_lastX.begin());
    return chunkStart(c) + m_chunks[c]->bound<true>(key);
}

std::optional<Extent> ChartSeries::keyExtent() const
{
    if (empty())
        return std::nullopt;
    return Extent{m_firstX.front(), m_lastX.back()};
}

std::optional<Extent> ChartSeries::valueExtent() const
{
    if (empty())
        return std::nullopt;
    const MinMax& top = m_levels.back().front();
    return Extent{top.min, top.max};
}

std::optional<Extent> ChartSeries::keyExtent(const IndexRange& range) const
{
    const IndexRange r = clip(range);
    if (r.empty())
        return std::nullopt;
    return Extent{x(r.first), x(r.last)};
}

std::optional<Extent> ChartSeries::valueExtent(const IndexRange& range, Sign sign) const
{
    const IndexRange r = clip(range);
    if (r.empty())
        return std::nullopt;
    if (sign == Sign::Any) {
        const MinMax m = rangeMinMax(locate(r.first), locate(r.last));
        return Extent{m.min, m.max};
    }
    // Only logarithmic axes ask for this: whole chunks on one side of zero are taken from their
    // summary, the others are read point by point.
    const bool positive = sign == Sign::Positive;
    const auto wanted = [positive](double v) { return positive ? v > 0 : v < 0; };
    MinMax m{kInf, -kInf};
    const Pos a = locate(r.first);
    const Pos b = locate(r.last);
    for (std::size_t c = a.chunk; c <= b.chunk; ++c) {
        const Chunk& k = *m_chunks[c];
        const int lo = c == a.chunk ? a.offset : 0;
        const int hi = c == b.chunk ? b.offset + 1 : k.size;
        if (lo == 0 && hi == k.size) {
            const MinMax& whole = m_levels[0][c];
            if (wanted(whole.min) && wanted(whole.max)) {
                m.add(whole);
                continue;
            }
            if (positive ? whole.max <= 0 : whole.min >= 0)
                continue;
        }
        for (int i = lo; i < hi; ++i)
            if (wanted(k.p[i].y))
                m.add(k.p[i].y);
    }
    if (m.min > m.max)
        return std::nullopt;
    return Extent{m.min, m.max};
}

std::optional<ChartSeries::Bucket> ChartSeries::summary(const IndexRange& range) const
{
    const IndexRange r = clip(range);
    if (r.empty())
        return std::nullopt;
    return bucket(r.first, r.last);
}

void ChartSeries::summarize(const IndexRange& range, std::int64_t count,
                            std::vector<Bucket>& out) const
{
    const IndexRange r = clip(range);
    if (r.empty() || count <= 0)
        return;
    const std::int64_t n = r.size();
    count = std::min(count, n);
    // The first n mod count buckets take one point more.
    const std::int64_t q = n / count;
    const std::int64_t extra = n % count;
    std::int64_t first = r.first;
    for (std::int64_t i = 0; i < count; ++i) {
        const std::int64_t points = q + (i < extra ? 1 : 0);
        out.push_back(bucket(first, first + points - 1));
        first += points;
    }
}

void ChartSeries::summarizeByKey(const IndexRange& range, std::span<const double> separators,
                                 std::vector<Bucket>& out) const
{
    const IndexRange r = clip(range);
    if (r.empty())
        return;
    // The separators ascend, so each boundary is searched forward from the one before: the
    // sweep reads memory in order, where a fresh search per bucket would miss the cache.
    Pos at = locate(r.first);
    const Pos end = locate(r.last);
    std::int64_t first = r.first;
    for (double separator : separators) {
        if (first > r.last)
            return;
        std::int64_t next = first;
        const Pos boundary = seek(at, first, separator, next);
        if (next > r.last + 1)
            next = r.last + 1;
        if (next > first) {
            // Samples come at a steady rate, so a boundary a few buckets on is likely as many
            // times as far: its memory is fetched while the buckets before it are summarised.
            const std::int64_t ahead = next + kPrefetchBuckets * (next - first);
            std::size_t c = boundary.chunk;
            while (c < m_ends.size() && ahead >= m_ends[c])
                ++c;
            if (c < m_ends.size()) {
                const Chunk& k = *m_chunks[c];
                const std::int64_t o = ahead - chunkStart(c);
                prefetch(&k.coarse[o >> kCoarseShift]);
                prefetch(&k.fine[o >> kFineShift]);
                prefetch(&k.p[o]);
            }
            out.push_back(bucket(first, at, next - 1, next - 1 == r.last ? end : before(boundary)));
            first = next;
            at = boundary;
        }
    }
    if (first <= r.last)
        out.push_back(bucket(first, at, r.last, end));
}

void ChartSeries::forEachRun(const IndexRange& range,
                             const std::function<void(std::span<const ChartPoint>)>& visit) const
{
    const IndexRange r = clip(range);
    if (r.empty())
        return;
    const Pos a = locate(r.first);
    const Pos b = locate(r.last);
    for (std::size_t c = a.chunk; c <= b.chunk; ++c) {
        const Chunk& k = *m_chunks[c];
        const int lo = c == a.chunk ? a.offset : 0;
        const int hi = c == b.chunk ? b.offset + 1 : k.size;
        visit(std::span<const ChartPoint>(k.p + lo, std::size_t(hi - lo)));
    }
}

std::size_t ChartSeries::memoryUsage() const
{
    std::size_t bytes = m_chunks.size() * sizeof(Chunk);
    bytes += m_chunks.capacity() * sizeof(m_chunks[0]);
    bytes += m_ends.capacity() * sizeof(m_ends[0]);
    bytes += (m_firstX.capacity() + m_lastX.capacity()) * sizeof(double);
    for (const auto& level : m_levels)
        bytes += level.capacity() * sizeof(MinMax);
    return bytes;
}

ChartSeries::Pos ChartSeries::locate(std::int64_t i) const
{
    const auto it = std::upper_bound(m_ends.begin(), m_ends.end(), i);
    const std::size_t c = std::size_t(it - m_ends.begin());
    return {c, int(i - chunkStart(c))};
}

// The first point at or after `from` (whose index is `index`) with an x that reaches `key`; its
// index goes to `found`. Past the last point: the position one beyond it.
ChartSeries::Pos ChartSeries::seek(Pos from, std::int64_t index, double key,
                                   std::int64_t& found) const
{
    std::size_t c = from.chunk;
    int o = from.offset;
    if (m_lastX[c] < key) {
        const auto it =
            std::lower_bound(m_lastX.begin() + std::ptrdiff_t(c) + 1, m_lastX.end(), key);
        if (it == m_lastX.end()) {
            found = size();
            return {m_chunks.size() - 1, m_chunks.back()->size};
        }
        c = std::size_t(it - m_lastX.begin());
        o = 0;
        index = chunkStart(c);
    }
    const Chunk& k = *m_chunks[c];
    // Blocks whose successor still starts below the key lie wholly below it: passed, coarse
    // ones first.
    int block = o >> kCoarseShift;
    while (block + 1 < Chunk::kCoarse && k.coarse[block + 1].firstX < key)
        ++block;
    int fine = std::max(o >> kFineShift, block * Chunk::kFinePerCoarse);
    while (fine + 1 < Chunk::kFine && k.fine[fine + 1].firstX < key)
        ++fine;
    int i = std::max(o, fine << kFineShift);
    const int stop = std::min(k.size, (fine + 1) << kFineShift);
    while (i < stop && k.p[i].x < key)
        ++i;
    found = index + (i - o);
    return {c, i};
}

// The position just before `p`, which is not the first point.
ChartSeries::Pos ChartSeries::before(Pos p) const
{
    if (p.offset > 0)
        return {p.chunk, p.offset - 1};
    return {p.chunk - 1, m_chunks[p.chunk - 1]->size - 1};
}

IndexRange ChartSeries::clip(const IndexRange& range) const
{
    return {std::max<std::int64_t>(range.first, 0), std::min(range.last, size() - 1)};
}

void ChartSeries::append(double x, double y)
{
    if (m_chunks.empty() || m_chunks.back()->size == kChunkCapacity) {
        m_chunks.push_back(std::make_unique<Chunk>());
        m_ends.push_back(size());
        m_firstX.push_back(x);
        m_lastX.push_back(x);
        if (m_levels.empty())
            m_levels.emplace_back();
        m_levels[0].push_back({kInf, -kInf});
        rebuildLevels(m_chunks.size() - 1);
    }
    Chunk& k = *m_chunks.back();
    const int o = k.size++;
    k.p[o] = {x, y};
    k.summarizeLast(o);
    ++m_ends.back();
    m_lastX.back() = x;
    const std::size_t c = m_chunks.size() - 1;
    for (std::size_t l = 0; l < m_levels.size(); ++l)
        m_levels[l][c >> (kLevelShift * l)].add(y);
}

void ChartSeries::insert(double x, double y)
{
    // The chunk that holds the points up to x: the last one that starts at or below x.
    const auto after = std::upper_bound(m_firstX.begin(), m_firstX.end(), x);
    std::size_t c = after == m_firstX.begin() ? 0 : std::size_t(after - m_firstX.begin()) - 1;
    int o = m_chunks[c]->bound<true>(x);
    // Between two chunks either will do; a full one would have to split.
    if (o == m_chunks[c]->size && o == kChunkCapacity && c + 1 < m_chunks.size() &&
        m_chunks[c + 1]->size < kChunkCapacity) {
        ++c;
        o = 0;
    }
    if (m_chunks[c]->size == kChunkCapacity) {
        split(c);
        const int kept = m_chunks[c]->size;
        if (o > kept) {
            ++c;
            o -= kept;
        }
    }
    Chunk& k = *m_chunks[c];
    const std::size_t moved = std::size_t(k.size - o);
    std::memmove(k.p + o + 1, k.p + o, moved * sizeof(ChartPoint));
    k.p[o] = {x, y};
    ++k.size;
    k.resetFrom(o);
    m_firstX[c] = k.p[0].x;
    m_lastX[c] = k.p[k.size - 1].x;
    for (std::size_t i = c; i < m_ends.size(); ++i)
        ++m_ends[i];
    for (std::size_t l = 0; l < m_levels.size(); ++l)
        m_levels[l][c >> (kLevelShift * l)].add(y);
}

void ChartSeries::split(std::size_t c)
{
    Chunk& a = *m_chunks[c];
    auto b = std::make_unique<Chunk>();
    const int kept = a.size / 2;
    b->size = a.size - kept;
    std::memcpy(b->p, a.p + kept, std::size_t(b->size) * sizeof(ChartPoint));
    a.size = kept;
    a.resetFrom(kept);
    b->resetFrom(0);

    m_lastX[c] = a.p[kept - 1].x;
    m_firstX.insert(m_firstX.begin() + std::ptrdiff_t(c) + 1, b->p[0].x);
    m_lastX.insert(m_lastX.begin() + std::ptrdiff_t(c) + 1, b->p[b->size - 1].x);
    m_ends.insert(m_ends.begin() + std::ptrdiff_t(c) + 1, m_ends[c]);
    m_ends[c] -= b->size;
    m_levels[0][c] = a.all();
    m_levels[0].insert(m_levels[0].begin() + std::ptrdiff_t(c) + 1, b->all());
    m_chunks.insert(m_chunks.begin() + std::ptrdiff_t(c) + 1, std::move(b));
    rebuildLevels(c);
}

// Recomputes the levels above the chunks for chunk `fromChunk` onward, growing a level on top
// while the highest one has more than one entry.
void ChartSeries::rebuildLevels(std::size_t fromChunk)
{
    for (std::size_t l = 1;; ++l) {
        const std::size_t below = m_levels[l - 1].size();
        if (below <= 1) {
            m_levels.resize(l);
            return;
        }
        std::size_t from = fromChunk >> (kLevelShift * l);
        if (l == m_levels.size()) {
            m_levels.emplace_back();
            from = 0;
        }
        const std::size_t entries = (below + (1u << kLevelShift) - 1) >> kLevelShift;
        std::vector<MinMax>& level = m_levels[l];
        level.resize(entries, MinMax{kInf, -kInf});
        const std::vector<MinMax>& lower = m_levels[l - 1];
        for (std::size_t j = from; j < entries; ++j) {
            MinMax m{kInf, -kInf};
            const std::size_t end = std::min(below, (j + 1) << kLevelShift);
            for (std::size_t i = j << kLevelShift; i < end; ++i)
                m.add(lower[i]);
            level[j] = m;
        }
    }
}

ChartSeries::MinMax ChartSeries::rangeMinMax(Pos a, Pos b) const
{
    if (a.chunk == b.chunk)
        return chunkMinMax(a.chunk, a.offset, b.offset + 1);
    MinMax m = chunkMinMax(a.chunk, a.offset, m_chunks[a.chunk]->size);
    m.add(chunksMinMax(a.chunk + 1, b.chunk));
    m.add(chunkMinMax(b.chunk, 0, b.offset + 1));
    return m;
}

// Points lo … hi−1 of chunk c, from the largest blocks that fit.
ChartSeries::MinMax ChartSeries::chunkMinMax(std::size_t c, int lo, int hi) const
{
    const Chunk& k = *m_chunks[c];
    if (lo == 0 && hi == k.size)
        return m_levels[0][c];
    constexpr int kCoarse = 1 << kCoarseShift;
    constexpr int kFine = 1 << kFineShift;
    MinMax m{kInf, -kInf};
    int i = lo;
    while (i < hi) {
        if ((i & (kCoarse - 1)) == 0 && std::min(i + kCoarse, k.size) <= hi) {
            m.add(k.coarse[i >> kCoarseShift].range);
            i += kCoarse;
        } else if ((i & (kFine - 1)) == 0 && std::min(i + kFine, k.size) <= hi) {
            m.add(k.fine[i >> kFineShift].range);
            i += kFine;
        } else {
            m.add(k.p[i].y);
            ++i;
        }
    }
    return m;
}

// Whole chunks c0 … c1−1, from the largest groups of chunks that fit.
ChartSeries::MinMax ChartSeries::chunksMinMax(std::size_t c0, std::size_t c1) const
{
    MinMax m{kInf, -kInf};
    const std::size_t chunks = m_chunks.size();
    std::size_t c = c0;
    while (c < c1) {
        std::size_t l = 0;
        while (l + 1 < m_levels.size()) {
            const std::size_t span = std::size_t(1) << (kLevelShift * (l + 1));
            if ((c & (span - 1)) != 0 || std::min(c + span, chunks) > c1)
                break;
            ++l;
        }
        m.add(m_levels[l][c >> (kLevelShift * l)]);
        c += std::size_t(1) << (kLevelShift * l);
    }
    return m;
}

ChartSeries::Bucket ChartSeries::bucket(std::int64_t first, std::int64_t last) const
{
    return bucket(first, locate(first), last, locate(last));
}

ChartSeries::Bucket ChartSeries::bucket(std::int64_t first, Pos a, std::int64_t last, Pos b) const
{
    const Chunk& ka = *m_chunks[a.chunk];
    const Chunk& kb = *m_chunks[b.chunk];
    const MinMax m = rangeMinMax(a, b);
    return {first, last, ka.p[a.offset].x, kb.p[b.offset].x, ka.p[a.offset].y, kb.p[b.offset].y,
            m.min, m.max};
}

PagedSeries pagedSeries(const ChartSeries& series)
{
    return {series.size(), [&series](std::int64_t i) { return series.x(i); },
            [&series](std::int64_t first, std::int64_t last) {
                return series.valueExtent({first, last}).value_or(Extent{});
            }};
}

} // namespace kx
