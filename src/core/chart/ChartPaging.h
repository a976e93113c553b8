#pragma once
// Paging of the time chart: which points a page shows and the axis extents that frame them.
// Pure arithmetic over point counts and accessors, so the chart widget only applies results.
//
// Pages are numbered from 1. N (points per page) of 0 means no paging: one page with
// everything. Indices are 0-based and inclusive.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace kx {

// The range of "próbki na strone", the points per page the operator may choose.
constexpr int kMinSamplesPerPage = 10;
constexpr int kMaxSamplesPerPage = 32767;

// An inclusive range of point indices; empty when last < first.
struct IndexRange
{
    std::int64_t first = 0;
    std::int64_t last = -1;

    bool empty() const { return last < first; }
    std::int64_t size() const { return empty() ? 0 : last - first + 1; }
    bool operator==(const IndexRange&) const = default;
};

// Lowest and highest value along one axis.
struct Extent
{
    double lower = 0;
    double upper = 0;

    bool operator==(const Extent&) const = default;
};

// One shown series as the paging needs it. `x` and `yExtent` are only called with indices
// 0 <= i < count; `yExtent(first, last)` gives the extent of the y values of those points.
struct PagedSeries
{
    std::int64_t count = 0;
    std::function<double(std::int64_t)> x;
    std::function<Extent(std::int64_t first, std::int64_t last)> yExtent;
};

// 1 without paging or without shown series, else max(1, ceil(n / N)) with n the largest count.
std::int64_t pageCount(std::int64_t perPage, std::span<const std::int64_t> shownCounts);

// A requested page brought into 1 … count.
std::int64_t clampPage(std::int64_t page, std::int64_t count);

// The points page `page` shows of a series with `count` points. A page past the end falls
// back to the last full page (or the first, when there is none); with no points it is empty.
// Pages below 1 count as 1. Without paging it is every point.
IndexRange pageRange(std::int64_t perPage, std::int64_t page, std::int64_t count);

// The part of a page's points `first … first + N − 1` that a series of `count` points has.
IndexRange pagePointsOf(std::int64_t perPage, const IndexRange& page, std::int64_t count);

// Horizontal extent of a page, from the points of the series with the most points. A partly
// filled page is stretched to the scale a full page would have. Empty page: no extent.
std::optional<Extent> pageKeyExtent(std::int64_t perPage, const IndexRange& page,
                                    const std::function<double(std::int64_t)>& x);

// Vertical extent over the page's points of every shown series.
std::optional<Extent> pageValueExtent(std::int64_t perPage, const IndexRange& page,
                                      std::span<const PagedSeries> shown);

// All a page needs at once. `page` is taken as it is (the caller clamps when the operator sets
// it); the series with the most points decides the index range and the horizontal extent.
// Without paging both extents cover every point of every shown series.
struct PageLayout
{
    std::int64_t pageCount = 1;
    IndexRange range;                  // of the series with the most points
    std::optional<Extent> keyExtent;   // none when there is nothing to show
    std::optional<Extent> valueExtent; // likewise
};
PageLayout layoutPage(std::int64_t perPage, std::int64_t page, std::span<const PagedSeries> shown);

} // namespace kx
