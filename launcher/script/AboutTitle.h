// The about box's animated title: the letters of a word spread apart and close
// up again in a loop; every second loop the word changes between the service's
// name and the box maker's, and with it the timer's period.
#pragma once

#include <cstdint>
#include <string>

class CAboutTitle
{
public:
    static constexpr uint32_t kServicePeriodMs = 25;
    static constexpr uint32_t kMakerPeriodMs = 60;

    struct STick
    {
        bool setTitle = false; // title holds the new window text
        std::string title;
        uint32_t restartMs = 0; // non-zero: restart the timer with this period
    };

    // One timer tick.
    STick Tick();
    const char* Word() const { return m_showsMaker ? "Bramwick" : "Zelto"; }

private:
    uint32_t m_ticks = 0;
    uint32_t m_loops = 0;
    bool m_centred = false;
    bool m_showsMaker = false;
};
