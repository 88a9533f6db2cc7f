// Precompiled for the Windows tests: the Windows set and the test framework.
#include "FdWinPch.h"
#include <gmock/gmock.h>
#include <gtest/gtest.h>
