#include "HostOptions.h"

namespace FdBrowserHost
{
namespace
{
// A decimal number of at most 10 digits within [lo, hi].
bool boNumber(const std::string& s, uint32_t lo, uint32_t hi, uint32_t* pValue)
{
    if (s.empty() || s.size() > 10)
        return false;
    uint64_t n = 0;
    for (char c : s)
    {
        if (c < '0' || c > '9')
            return false;
        n = n * 10 + static_cast<uint64_t>(c - '0');
    }
    if (n < lo || n > hi)
        return false;
    *pValue = static_cast<uint32_t>(n);
    return true;
}

// "WxH"
bool boSize(const std::string& s, uint32_t lo, uint32_t hi, uint32_t* pw, uint32_t* ph)
{
    const std::size_t x = s.find('x');
    return x != std::string::npos && boNumber(s.substr(0, x), lo, hi, pw) &&
           boNumber(s.substr(x + 1), lo, hi, ph);
}
} // namespace

uint32_t dwTypedKey(char c)
{
    if (c >= 'a' && c <= 'z')
        return static_cast<uint32_t>(c - 'a' + 'A');
    if ((c >= '0' && c <= '9') || c == ' ')
        return static_cast<uint32_t>(c);
    return 0;
}

bool boParseSteps(const std::string& text, std::vector<SStep>* pSteps, std::string* pError)
{
    std::vector<SStep> steps;
    std::size_t start = 0;
    while (start <= text.size())
    {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string item = text.substr(start, end - start);
        SStep step;
        if (item == "same")
            step.eKind = EStep::SameWindow;
        else if (item == "new")
            step.eKind = EStep::NewWindow;
        else if (item == "null")
            step.eKind = EStep::NullWindow;
        else if (item.compare(0, 7, "resize:") == 0)
        {
            step.eKind = EStep::Resize;
            if (!boSize(item.substr(7), 0, kMaxWindowSide, &step.a, &step.b))
            {
                *pError = "bad step: " + item;
                return false;
            }
        }
        else if (item.compare(0, 4, "key:") == 0 || item.compare(0, 9, "focuskey:") == 0)
        {
            const bool boFocus = item[0] == 'f';
            step.eKind = boFocus ? EStep::FocusKey : EStep::Key;
            if (!boNumber(item.substr(boFocus ? 9 : 4), 1, 255, &step.a))
            {
                *pError = "bad step: " + item;
                return false;
            }
        }
        else if (item.compare(0, 5, "type:") == 0)
        {
            step.eKind = EStep::Type;
            step.strText = item.substr(5);
            bool boOk = !step.strText.empty() && step.strText.size() <= kMaxTypedChars;
            for (char c : step.strText)
                boOk = boOk && dwTypedKey(c) != 0;
            if (!boOk)
            {
                *pError = "bad step (type: lower-case letters, digits and spaces): " + item;
                return false;
            }
        }
        else if (item.compare(0, 6, "await:") == 0)
        {
            step.eKind = EStep::Await;
            step.strText = item.substr(6);
            if (step.strText.empty() || step.strText.size() > kMaxAwaitPath)
            {
                *pError = "bad step: " + item;
                return false;
            }
        }
        else
        {
            *pError = "bad step: " + item;
            return false;
        }
        if (steps.size() >= kMaxSteps)
        {
            *pError = "too many steps";
            return false;
        }
        steps.push_back(step);
        start = end + 1;
    }
    *pSteps = std::move(steps);
    return true;
}

bool boParseHostOptions(const std::vector<std::string>& args, SHostOptions* pOptions, std::string* pError)
{
    SHostOptions o;
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h" || a == "/?")
        {
            o.boHelp = true;
            continue;
        }
        if (a == "--no-activex")
        {
            o.boNoActiveX = true;
            continue;
        }
        if (a == "--idle-despite-transfers")
        {
            o.boIdleDespiteTransfers = true;
            continue;
        }
        if (a.compare(0, 2, "--") != 0)
        {
            if (!o.strPage.empty())
            {
                *pError = "more than one page: " + a;
                return false;
            }
            o.strPage = a;
            continue;
        }
        if (i + 1 >= args.size())
        {
            *pError = "missing value after " + a;
            return false;
        }
        const std::string& v = args[++i];
        bool boOk = true;
        if (a == "--page")
        {
            boOk = o.strPage.empty() && !v.empty();
            o.strPage = v;
        }
        else if (a == "--log")
            o.strLog = v;
        else if (a == "--plugin")
            o.plugins.push_back(v);
        else if (a == "--np-version")
        {
            const std::size_t dot = v.find('.');
            uint32_t major = 0;
            uint32_t minor = 0;
            boOk = dot != std::string::npos && boNumber(v.substr(0, dot), 0, 255, &major) &&
                   boNumber(v.substr(dot + 1), 0, 255, &minor);
            o.wNpVersion = static_cast<uint16_t>(major << 8 | minor);
        }
        else if (a == "--quit-after-ms")
            boOk = boNumber(v, 1, kMaxSessionMs, &o.dwQuitAfterMs);
        else if (a == "--quit-when-idle")
            boOk = boNumber(v, 1, kMaxSessionMs, &o.dwQuitWhenIdleMs);
        else if (a == "--screenshot")
            o.strScreenshot = v;
        else if (a == "--size")
            boOk = boSize(v, kMinWindowSide, kMaxWindowSide, &o.dwWidth, &o.dwHeight);
        else if (a == "--steps")
        {
            if (!boParseSteps(v, &o.steps, pError))
                return false;
        }
        else
        {
            *pError = "unknown option " + a;
            return false;
        }
        if (!boOk)
        {
            *pError = "bad value for " + a + ": " + v;
            return false;
        }
    }
    if (o.strPage.empty() && !o.boHelp)
    {
        *pError = "no page given";
        return false;
    }
    *pOptions = std::move(o);
    return true;
}

std::string strHostUsage()
{
    return "BrowserHost [options] PAGE\n"
           "  --page URL|PATH       the page (an http address on loopback, a file address or a path)\n"
           "  --log FILE            the session log (else the variable FD_BROWSERHOST_LOG)\n"
           "  --plugin DLL          an NPAPI plug-in (repeatable; default: np*.dll beside the host)\n"
           "  --np-version M.m      browser version given to plug-ins (default 0.11)\n"
           "  --no-activex          skip OBJECT elements with a classid and use their content\n"
           "  --quit-after-ms N     end the session after N ms\n"
           "  --quit-when-idle N    end it once nothing happened for N ms and no transfer is open\n"
           "  --idle-despite-transfers  open transfers do not keep the session from being idle\n"
           "  --screenshot FILE     write a BMP of the window when the session ends\n"
           "  --size WxH            size of the window's client area (default 800x600)\n"
           "  --steps LIST          same,new,null,resize:WxH,key:VK: done to every plug-in in turn;\n"
           "                        focuskey:VK, type:TEXT: keys posted to the focused window;\n"
           "                        await:FILE: the next steps wait until FILE exists\n";
}
} // namespace FdBrowserHost
