// The owners of GDI objects and memory device contexts, and the selection guard.
#include <gtest/gtest.h>

#include <utility>

#include "GdiObject.h"

using namespace FdWin;

namespace
{

// GetObjectType answers 0 once an object is deleted.
bool boExists(HGDIOBJ h)
{
    return GetObjectType(h) != 0;
}

HBITMAP hNewBitmap()
{
    return CreateBitmap(4, 4, 1, 1, nullptr);
}

} // namespace

TEST(GdiObject, DeletesWhatItOwnsAndNotWhatItGaveUp)
{
    HBITMAP raw = hNewBitmap();
    ASSERT_NE(raw, nullptr);
    {
        CGdiBitmap owner(raw);
        EXPECT_TRUE(static_cast<bool>(owner));
        EXPECT_TRUE(boExists(raw));
    }
    EXPECT_FALSE(boExists(raw));

    raw = hNewBitmap();
    {
        CGdiBitmap owner(raw);
        EXPECT_EQ(owner.hDetach(), raw);
        EXPECT_FALSE(static_cast<bool>(owner));
    }
    EXPECT_TRUE(boExists(raw));
    EXPECT_NE(DeleteObject(raw), FALSE);
}

TEST(GdiObject, MovesAttachesAndDeletesOnce)
{
    HBRUSH first = CreateSolidBrush(RGB(1, 2, 3));
    HBRUSH second = CreateSolidBrush(RGB(4, 5, 6));
    CGdiBrush a(first);
    CGdiBrush b(std::move(a));
    EXPECT_EQ(a.get(), nullptr);
    EXPECT_EQ(b.get(), first);
    // Attaching deletes what was held.
    b.vAttach(second);
    EXPECT_FALSE(boExists(first));
    EXPECT_EQ(b.get(), second);
    CGdiBrush c;
    c = std::move(b);
    EXPECT_EQ(c.get(), second);
    EXPECT_TRUE(c.boDelete());
    EXPECT_FALSE(boExists(second));
    // Empty: nothing to delete, and the owner stays empty.
    EXPECT_TRUE(c.boDelete());
    EXPECT_EQ(c.get(), nullptr);
}

TEST(GdiObject, MemoryDCAndSelection)
{
    HDC made = nullptr;
    {
        // Null: compatible with the screen.
        CMemoryDC dc(nullptr);
        ASSERT_NE(dc.get(), nullptr);
        made = dc.get();
        const HGDIOBJ before = GetCurrentObject(dc.get(), OBJ_BITMAP);
        CGdiBitmap bitmap(hNewBitmap());
        ASSERT_TRUE(static_cast<bool>(bitmap));
        {
            CGdiSelection select(dc.get(), bitmap.get());
            EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get());
        }
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BITMAP), before);
        // No longer selected: it deletes.
        EXPECT_TRUE(bitmap.boDelete());
    }
    EXPECT_EQ(GetObjectType(made), 0u);
}
