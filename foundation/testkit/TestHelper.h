#pragma once
// Calling a test's void helper that checks things itself:
//   FD_HELPER(vExpectEnded(hub, page, true));
// its failures carry the caller's line (and the call), and the caller stops
// when the helper failed fatally (an ASSERT inside it only left the helper).
// A helper that gives back a value instead takes an SWhere (TestFiles.h) or
// returns a testing::AssertionResult that the caller checks.
#include <gtest/gtest.h>

#define FD_HELPER(call)                                                                                      \
    do                                                                                                       \
    {                                                                                                        \
        SCOPED_TRACE(#call);                                                                                 \
        ASSERT_NO_FATAL_FAILURE(call);                                                                       \
    } while (0)
