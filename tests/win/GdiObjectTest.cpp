#include <gtest/gtest.h>

#include "GdiTestSupport.h"
#include "framework/CBitmap.h"
#include "framework/CPalette.h"

namespace {

HBITMAP NewBitmap()
{
    return MakeBitmap(4, 4, std::vector<uint32_t>(16));
}

} // namespace

TEST(GdiObject, ManagedObjectDeletesItsHandleAndWhatItReplaces)
{
    HBITMAP first = NewBitmap();
    HBITMAP second = NewBitmap();
    ASSERT_TRUE(first && second);
    {
        CBitmap bitmap;
        EXPECT_TRUE(bitmap.IsManaged());
        EXPECT_EQ(nullptr, bitmap.GetSafeHandle());
        EXPECT_TRUE(bitmap.Attach(first));
        EXPECT_EQ(first, bitmap.GetSafeHandle());
        EXPECT_TRUE(bitmap.Attach(second));
        EXPECT_FALSE(IsLiveGdiObject(first)) << "the replaced handle is deleted";
        EXPECT_TRUE(bitmap.Attach(second)) << "attaching the same handle again keeps it";
        EXPECT_TRUE(IsLiveGdiObject(second));
    }
    EXPECT_FALSE(IsLiveGdiObject(second));
}

TEST(GdiObject, DetachGivesTheHandleUpWithoutDeletingIt)
{
    HBITMAP handle = NewBitmap();
    {
        CBitmap bitmap;
        bitmap.Attach(handle);
        EXPECT_EQ(handle, bitmap.Detach());
        EXPECT_TRUE(bitmap.IsEmpty());
        EXPECT_EQ(nullptr, bitmap.Detach());
    }
    EXPECT_TRUE(IsLiveGdiObject(handle));
    ::DeleteObject(handle);
}

TEST(GdiObject, BorrowedObjectLeavesTheHandleToItsOwner)
{
    HBITMAP handle = NewBitmap();
    {
        CBitmap view(handle, CGdiObject::Ownership::Borrowed);
        EXPECT_FALSE(view.IsManaged());
        EXPECT_EQ(handle, view.GetSafeHandle());
        HBITMAP other = NewBitmap();
        view.Attach(other); // a view lets go of the old handle without deleting it
        EXPECT_TRUE(IsLiveGdiObject(handle));
        EXPECT_TRUE(view.DeleteObject()) << "an explicit delete deletes even a borrowed handle";
        EXPECT_FALSE(IsLiveGdiObject(other));
        view.Attach(handle);
    }
    EXPECT_TRUE(IsLiveGdiObject(handle));
    ::DeleteObject(handle);
}

TEST(GdiObject, EmptyAndNullCases)
{
    CBitmap bitmap;
    EXPECT_FALSE(bitmap.Attach(nullptr));
    EXPECT_FALSE(bitmap.DeleteObject());
    BITMAP description;
    EXPECT_FALSE(bitmap.GetBitmap(&description));

    HDC screen = ::GetDC(nullptr);
    EXPECT_TRUE(bitmap.CreateCompatibleBitmap(screen, 8, 3));
    ASSERT_TRUE(bitmap.GetBitmap(&description));
    EXPECT_EQ(8, description.bmWidth);
    EXPECT_EQ(3, description.bmHeight);
    HBITMAP made = bitmap;
    // A failed creation deletes what was held and leaves the object empty.
    EXPECT_FALSE(bitmap.CreateCompatibleBitmap(nullptr, 8, 3));
    EXPECT_TRUE(bitmap.IsEmpty());
    EXPECT_FALSE(IsLiveGdiObject(made));
    EXPECT_TRUE(bitmap.CreateDiscardableBitmap(screen, 5, 6));
    EXPECT_EQ(5, BitmapSize(bitmap).cx);
    ::ReleaseDC(nullptr, screen);

    // Palettes with entries are made in the surface tests.
    CPalette palette;
    EXPECT_EQ(0, palette.GetEntryCount());
    PALETTEENTRY entries[3] = {};
    EXPECT_EQ(0, palette.GetPaletteEntries(-1, 3, entries));
    EXPECT_FALSE(palette.CreatePalette(nullptr));
    EXPECT_TRUE(palette.IsEmpty());
}
