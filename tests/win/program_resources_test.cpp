// The program's own resources, linked into this test as into the program: the toolbar
// strips, the key-emulation panels, the icon groups and the accelerator tables.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>
#include <vector>

#include "command_ids.h"
#include "key_emulation_res.h"
#include "program_res.h"

namespace zv::wintest {
namespace {

HINSTANCE self() { return GetModuleHandleA(nullptr); }

TEST(ProgramResources, ToolbarStripsHoldTheirImagesAsPaletteBitmaps) {
    struct Strip {
        int id;
        int images;
    };
    for (const Strip strip : {Strip{IDB_MAIN_TOOLBAR, MAIN_TOOLBAR_IMAGE_COUNT},
                              Strip{IDB_SETUP_TOOLBAR, SETUP_TOOLBAR_IMAGE_COUNT}}) {
        SCOPED_TRACE(strip.id);
        // As a DIB section the bitmap keeps its stored format: the toolbar maps the colours
        // of a palette bitmap only.
        HBITMAP bitmap = static_cast<HBITMAP>(
            LoadImageA(self(), MAKEINTRESOURCEA(strip.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_NE(bitmap, nullptr);
        DIBSECTION dib{};
        ASSERT_EQ(GetObjectA(bitmap, sizeof dib, &dib), static_cast<int>(sizeof dib));
        EXPECT_EQ(dib.dsBm.bmWidth, strip.images * TOOLBAR_IMAGE_WIDTH);
        EXPECT_EQ(dib.dsBm.bmHeight, TOOLBAR_IMAGE_HEIGHT);
        EXPECT_EQ(dib.dsBm.bmBitsPixel, 8);

        // The button face grey stands for "transparent": the corners of the first image.
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        EXPECT_EQ(GetPixel(dc, 0, TOOLBAR_IMAGE_HEIGHT - 1), RGB(192, 192, 192));
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
}

TEST(ProgramResources, KeyPanelsAreSixteenColourBitmapsOfTheirSizes) {
    struct Panel {
        int id, width, height;
    };
    for (const Panel panel : {Panel{IDB_KEY_PANEL_AN1, KEY_PANEL_WIDTH, KEY_PANEL_HEIGHT},
                              Panel{IDB_KEY_SPRITES_AN1, KEY_SPRITES_AN1_WIDTH, KEY_SPRITES_AN1_HEIGHT},
                              Panel{IDB_KEY_PANEL_AN2, KEY_PANEL_WIDTH, KEY_PANEL_HEIGHT},
                              Panel{IDB_KEY_SPRITES_AN2, KEY_SPRITES_AN2_WIDTH, KEY_SPRITES_AN2_HEIGHT}}) {
        SCOPED_TRACE(panel.id);
        // The panel loads them device-dependent; the stored depth shows in a DIB section.
        HBITMAP loaded = LoadBitmapA(self(), MAKEINTRESOURCEA(panel.id));
        ASSERT_NE(loaded, nullptr);
        BITMAP bm{};
        ASSERT_EQ(GetObjectA(loaded, sizeof bm, &bm), static_cast<int>(sizeof bm));
        EXPECT_EQ(bm.bmWidth, panel.width);
        EXPECT_EQ(bm.bmHeight, panel.height);
        DeleteObject(loaded);

        HBITMAP dib = static_cast<HBITMAP>(
            LoadImageA(self(), MAKEINTRESOURCEA(panel.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_NE(dib, nullptr);
        DIBSECTION section{};
        ASSERT_EQ(GetObjectA(dib, sizeof section, &section), static_cast<int>(sizeof section));
        EXPECT_EQ(section.dsBm.bmBitsPixel, 4);
        DeleteObject(dib);
    }
}

TEST(ProgramResources, IconGroupsHoldSmallAndLargeImages) {
    for (const int id : {IDI_PROGRAM, IDI_KEY_EMULATION}) {
        SCOPED_TRACE(id);
        HRSRC group = FindResourceA(self(), MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
        ASSERT_NE(group, nullptr);
        const auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(self(), group)));
        ASSERT_NE(dir, nullptr);
        // Group header: reserved, type 1, count; then 14-byte entries starting with width, height.
        const int count = dir[4] | (dir[5] << 8);
        std::set<int> sizes;
        for (int i = 0; i < count; ++i) {
            const BYTE* entry = dir + 6 + 14 * i;
            EXPECT_EQ(entry[0], entry[1]);
            EXPECT_EQ(entry[6] | (entry[7] << 8), 32);  // bits per pixel
            sizes.insert(entry[0]);
        }
        EXPECT_EQ(sizes, (std::set<int>{16, 32}));

        for (const int size : {16, 32}) {
            HICON icon = static_cast<HICON>(LoadImageA(self(), MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0));
            ASSERT_NE(icon, nullptr) << size;
            ICONINFO info{};
            ASSERT_TRUE(GetIconInfo(icon, &info));
            BITMAP colour{};
            GetObjectA(info.hbmColor, sizeof colour, &colour);
            EXPECT_EQ(colour.bmWidth, size);
            EXPECT_EQ(colour.bmHeight, size);
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            DestroyIcon(icon);
        }
    }
}

using AccelKey = std::tuple<BYTE, WORD, WORD>;  // modifiers (with FVIRTKEY), key, command

std::set<AccelKey> acceleratorKeys(int id) {
    std::set<AccelKey> keys;
    HACCEL table = LoadAcceleratorsA(self(), MAKEINTRESOURCEA(id));
    if (table == nullptr) return keys;
    std::vector<ACCEL> entries(static_cast<size_t>(CopyAcceleratorTableA(table, nullptr, 0)));
    CopyAcceleratorTableA(table, entries.data(), static_cast<int>(entries.size()));
    for (const auto& e : entries) keys.insert({static_cast<BYTE>(e.fVirt & ~FNOINVERT), e.key, e.cmd});
    DestroyAcceleratorTable(table);
    return keys;
}

TEST(ProgramResources, AcceleratorTableHoldsTheMainWindowKeys) {
    const std::set<AccelKey> main{
        {FVIRTKEY | FCONTROL, 'O', IDM_OPEN_DATA_FILE},
        {FVIRTKEY | FCONTROL, 'R', IDM_UPLOAD_BUFFER},
        {FVIRTKEY | FCONTROL, 'S', IDM_SAVE_DATA_FILE_AS},
        {FVIRTKEY | FSHIFT, VK_F5, IDM_CONNECT},
        {FVIRTKEY | FSHIFT, VK_F6, IDM_DISCONNECT},
        {FVIRTKEY | FSHIFT, VK_F7, IDM_PREFERENCES},
        {FVIRTKEY, VK_F8, IDM_KEY_EMULATION},
        {FVIRTKEY, VK_F9, IDM_BATCH_CONVERSION},
    };
    EXPECT_EQ(acceleratorKeys(IDR_MAIN_ACCELERATORS), main);
}

TEST(ProgramResources, KeyEmulationAcceleratorsCopyAndSaveThePicture) {
    const std::set<AccelKey> keyEmulation{
        {FVIRTKEY | FCONTROL, 'C', IDM_KEYEMU_COPY_PICTURE},
        {FVIRTKEY | FCONTROL, 'S', IDM_KEYEMU_SAVE_PICTURE},
    };
    EXPECT_EQ(acceleratorKeys(IDR_KEY_EMULATION_ACCELERATORS), keyEmulation);
}

}  // namespace
}  // namespace zv::wintest
