// The NPAPI structures must have the interface's own layout in both
// Windows builds: plug-ins and browsers compiled elsewhere read them.
#include "NpApi.h"

#include <cstddef>

#include <gtest/gtest.h>

namespace
{
constexpr bool k64 = sizeof(void*) == 8;
constexpr std::size_t P = sizeof(void*);
// After the two 16-bit fields, the first pointer sits at the pointer's alignment.
constexpr std::size_t kFirstEntry = k64 ? 8 : 4;
} // namespace

static_assert(sizeof(NPError) == 2 && sizeof(NPReason) == 2 && sizeof(NPBool) == 1, "basic types");
static_assert(sizeof(NPP_t) == 2 * P, "NPP_t");
static_assert(offsetof(NPStream, url) == 2 * P, "NPStream::url");
static_assert(offsetof(NPStream, end) == 3 * P, "NPStream::end");
static_assert(offsetof(NPStream, lastmodified) == 3 * P + 4, "NPStream::lastmodified");
static_assert(offsetof(NPStream, notifyData) == 3 * P + 8, "NPStream::notifyData");
static_assert(offsetof(NPStream, headers) == 4 * P + 8, "NPStream::headers");
static_assert(sizeof(NPStream) == (k64 ? 48 : 28), "NPStream");
static_assert(offsetof(NPWindow, x) == P, "NPWindow::x");
static_assert(offsetof(NPWindow, clipRect) == P + 16, "NPWindow::clipRect");
static_assert(offsetof(NPWindow, type) == P + 24, "NPWindow::type");
static_assert(sizeof(NPWindow) == (k64 ? 40 : 32), "NPWindow");
static_assert(sizeof(NPRect) == 8, "NPRect");
static_assert(sizeof(NPSavedData) == 2 * P, "NPSavedData");
static_assert(offsetof(NPPluginFuncs, newp) == kFirstEntry, "NPPluginFuncs::newp");
static_assert(offsetof(NPPluginFuncs, urlnotify) == kFirstEntry + 10 * P, "NPPluginFuncs::urlnotify");
static_assert(offsetof(NPPluginFuncs, javaClass) == kFirstEntry + 11 * P, "NPPluginFuncs::javaClass");
static_assert(sizeof(NPPluginFuncs) == (k64 ? 120 : 60), "NPPluginFuncs: 14 entries");
static_assert(offsetof(NPNetscapeFuncs, geturl) == kFirstEntry, "NPNetscapeFuncs::geturl");
static_assert(offsetof(NPNetscapeFuncs, memalloc) == kFirstEntry + 8 * P, "NPNetscapeFuncs::memalloc");
static_assert(offsetof(NPNetscapeFuncs, geturlnotify) == kFirstEntry + 14 * P,
              "NPNetscapeFuncs::geturlnotify");
static_assert(offsetof(NPNetscapeFuncs, forceredraw) == kFirstEntry + 20 * P, "NPNetscapeFuncs::forceredraw");
static_assert(sizeof(NPNetscapeFuncs) == (k64 ? 176 : 88), "NPNetscapeFuncs: 21 entries");

TEST(NpApiLayout, VersionsAndCodes)
{
    EXPECT_EQ(9, NPVERS_HAS_NOTIFICATION);
    EXPECT_EQ(8, NPVERS_HAS_STREAMOUTPUT);
    EXPECT_EQ(3, NPERR_INVALID_FUNCTABLE_ERROR);
    EXPECT_EQ(8, NPERR_INCOMPATIBLE_VERSION_ERROR);
    EXPECT_EQ(1, NPRES_NETWORK_ERR);
    EXPECT_EQ(2, NPRES_USER_BREAK);
    EXPECT_EQ(0x7FFFFFFF, NP_MAXREADY);
}
