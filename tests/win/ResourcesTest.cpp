#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "resources/resource.h"

// The resources of Vellumar.scr, as the program file that links them carries them (the
// version block and the dialog templates are read from Vellumar.scr itself: tests/pe).

namespace {

std::string RawResource(const char* type, int id)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (!found)
        return {};
    HGLOBAL loaded = LoadResource(module, found);
    const auto* bytes = static_cast<const char*>(LockResource(loaded));
    return bytes ? std::string(bytes, SizeofResource(module, found)) : std::string();
}

}  // namespace

TEST(Resources, StringsNameTheSaver)
{
    char text[64] = {};
    ASSERT_GT(LoadStringA(GetModuleHandleA(nullptr), IDS_DESCRIPTION, text, sizeof text), 0);
    EXPECT_STREQ("3D Vellumar ScreenSaver", text);
    ASSERT_GT(LoadStringA(GetModuleHandleA(nullptr), IDS_PRODUCT_NAME, text, sizeof text), 0);
    EXPECT_STREQ("3D Vellumar ScreenSaver", text);
}

TEST(Resources, CursorShowsNothing)
{
    HCURSOR cursor = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_TRANSPARENT));
    ASSERT_NE(nullptr, cursor);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(0u, info.xHotspot);
    EXPECT_EQ(0u, info.yHotspot);
    EXPECT_EQ(nullptr, info.hbmColor);  // monochrome: the mask holds AND over XOR
    BITMAP mask{};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    ASSERT_EQ(32, mask.bmWidth);
    ASSERT_EQ(64, mask.bmHeight);
    std::vector<unsigned char> bits(static_cast<size_t>(mask.bmWidthBytes * mask.bmHeight));
    ASSERT_EQ(static_cast<LONG>(bits.size()), GetBitmapBits(info.hbmMask, static_cast<LONG>(bits.size()), bits.data()));
    const size_t half = bits.size() / 2;
    for (size_t i = 0; i < half; ++i) {
        EXPECT_EQ(0xFF, bits[i]) << "AND byte " << i;
        EXPECT_EQ(0x00, bits[half + i]) << "XOR byte " << i;
    }
    DeleteObject(info.hbmMask);
}

TEST(Resources, PreviewBitmapIs156By117With256Colours)
{
    const std::string raw = RawResource(MAKEINTRESOURCEA(2) /* RT_BITMAP */, IDB_PREVIEW);
    ASSERT_GE(raw.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, raw.data(), sizeof header);
    EXPECT_EQ(156, header.biWidth);
    EXPECT_EQ(117, header.biHeight);
    EXPECT_EQ(8, header.biBitCount);
    EXPECT_EQ(256u, header.biClrUsed);
    EXPECT_EQ(sizeof header + 256 * 4 + 156 * 117, raw.size());
}

TEST(Resources, IconHas32And16PixelImagesOf16Colours)
{
    const std::string group = RawResource(MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */, IDI_VELLUMAR);
    ASSERT_GE(group.size(), 6u + 2 * 14u);
    ASSERT_EQ(2, static_cast<unsigned char>(group[4]));
    for (int i = 0; i < 2; ++i) {
        const unsigned char* entry = reinterpret_cast<const unsigned char*>(group.data()) + 6 + 14 * i;
        EXPECT_EQ(i == 0 ? 32 : 16, entry[0]);
        EXPECT_EQ(i == 0 ? 32 : 16, entry[1]);
        EXPECT_EQ(16, entry[2]);              // colour count
        EXPECT_EQ(4, entry[6] | entry[7] << 8);  // bits per pixel
    }
    for (int size : {32, 16}) {
        HANDLE icon = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VELLUMAR), IMAGE_ICON, size, size, 0);
        EXPECT_NE(nullptr, icon) << size;
        if (icon)
            DestroyIcon(static_cast<HICON>(icon));
    }
}
