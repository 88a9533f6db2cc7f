#include "HtmlTabOrder.h"

#include <algorithm>

void HtmlSortTabStops(std::vector<HtmlTabStop>& stops)
{
    std::stable_sort(stops.begin(), stops.end(),
                     [](const HtmlTabStop& a, const HtmlTabStop& b)
                     {
                         if (a.order < 0 || b.order < 0)
                             return a.order >= 0 && b.order < 0;
                         return a.order < b.order;
                     });
}

size_t HtmlNextTabStop(const std::vector<HtmlTabStop>& stops, bool backwards)
{
    if (stops.empty())
        return size_t(-1);
    const auto focused =
        std::find_if(stops.begin(), stops.end(), [](const HtmlTabStop& s) { return s.focused; });
    if (focused == stops.end())
        return backwards ? stops.size() - 1 : 0;
    const size_t at = size_t(focused - stops.begin());
    if (backwards)
        return at == 0 ? stops.size() - 1 : at - 1;
    return at + 1 == stops.size() ? 0 : at + 1;
}
