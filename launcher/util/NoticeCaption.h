// Caption animation of the notice dialog: the service name whose letters spread apart
// and close up again, one step per timer tick.
#pragma once

#include <cstdint>
#include <string>

class CNoticeCaption
{
public:
    static constexpr uint32_t kPeriod = 82;     // ticks of one full swing
    static constexpr uint32_t kHalfPeriod = 41; // the indent flag flips here

    // Advances one tick; returns the spread n (0 = letters adjacent, up to 41).
    uint32_t Tick();
    // Caption for the current state: with the indent flag (41 - n) * 2 blanks, then
    // the letters of "Zelto" with n blanks between successive letters.
    std::string Caption() const;
    uint32_t Spread() const { return m_nSpread; }
    bool Indented() const { return m_boIndent; }
    uint32_t Counter() const { return m_nCounter; }

private:
    uint32_t m_nCounter = 0;
    bool m_boIndent = false;
    uint32_t m_nSpread = 0;
};
