#include "HtmlFrames.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <limits>

#include "HtmlText.h"

namespace
{
int32_t Clamp32(int64_t v)
{
    return int32_t(std::max<int64_t>(std::numeric_limits<int32_t>::min(),
                                     std::min<int64_t>(std::numeric_limits<int32_t>::max(), v)));
}

// Sizes of each column (measured on the first row) or of each row (measured
// on its first record), indexed by grid position.
std::vector<FrameSize> AxisSizes(const std::vector<FrameRecord>& records, bool rows)
{
    std::vector<FrameSize> sizes;
    std::vector<bool> seen;
    for (const FrameRecord& r : records)
    {
        const int32_t index = rows ? r.row : r.column;
        if (index < 0 || (!rows && r.row != 0))
            continue;
        if (size_t(index) >= sizes.size())
        {
            sizes.resize(size_t(index) + 1);
            seen.resize(size_t(index) + 1, false);
        }
        if (!seen[size_t(index)])
        {
            sizes[size_t(index)] = rows ? r.rowSize : r.columnSize;
            seen[size_t(index)] = true;
        }
    }
    return sizes;
}

} // namespace

uint32_t HtmlFrameScrollFlags(const std::string& scrolling, uint32_t defaultFlags, bool scrollLeft,
                              bool scrollTop)
{
    uint32_t flags = defaultFlags;
    const std::string value = HtmlUpper(scrolling);
    if (!value.empty())
    {
        if (value.find("YES") != std::string::npos)
            flags = kFrameScrollYes;
        else if (value.find("NO") != std::string::npos)
            flags = 0;
        else if (value.find("INVISIBLE") != std::string::npos)
            flags = kFrameScrollInvisible;
        else if (value[0] == '#')
            flags = uint32_t(HtmlAtoi(value.substr(1)));
        else
            flags = kFrameScrollAuto;
    }
    if (scrollLeft)
        flags |= kFrameScrollLeft;
    if (scrollTop)
        flags |= kFrameScrollTop;
    return flags;
}

std::vector<FrameSize> HtmlParseFrameSizes(const std::string& listText)
{
    std::string list = HtmlTrim(listText).empty() ? std::string("1") : listText;
    if (list.find_first_of("*%,") == std::string::npos)
    {
        // A count: below 1 it counts as 1.
        const int32_t n = std::max(1, HtmlAtoi(list));
        if (n < kFrameCountLimit)
        {
            list.clear();
            for (int32_t i = 0; i < n - 1; ++i)
                list += std::to_string(100 / n) + "%,";
            list += "*";
        }
    }
    std::vector<FrameSize> sizes;
    size_t start = 0;
    while (start <= list.size())
    {
        size_t end = list.find(',', start);
        if (end == std::string::npos)
            end = list.size();
        const std::string item = list.substr(start, end - start);
        FrameSize size;
        // A negative size reads as 0.
        size.value = std::max(0, HtmlAtoi(item));
        if (item.find('%') != std::string::npos)
            size.percent = 1;
        else if (item.find('*') != std::string::npos)
        {
            size.relative = 1;
            if (size.value == 0)
                size.value = 1;
        }
        else
            size.pixels = 1;
        sizes.push_back(size);
        start = end + 1;
    }

    int64_t percent = 0;
    int64_t pixels = 0;
    int32_t relatives = 0;
    int32_t percents = 0;
    int32_t pixelItems = 0;
    for (const FrameSize& s : sizes)
    {
        percent += s.percent ? s.value : 0;
        pixels += s.pixels ? s.value : 0;
        relatives += s.relative;
        percents += s.percent;
        pixelItems += s.pixels;
    }
    // Rescales skip a sum of 0: nothing to share, and no division by it.
    if (percent > 0 && (percent > 100 || relatives == 0))
    {
        for (FrameSize& s : sizes)
            if (s.percent)
                s.value = int32_t(int64_t(s.value) * 100 / percent);
    }
    if (relatives == 0 && percents == 0 && pixelItems > 0 && pixels > 0)
    {
        for (FrameSize& s : sizes)
        {
            s.value = int32_t(int64_t(s.value) * 100 / pixels);
            s.pixels = 0;
            s.percent = 1;
        }
    }
    return sizes;
}

std::vector<int32_t> HtmlLayoutFrameAxis(const std::vector<FrameSize>& sizes, int32_t length)
{
    std::vector<int32_t> out(sizes.size(), 0);
    const int64_t total = std::max<int32_t>(0, length);
    int64_t pixelTotal = 0;
    int64_t weights = 0;
    for (size_t i = 0; i < sizes.size(); ++i)
    {
        const int64_t v = std::max<int32_t>(0, sizes[i].value);
        if (sizes[i].percent)
            continue;
        if (sizes[i].relative)
            weights += v;
        else
        {
            out[i] = int32_t(v);
            pixelTotal += v;
        }
    }
    int64_t fixed = pixelTotal;
    const int64_t afterPixels = std::max<int64_t>(0, total - pixelTotal);
    for (size_t i = 0; i < sizes.size(); ++i)
    {
        if (!sizes[i].percent)
            continue;
        const int64_t v = std::max<int32_t>(0, sizes[i].value);
        out[i] = Clamp32(v * afterPixels / 100);
        fixed += out[i];
    }
    const int64_t rest = std::max<int64_t>(0, total - fixed);
    for (size_t i = 0; i < sizes.size(); ++i)
    {
        if (sizes[i].percent || !sizes[i].relative)
            continue;
        const int64_t v = std::max<int32_t>(0, sizes[i].value);
        out[i] = weights > 0 ? Clamp32(v * rest / weights) : 0;
    }
    return out;
}

std::vector<FramePlacement> HtmlLayoutFrames(const std::vector<FrameRecord>& records, int32_t width,
                                             int32_t height)
{
    const std::vector<int32_t> columns = HtmlLayoutFrameAxis(AxisSizes(records, false), width);
    const std::vector<int32_t> rows = HtmlLayoutFrameAxis(AxisSizes(records, true), height);
    std::vector<FramePlacement> out;
    out.reserve(records.size());
    int64_t x = 0;
    int64_t y = 0;
    int32_t currentRow = records.empty() ? 0 : records.front().row;
    int32_t previousHeight = 0;
    for (const FrameRecord& r : records)
    {
        if (r.row != currentRow)
        {
            x = 0;
            y += previousHeight;
            currentRow = r.row;
        }
        const int32_t w = r.column >= 0 && size_t(r.column) < columns.size() ? columns[size_t(r.column)] : 0;
        const int32_t h = r.row >= 0 && size_t(r.row) < rows.size() ? rows[size_t(r.row)] : 0;
        previousHeight = h;
        FramePlacement p;
        p.cell = {Clamp32(x), Clamp32(y), Clamp32(x + w), Clamp32(y + h)};
        p.inner = p.cell;
        const int32_t border = std::max(0, r.frameBorder);
        if (r.borderFlags[kFrameLeft])
            p.inner.left = Clamp32(int64_t(p.inner.left) + border);
        if (r.borderFlags[kFrameTop])
            p.inner.top = Clamp32(int64_t(p.inner.top) + border);
        if (r.borderFlags[kFrameRight])
            p.inner.right = Clamp32(int64_t(p.inner.right) - border);
        if (r.borderFlags[kFrameBottom])
            p.inner.bottom = Clamp32(int64_t(p.inner.bottom) - border);
        p.inner.right = std::max(p.inner.right, p.inner.left);
        p.inner.bottom = std::max(p.inner.bottom, p.inner.top);
        out.push_back(p);
        x += w;
    }
    return out;
}

int32_t HtmlFrameBorderWidth(int32_t border, const FrameBox& cell)
{
    return std::max(0, std::min({border, cell.Width() / 2, cell.Height() / 2}));
}

FrameBorderHit HtmlFrameBorderAt(const std::vector<FrameRecord>& records,
                                 const std::vector<FramePlacement>& placements, int32_t x, int32_t y)
{
    FrameBorderHit hit;
    int32_t lastColumn = 0;
    int32_t lastRow = 0;
    for (const FrameRecord& r : records)
    {
        lastColumn = std::max(lastColumn, r.column);
        lastRow = std::max(lastRow, r.row);
    }
    for (size_t i = 0; i < records.size() && i < placements.size(); ++i)
    {
        const FrameRecord& r = records[i];
        const FramePlacement& p = placements[i];
        if (!p.cell.Contains(x, y) || p.inner.Contains(x, y) || !r.resizable)
            continue;
        // The border strip lies on the side of the inner rectangle the point is on.
        if (x < p.inner.left && r.column > 0)
            hit.column = r.column - 1;
        else if (x >= p.inner.right && r.column < lastColumn)
            hit.column = r.column;
        if (y < p.inner.top && r.row > 0)
            hit.row = r.row - 1;
        else if (y >= p.inner.bottom && r.row < lastRow)
            hit.row = r.row;
        break;
    }
    // Limits and position of the border: from the cells on both sides.
    auto edges = [&](bool rows, int32_t index)
    {
        int32_t lo = -1;
        int32_t at = 0;
        int32_t hi = -1;
        for (size_t i = 0; i < records.size() && i < placements.size(); ++i)
        {
            const int32_t g = rows ? records[i].row : records[i].column;
            const FrameBox& c = placements[i].cell;
            if (g == index)
            {
                lo = rows ? c.top : c.left;
                at = rows ? c.bottom : c.right;
            }
            else if (g == index + 1)
                hi = rows ? c.bottom : c.right;
        }
        hit.minimum = lo;
        hit.maximum = hi;
        hit.position = at;
    };
    if (hit.column >= 0)
        edges(false, hit.column);
    else if (hit.row >= 0)
        edges(true, hit.row);
    return hit;
}

void HtmlResizeFrames(std::vector<FrameRecord>& records, const std::vector<FramePlacement>& placements,
                      bool rowBorder, int32_t index, int32_t position)
{
    // Current sizes in pixels, and where each column (row) starts and ends.
    std::vector<int32_t> start;
    std::vector<int32_t> end;
    for (size_t i = 0; i < records.size() && i < placements.size(); ++i)
    {
        const int32_t g = rowBorder ? records[i].row : records[i].column;
        if (g < 0)
            continue;
        if (size_t(g) >= start.size())
        {
            start.resize(size_t(g) + 1, -1);
            end.resize(size_t(g) + 1, -1);
        }
        if (start[size_t(g)] < 0)
        {
            const FrameBox& c = placements[i].cell;
            start[size_t(g)] = rowBorder ? c.top : c.left;
            end[size_t(g)] = rowBorder ? c.bottom : c.right;
        }
    }
    if (index < 0 || size_t(index) + 1 >= start.size())
        return;
    std::vector<FrameSize> sizes(start.size());
    for (size_t g = 0; g < sizes.size(); ++g)
    {
        sizes[g].pixels = 1;
        sizes[g].value = std::max(0, end[g] - start[g]);
    }
    const size_t a = size_t(index);
    position = std::max(start[a], std::min(position, end[a + 1]));
    sizes[a].value = std::max(0, position - start[a]);
    sizes[a + 1].value = std::max(0, end[a + 1] - position);
    FrameSize& last = sizes.back();
    last.pixels = 0;
    last.relative = 1;
    last.value = 1;
    for (FrameRecord& r : records)
    {
        const int32_t g = rowBorder ? r.row : r.column;
        if (g >= 0 && size_t(g) < sizes.size())
            (rowBorder ? r.rowSize : r.columnSize) = sizes[size_t(g)];
    }
}

std::string HtmlFrameSpaces(const std::string& source)
{
    std::string out;
    out.reserve(source.size());
    for (char c : source)
    {
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
        if (c == ' ' && !out.empty() && out.back() == ' ')
            continue;
        out += c;
    }
    return out;
}

std::string HtmlFrameAutoName()
{
    static std::atomic<long> next{0};
    char text[40];
    std::snprintf(text, sizeof text, "@AFNAME@%li", ++next);
    return text;
}
