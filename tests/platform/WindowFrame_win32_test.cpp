#include "platform/WindowFrame.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

using namespace tolvar::platform;

namespace {

// The command ids of the window's own system menu, top to bottom (0 for a separator).
std::vector<UINT> systemMenu(HWND window) {
    HMENU menu = GetSystemMenu(window, FALSE);
    std::vector<UINT> ids;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        ids.push_back(GetMenuItemID(menu, i));
    }
    return ids;
}

} // namespace

TEST(WindowFrameTest, TheSystemsMeasuresAreThoseOfARealFrame) {
    const auto metrics = systemFrameMetrics();
    ASSERT_TRUE(metrics);
    EXPECT_GT(metrics->captionHeight, metrics->frameThickness);
    EXPECT_GT(metrics->frameThickness, 0);
}

// On Windows the last two entries of a dialog's system menu are the close command and the
// separator above it; Wine puts "About Wine" and another separator below them.
TEST(WindowFrameTest, TheLastTwoEntriesLeaveOnlyThisWindowsSystemMenu) {
    const DWORD dialogFrame = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME;
    HWND box = CreateWindowExA(0, "STATIC", "box", dialogFrame, 0, 0, 200, 100, nullptr, nullptr,
                               nullptr, nullptr);
    HWND other = CreateWindowExA(0, "STATIC", "other", dialogFrame, 0, 0, 200, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(box, nullptr);
    ASSERT_NE(other, nullptr);
    std::vector<UINT> expected = systemMenu(box);
    ASSERT_GE(expected.size(), 3U);
    ASSERT_EQ(expected[expected.size() - 2], 0U) << "a separator above the last command";
    const bool closeIsLast = expected.back() == SC_CLOSE;
    expected.resize(expected.size() - 2);

    EXPECT_TRUE(removeCloseCommand(reinterpret_cast<NativeWindow>(box)));

    EXPECT_EQ(systemMenu(box), expected);
    if (closeIsLast) {
        EXPECT_EQ(GetMenuState(GetSystemMenu(box, FALSE), SC_CLOSE, MF_BYCOMMAND), ~0U);
    }
    EXPECT_EQ(systemMenu(other).size(), expected.size() + 2);
    DestroyWindow(other);
    DestroyWindow(box);
}
