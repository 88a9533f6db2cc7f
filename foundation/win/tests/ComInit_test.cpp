// The initialisation guards undo only what succeeded.
#include <gtest/gtest.h>

#include <thread>

#include "ComInit.h"

using namespace FdWin;

namespace
{
// Runs f on a thread of its own: every case starts with COM not initialised.
template <class F> void vOnNewThread(F f)
{
    std::thread t(f);
    t.join();
}

// Whether the thread still has a single-threaded apartment: asking for the
// other kind then fails. A successful probe is undone at once.
bool boStillApartment()
{
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(hr))
        CoUninitialize();
    return hr == RPC_E_CHANGED_MODE;
}
} // namespace

TEST(ComInit, ASuccessIsUndoneOnce)
{
    vOnNewThread(
        []
        {
            {
                CComInit guard(COINIT_APARTMENTTHREADED);
                EXPECT_EQ(S_OK, guard.hr());
                EXPECT_TRUE(guard.boStarted());
                EXPECT_TRUE(boStillApartment());
            }
            EXPECT_FALSE(boStillApartment());
        });
}

TEST(ComInit, ANestedSuccessIsUndoneAndTheOuterOneStays)
{
    vOnNewThread(
        []
        {
            ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
            {
                CComInit guard(COINIT_APARTMENTTHREADED);
                EXPECT_EQ(S_FALSE, guard.hr());
                EXPECT_TRUE(guard.boStarted());
            }
            EXPECT_TRUE(boStillApartment());
            CoUninitialize();
            EXPECT_FALSE(boStillApartment());
        });
}

TEST(ComInit, AFailureIsNotUndone)
{
    vOnNewThread(
        []
        {
            ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
            {
                CComInit guard(COINIT_MULTITHREADED);
                EXPECT_EQ(RPC_E_CHANGED_MODE, guard.hr());
                EXPECT_FALSE(guard.boStarted());
            }
            // The thread's own initialisation is still there.
            EXPECT_TRUE(boStillApartment());
            CoUninitialize();
        });
}

TEST(OleInit, AFailureIsNotUndoneAndASuccessIs)
{
    vOnNewThread(
        []
        {
            // OLE needs a single-threaded apartment: it fails on a multithreaded one.
            ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_MULTITHREADED));
            {
                COleInit guard;
                EXPECT_FALSE(guard.boStarted());
                EXPECT_EQ(RPC_E_CHANGED_MODE, guard.hr());
            }
            // Still the multithreaded apartment: asking for it again succeeds with S_FALSE.
            const HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            EXPECT_EQ(S_FALSE, hr);
            if (SUCCEEDED(hr))
                CoUninitialize();
            CoUninitialize();
        });
    vOnNewThread(
        []
        {
            {
                COleInit guard;
                EXPECT_EQ(S_OK, guard.hr());
                EXPECT_TRUE(boStillApartment());
            }
            EXPECT_FALSE(boStillApartment());
        });
}
