#include "FloodDetector.h"

#include <cmath>
#include <ctime>
#include <limits>

namespace ChatModel
{

int64_t llSystemSeconds()
{
    return static_cast<int64_t>(std::time(nullptr));
}

CFloodDetector::CFloodDetector(const std::string& name, ClockFn clock)
    : m_strName(name), m_clock(clock ? std::move(clock) : ClockFn(llSystemSeconds))
{
    m_llLast = llNow();
}

int64_t CFloodDetector::llNow() const
{
    return m_clock();
}

void CFloodDetector::vCopyParameters(const CFloodDetector& o)
{
    iRptNbBackMess = o.iRptNbBackMess;
    iRptDeadChars = o.iRptDeadChars;
    iRptMaxMess = o.iRptMaxMess;
    iFrqMinPeriod = o.iFrqMinPeriod;
    iFrqEvalPeriod = o.iFrqEvalPeriod;
    dFrqFilterWeight = o.dFrqFilterWeight;
    iRptProb = o.iRptProb;
    iFrqProb = o.iFrqProb;
    dRptMult = o.dRptMult;
    dFrqMult = o.dFrqMult;
    iSmoothed = o.iSmoothed;
    boRptNhbAbsent = o.boRptNhbAbsent;
    boFrqNhbAbsent = o.boFrqNhbAbsent;
    strRptAutoGroup = o.strRptAutoGroup;
    strFrqAutoGroup = o.strFrqAutoGroup;
    exemptGroups = o.exemptGroups;
    exemptUsers = o.exemptUsers;
}

std::string CFloodDetector::strAutoGroup(int kind) const
{
    return kind == 1 ? strRptAutoGroup : kind == 2 ? strFrqAutoGroup : std::string();
}

int CFloodDetector::iNhbAbsent(int kind) const
{
    return kind == 1 ? (boRptNhbAbsent ? 1 : 0) : kind == 2 ? (boFrqNhbAbsent ? 1 : 0) : 0;
}

namespace
{

// A copy without the part up to its first '>' and from its last '<'.
std::string strStripTags(const std::string& text)
{
    std::string s = text;
    const size_t gt = s.find('>');
    if (gt != std::string::npos)
        s.erase(0, gt + 1);
    const size_t lt = s.rfind('<');
    if (lt != std::string::npos)
        s.erase(lt);
    return s;
}

int64_t llClamp32(int64_t v)
{
    if (v > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min())
        return std::numeric_limits<int32_t>::min();
    return v;
}

} // namespace

bool CFloodDetector::boSimilar(const std::string& a, const std::string& b, int32_t n)
{
    const int64_t twoN = 2 * static_cast<int64_t>(n);
    const int64_t la = static_cast<int64_t>(a.size());
    const int64_t lb = static_cast<int64_t>(b.size());
    const int64_t diff = la > lb ? la - lb : lb - la;
    if (diff > twoN || la <= twoN || lb <= twoN)
        return a == b && !a.empty();
    std::string x = strStripTags(a);
    std::string y = strStripTags(b);
    if (x.size() < y.size())
        std::swap(x, y);
    if (static_cast<int64_t>(x.size()) <= twoN || static_cast<int64_t>(y.size()) <= twoN)
        return x == y && !x.empty();
    x = x.substr(static_cast<size_t>(n), x.size() - static_cast<size_t>(twoN));
    y = y.substr(static_cast<size_t>(n), y.size() - static_cast<size_t>(twoN));
    return !x.empty() && !y.empty() && x.find(y) != std::string::npos;
}

int32_t CFloodDetector::iGrow(int32_t prob, double mult)
{
    const double grown = std::trunc(static_cast<double>(prob) * mult);
    if (!(grown < static_cast<double>(std::numeric_limits<int32_t>::max())))
        return std::numeric_limits<int32_t>::max();
    if (grown < static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(grown);
}

void CFloodDetector::vOnMessage(const std::string& text)
{
    const int64_t now = llNow();
    // Repeat test against the newest entries of the history.
    bool repeats = false;
    const size_t back = iRptNbBackMess > 0 ? static_cast<size_t>(iRptNbBackMess) : 0;
    for (size_t i = 0; i < m_history.size() && i < back && !repeats; ++i)
        repeats = boSimilar(m_history[i], text, iRptDeadChars);
    bool rptTrigger = false;
    if (repeats)
    {
        if (m_iRepeatCount < std::numeric_limits<int32_t>::max())
            ++m_iRepeatCount;
        rptTrigger = m_iRepeatCount >= iRptMaxMess;
    }
    else
        m_iRepeatCount = 0;

    const int64_t dt = llClamp32((now - m_llLast) * 1000);
    m_llLast = now;
    if (iSmoothed == -1)
        iSmoothed = static_cast<int32_t>(dt);
    else
        iSmoothed = static_cast<int32_t>(
            llClamp32(static_cast<int64_t>(std::trunc((1.0 - dFrqFilterWeight) * iSmoothed)) +
                      static_cast<int64_t>(std::trunc(dFrqFilterWeight * static_cast<double>(dt)))));

    bool frqTrigger = false;
    if (iSmoothed < iFrqMinPeriod)
    {
        if (m_llTooFastStart == 0)
            m_llTooFastStart = now;
        else if ((now - m_llTooFastStart) * 1000 > iFrqEvalPeriod)
            frqTrigger = true;
    }
    else
        m_llTooFastStart = 0;

    m_history.insert(m_history.begin(), text);
    while (m_history.size() > back)
        m_history.pop_back();

    if (frqTrigger)
    {
        m_boFrqAlert = true;
        m_llFrqStart = now;
    }
    else if (m_boFrqAlert && iFrqProb != -1 && (now - m_llFrqStart) * 1000 > iFrqProb)
    {
        m_boFrqAlert = false;
        if (dFrqMult > 0)
            iFrqProb = iGrow(iFrqProb, dFrqMult);
    }

    if (rptTrigger)
    {
        m_boRptAlert = true;
        m_llRptStart = now;
    }
    else if (m_boRptAlert && iRptProb != -1 && (now - m_llRptStart) * 1000 > iRptProb)
    {
        m_boRptAlert = false;
        m_iRepeatCount = 0;
        if (dRptMult > 0)
            iRptProb = iGrow(iRptProb, dRptMult);
    }
}

int CFloodDetector::iAlertState(int32_t* duration, int32_t* remaining) const
{
    int state = kNone;
    int32_t prob = 0;
    int64_t start = 0;
    if (m_boFrqAlert)
    {
        state = kFrequency;
        prob = iFrqProb;
        start = m_llFrqStart;
    }
    else if (m_boRptAlert)
    {
        state = kRepeat;
        prob = iRptProb;
        start = m_llRptStart;
    }
    if (state == kNone)
        return kNone;
    if (duration)
        *duration = prob;
    if (remaining && prob != -1)
    {
        const int64_t left = static_cast<int64_t>(prob) - (llNow() - start) * 1000;
        *remaining = static_cast<int32_t>(llClamp32(left < 0 ? 0 : left));
    }
    return state;
}

} // namespace ChatModel
