#include "core/chart/ChartPaging.h"

#include <algorithm>
#include <limits>

namespace kx {

namespace {

std::optional<Extent> unite(const std::optional<Extent>& a, const Extent& b)
{
    if (!a)
        return b;
    return Extent{std::min(a->lower, b.lower), std::max(a->upper, b.upper)};
}

// The shown series with the most points; the first of equals. Null when none is shown.
const PagedSeries* largest(std::span<const PagedSeries> shown)
{
    const PagedSeries* best = nullptr;
    for (const PagedSeries& s : shown)
        if (!best || s.count > best->count)
            best = &s;
    return best;
}

} // namespace

std::int64_t pageCount(std::int64_t perPage, std::span<const std::int64_t> shownCounts)
{
    if (perPage <= 0 || shownCounts.empty())
        return 1;
    const std::int64_t n =
        std::max<std::int64_t>(0, *std::max_element(shownCounts.begin(), shownCounts.end()));
    return std::max<std::int64_t>(1, n / perPage + (n % perPage != 0));
}

std::int64_t clampPage(std::int64_t page, std::int64_t count)
{
    if (page > count)
        page = count;
    return std::max<std::int64_t>(1, page);
}

IndexRange pageRange(std::int64_t perPage, std::int64_t page, std::int64_t count)
{
    if (count <= 0)
        return {};
    if (perPage <= 0)
        return {0, count - 1};
    page = std::max<std::int64_t>(1, page);
    // A page number beyond what any count could reach is past the end either way; this keeps
    // the product below from overflowing.
    const std::int64_t maxPage = std::numeric_limits<std::int64_t>::max() / perPage;
    std::int64_t first = page - 1 >= maxPage ? count : perPage * (page - 1);
    if (first >= count)
        first = perPage * std::max<std::int64_t>(0, count / perPage - 1);
    std::int64_t last = first + perPage - 1;
    if (last >= count)
        last = first + count % perPage - 1;
    return {first, last};
}

IndexRange pagePointsOf(std::int64_t perPage, const IndexRange& page, std::int64_t count)
{
    if (page.empty() || count <= 0)
        return {};
    const std::int64_t end = perPage > 0 ? page.first + perPage - 1 : page.last;
    return {page.first, std::min(end, count - 1)};
}

std::optional<Extent> pageKeyExtent(std::int64_t perPage, const IndexRange& page,
                                    const std::function<double(std::int64_t)>& x)
{
    if (page.empty())
        return std::nullopt;
    const double first = x(page.first);
    double last = x(page.last);
    const std::int64_t d = page.size();
    if (perPage > 0 && d < perPage) {
        const double n = double(perPage);
        last = first == last ? first + n / double(d) : first + n * (last - first) / double(d);
    }
    return Extent{first, last};
}

std::optional<Extent> pageValueExtent(std::int64_t perPage, const IndexRange& page,
                                      std::span<const PagedSeries> shown)
{
    std::optional<Extent> extent;
    for (const PagedSeries& s : shown) {
        const IndexRange points = pagePointsOf(perPage, page, s.count);
        if (!points.empty())
            extent = unite(extent, s.yExtent(points.first, points.last));
    }
    return extent;
}

PageLayout layoutPage(std::int64_t perPage, std::int64_t page, std::span<const PagedSeries> shown)
{
    PageLayout layout;
    const PagedSeries* decider = largest(shown);
    if (!decider)
        return layout;
    perPage = std::max<std::int64_t>(0, perPage);
    layout.pageCount = pageCount(perPage, std::span(&decider->count, 1));
    layout.range = pageRange(perPage, page, decider->count);
    if (perPage > 0) {
        layout.keyExtent = pageKeyExtent(perPage, layout.range, decider->x);
        layout.valueExtent = pageValueExtent(perPage, layout.range, shown);
        return layout;
    }
    for (const PagedSeries& s : shown) {
        if (s.count <= 0)
            continue;
        layout.keyExtent = unite(layout.keyExtent, Extent{s.x(0), s.x(s.count - 1)});
        layout.valueExtent = unite(layout.valueExtent, s.yExtent(0, s.count - 1));
    }
    return layout;
}

} // namespace kx
