// The chat flood benchmark's measure: the flood lines ("flood <i> <send
// time in ns>") that have reached a receiver, each with the wall-clock time
// it arrived, and the figures drawn from them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ChatBench
{

class CFloodMeter
{
public:
    // One received text at that time (ns since 1970); false when it is no
    // flood line or its number was seen already.
    bool boOnText(const std::string& text, int64_t arrivedNs);
    size_t uCount() const { return m_latencies.size(); }

    struct Figures
    {
        size_t lines = 0;
        double linesPerSecond = 0; // lines over (last arrival - earliest send)
        double medianMs = 0, p95Ms = 0;
    };
    Figures Compute() const;
    // "lines=N rate=R median_ms=M p95_ms=P"
    static std::string strFormat(const Figures& f);
    // The figures of a "MEASURE ..." line in that format; false without one.
    static bool boParse(const std::string& text, Figures& f);

private:
    std::vector<int64_t> m_latencies; // ns
    std::vector<bool> m_seen;
    int64_t m_firstSent = 0, m_lastArrived = 0;
};

// The value below which that share (0..1) of the values lie (nearest rank).
double Percentile(std::vector<int64_t> values, double share);

} // namespace ChatBench
