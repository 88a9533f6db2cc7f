// The tab order of a view and its frames: tab stops collected in document
// and frame order, then ordered by their TABORDER values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct HtmlTabStop
{
    void* element = nullptr; // the caller's element
    size_t index = 0;        // the caller's own index (collection order)
    int32_t order = -1;      // TABORDER, -1 when absent or negative
    bool focused = false;
};

// Stops with a TABORDER of 0 or more first, ascending, equal values in
// document order; the others after them in document order.
void HtmlSortTabStops(std::vector<HtmlTabStop>& stops);

// Index of the stop to focus next in the sorted list: the one after the
// focused stop (before it when backwards), wrapping; without a focused stop
// the first (the last when backwards). npos for an empty list.
size_t HtmlNextTabStop(const std::vector<HtmlTabStop>& stops, bool backwards);
