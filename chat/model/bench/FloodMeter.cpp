#include "FloodMeter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace ChatBench
{

namespace
{

// The largest flood line number kept track of.
constexpr long long kMaxLine = 10000000;

bool boReadNumber(const std::string& text, size_t& at, long long& value)
{
    const size_t start = at;
    value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 19)
        value = value * 10 + (text[at++] - '0');
    return at > start;
}

} // namespace

bool CFloodMeter::boOnText(const std::string& text, int64_t arrivedNs)
{
    const std::string word = "flood ";
    const size_t at0 = text.find(word);
    if (at0 == std::string::npos)
        return false;
    size_t at = at0 + word.size();
    long long line = 0, sent = 0;
    if (!boReadNumber(text, at, line) || at >= text.size() || text[at++] != ' ' ||
        !boReadNumber(text, at, sent))
        return false;
    if (line > kMaxLine)
        return false;
    if (static_cast<size_t>(line) >= m_seen.size())
        m_seen.resize(static_cast<size_t>(line) + 1, false);
    if (m_seen[static_cast<size_t>(line)])
        return false;
    m_seen[static_cast<size_t>(line)] = true;
    m_latencies.push_back(arrivedNs - sent);
    if (m_latencies.size() == 1 || sent < m_firstSent)
        m_firstSent = sent;
    m_lastArrived = std::max(m_lastArrived, arrivedNs);
    return true;
}

double Percentile(std::vector<int64_t> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    size_t rank = static_cast<size_t>(std::ceil(share * static_cast<double>(values.size())));
    rank = std::min(std::max<size_t>(rank, 1), values.size());
    return static_cast<double>(values[rank - 1]);
}

CFloodMeter::Figures CFloodMeter::Compute() const
{
    Figures f;
    f.lines = m_latencies.size();
    if (f.lines == 0)
        return f;
    const double span = static_cast<double>(m_lastArrived - m_firstSent) / 1e9;
    f.linesPerSecond = span > 0 ? static_cast<double>(f.lines) / span : 0;
    f.medianMs = Percentile(m_latencies, 0.5) / 1e6;
    f.p95Ms = Percentile(m_latencies, 0.95) / 1e6;
    return f;
}

std::string CFloodMeter::strFormat(const Figures& f)
{
    char buf[160];
    std::snprintf(buf, sizeof buf, "lines=%zu rate=%.1f median_ms=%.2f p95_ms=%.2f", f.lines,
                  f.linesPerSecond, f.medianMs, f.p95Ms);
    return buf;
}

bool CFloodMeter::boParse(const std::string& text, Figures& f)
{
    const size_t at = text.find("MEASURE ");
    if (at == std::string::npos)
        return false;
    unsigned long long lines = 0;
    double rate = 0, median = 0, p95 = 0;
    if (std::sscanf(text.c_str() + at, "MEASURE lines=%llu rate=%lf median_ms=%lf p95_ms=%lf", &lines, &rate,
                    &median, &p95) != 4)
        return false;
    f.lines = static_cast<size_t>(lines);
    f.linesPerSecond = rate;
    f.medianMs = median;
    f.p95Ms = p95;
    return true;
}

} // namespace ChatBench
