// One side's flood detector: messages that come too fast (frequency flood)
// and messages that repeat (repeat flood), each raising an alert that lasts a
// probation time growing by a factor each time it ends. Time comes from an
// injectable clock in whole seconds.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ChatModel
{

// Seconds since any fixed origin.
using ClockFn = std::function<int64_t()>;
// The system clock (time()).
int64_t llSystemSeconds();

class CFloodDetector
{
public:
    enum Alert
    {
        kNone = 0,
        kRepeat = 1,
        kFrequency = 2,
    };

    explicit CFloodDetector(const std::string& name = std::string(), ClockFn clock = ClockFn());

    const std::string& strName() const { return m_strName; }
    // Every parameter field, the smoothed interval and the exempt lists; the
    // state and the name stay.
    void vCopyParameters(const CFloodDetector& other);
    // 1: RPT_AUTOGRP, 2: FRQ_AUTOGRP, else empty.
    std::string strAutoGroup(int kind) const;
    // 1: RPT_NHB absent, 2: FRQ_NHB absent, else 0.
    int iNhbAbsent(int kind) const;

    void vOnMessage(const std::string& text);
    // kFrequency wins over kRepeat. The duration is the alert's probation;
    // the remaining milliseconds (never below 0) are set unless it is -1.
    int iAlertState(int32_t* duration, int32_t* remaining) const;
    // Consecutive repeated messages so far.
    int32_t iRepeatCount() const { return m_iRepeatCount; }

    // Texts similar enough to count as a repeat, with n dead characters.
    static bool boSimilar(const std::string& a, const std::string& b, int32_t n);

    // Parameters (CNF_FLOOD).
    int32_t iRptNbBackMess = 1;
    int32_t iRptDeadChars = 2;
    int32_t iRptMaxMess = 3;
    int32_t iFrqMinPeriod = 2000;
    int32_t iFrqEvalPeriod = 2000;
    double dFrqFilterWeight = 0.5;
    int32_t iRptProb = 1000;
    int32_t iFrqProb = 3000;
    double dRptMult = 2.0;
    double dFrqMult = 2.0;
    int32_t iSmoothed = 4000;
    bool boRptNhbAbsent = true;
    bool boFrqNhbAbsent = true;
    std::string strRptAutoGroup;
    std::string strFrqAutoGroup;
    std::vector<std::string> exemptGroups;
    std::vector<std::string> exemptUsers;

private:
    int64_t llNow() const;
    // A probation grown by its factor, held at the 32-bit maximum.
    static int32_t iGrow(int32_t prob, double mult);

    std::string m_strName;
    ClockFn m_clock;
    int32_t m_iRepeatCount = 0;
    std::vector<std::string> m_history; // newest first
    int64_t m_llLast = 0;
    int64_t m_llTooFastStart = 0;
    int64_t m_llFrqStart = 0;
    int64_t m_llRptStart = 0;
    bool m_boFrqAlert = false;
    bool m_boRptAlert = false;
};

} // namespace ChatModel
