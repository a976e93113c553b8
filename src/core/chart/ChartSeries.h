#pragma once
// The points of one chart series, in ascending x, built for recordings of millions of points:
// adding a point and summarising any index range for drawing cost the same at ten thousand and
// at ten million points.
//
// Points live in chunks of fixed capacity, so appending never copies what is stored, and a
// point that lands among old ones (the time restarts at 0 when a measurement is stopped and
// started again while recording) moves at most one chunk's points. Every chunk keeps the lowest
// and highest y, and the first x, of each 16 and each 256 of its points; above the chunks the
// lowest and highest y are kept for each 16, 256, … chunks. A summary of any range is taken from
// the coarsest blocks that fit in it, which costs a few dozen steps whatever the number of
// points. Non-finite values are refused, so ±inf can mark empty blocks.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "core/chart/ChartPaging.h"

namespace kx {

struct ChartPoint
{
    double x;
    double y;
};

class ChartSeries
{
public:
    // Points per chunk.
    static constexpr int kChunkCapacity = 2048;

    // Consecutive points first … last, as a drawing needs them.
    struct Bucket
    {
        std::int64_t first = 0;
        std::int64_t last = -1;
        double xFirst = 0;
        double xLast = 0;
        double yFirst = 0;
        double yLast = 0;
        double yMin = 0;
        double yMax = 0;
    };

    // Which values a value extent takes; a logarithmic axis wants only one sign.
    enum class Sign
    {
        Any,
        Positive,
        Negative
    };

    ChartSeries();
    ~ChartSeries();
    ChartSeries(ChartSeries&&) noexcept;
    ChartSeries& operator=(ChartSeries&&) noexcept;

    // Places the point after every point whose x is not greater, so equal x keep their arrival
    // order. A point with a coordinate that is not finite is refused: false, nothing stored.
    bool add(double x, double y);
    // Removes every point and frees their memory.
    void clear();

    std::int64_t size() const;
    bool empty() const { return size() == 0; }
    // 0 <= i < size(); anything else gives NaN.
    double x(std::int64_t i) const;
    double y(std::int64_t i) const;

    // Index of the first point with x >= key (lowerBound) or x > key (upperBound); size() if none.
    std::int64_t lowerBound(double key) const;
    std::int64_t upperBound(double key) const;

    // Extents over every point, or over the points of `range` that exist. None when empty.
    // With a sign (for logarithmic axes) chunks that reach across zero are read point by point;
    // every other extent comes from the summaries.
    std::optional<Extent> keyExtent() const;
    std::optional<Extent> valueExtent() const;
    std::optional<Extent> keyExtent(const IndexRange& range) const;
    std::optional<Extent> valueExtent(const IndexRange& range, Sign sign = Sign::Any) const;

    // One bucket over the points of `range` that exist; none when that is empty.
    std::optional<Bucket> summary(const IndexRange& range) const;
    // Appends to `out` the points of `range` split into `count` buckets of nearly equal point
    // counts (one point each when the range holds no more than `count`).
    void summarize(const IndexRange& range, std::int64_t count, std::vector<Bucket>& out) const;
    // Appends to `out` the points of `range` split where x reaches each of the ascending
    // `separators`: bucket 0 holds x < separators[0], bucket i separators[i−1] <= x <
    // separators[i], the last x >= the last separator. Buckets without points are left out.
    void summarizeByKey(const IndexRange& range, std::span<const double> separators,
                        std::vector<Bucket>& out) const;

    // Calls `visit` with the points of `range`, in order, one stored run at a time.
    void forEachRun(const IndexRange& range,
                    const std::function<void(std::span<const ChartPoint>)>& visit) const;

    // Bytes held for the points, their summaries and unused capacity.
    std::size_t memoryUsage() const;

private:
    struct Chunk;
    struct MinMax
    {
        double min;
        double max;
        void add(double v);
        void add(const MinMax& m);
    };
    struct Pos
    {
        std::size_t chunk;
        int offset;
    };

    std::int64_t chunkStart(std::size_t c) const { return c == 0 ? 0 : m_ends[c - 1]; }
    Pos locate(std::int64_t i) const;
    Pos seek(Pos from, std::int64_t index, double key, std::int64_t& found) const;
    Pos before(Pos p) const;
    IndexRange clip(const IndexRange& range) const;
    void append(double x, double y);
    void insert(double x, double y);
    void split(std::size_t c);
    void rebuildLevels(std::size_t fromChunk);
    MinMax rangeMinMax(Pos a, Pos b) const;
    MinMax chunkMinMax(std::size_t c, int lo, int hi) const;
    MinMax chunksMinMax(std::size_t c0, std::size_t c1) const;
    Bucket bucket(std::int64_t first, std::int64_t last) const;
    Bucket bucket(std::int64_t first, Pos a, std::int64_t last, Pos b) const;

    std::vector<std::unique_ptr<Chunk>> m_chunks;
    std::vector<std::int64_t> m_ends; // points in chunks 0 … i
    std::vector<double> m_firstX;     // per chunk, for finding where a point goes
    std::vector<double> m_lastX;
    // [0]: per chunk; [l]: per 16^l chunks.
    std::vector<std::vector<MinMax>> m_levels;
};

// The paging's view of a series; it refers to `series`, which must outlive it.
PagedSeries pagedSeries(const ChartSeries& series);

} // namespace kx
