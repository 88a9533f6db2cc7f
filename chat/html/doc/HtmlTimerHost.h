// One window timer shared by many elements: each registered record asks for
// an interval, the host runs at a base period that suits them all and calls
// each record every so many base periods.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CHtmlTimer
{
public:
    virtual ~CHtmlTimer() = default;
    virtual void OnTimer(uint32_t argument);

    uint32_t m_interval = 0; // milliseconds asked for
    uint32_t m_ticks = 0;    // base periods between two calls (0 counts as 1)
    uint32_t m_counter = 0;
};

class CHtmlTimerHost
{
public:
    // Bounds of the base period.
    static constexpr uint32_t kMaxBasePeriod = 64000;
    static constexpr uint32_t kZeroIntervalPeriod = 10;
    static constexpr uint32_t kMinHalvedPeriod = 5;

    virtual ~CHtmlTimerHost() = default;

    // Registers the record (a record already registered is updated, not added
    // twice) and restarts the timer at the new base period; Start's result.
    int32_t AddTimer(CHtmlTimer* record, uint32_t interval);
    // Forgets the record; stops the timer when none is left.
    void RemoveTimer(CHtmlTimer* record);
    // One base period elapsed. Records may add or remove records (themselves
    // included) from OnTimer: records removed meanwhile are not called.
    void OnTick(uint32_t argument);

    bool IsActive() const { return m_active; }
    size_t Count() const { return m_records.size(); }
    // Base period for these intervals, and the ticks each record gets.
    static uint32_t ComputeBasePeriod(const std::vector<uint32_t>& intervals);
    static uint32_t TicksFor(uint32_t interval, uint32_t basePeriod);

protected:
    // The window timer, which the view provides.
    virtual int32_t Start(uint32_t periodMs) = 0;
    virtual void Stop() = 0;

private:
    bool m_active = false;
    std::vector<CHtmlTimer*> m_records; // not owned
};
