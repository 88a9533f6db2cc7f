// The manager's tick, without the thread and the window that drive it: the tray
// icon's animation, the engine step and the end requested by the script. Also
// the page's custom parameters ("cust...": name=value pairs in one value).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class CEngineTick
{
public:
    static constexpr uint32_t kFirstIcon = 220;
    static constexpr uint32_t kIconCount = 3;

    struct SAction
    {
        uint32_t icon = 0; // tray icon to show now, 0 for none
        bool step = false; // run one engine step
        bool quit = false; // stop ticking and end the launcher
    };

    SAction OnTick();
    void RequestEnd() { m_endRequested = true; }
    void SetQuitWhenEnded(bool quit) { m_quitWhenEnded = quit; }
    bool IsEndRequested() const { return m_endRequested; }

private:
    int32_t m_tickCount = 1;
    uint32_t m_iconPhase = 0;
    bool m_endRequested = false;
    bool m_quitWhenEnded = true;
};

// True for a parameter name that begins with the word "cust" (any case).
bool IsCustomParameter(const std::string& name);
// The name=value pairs of a custom parameter's value, in order.
std::vector<std::pair<std::string, std::string>> ParseCustomParameters(const std::string& value);
