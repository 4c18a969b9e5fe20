// The saver on a scaled display (150 %, 144 DPI), which it declares itself aware of: the settings
// dialog grows with the DPI and its texts still fit, and the full-screen window covers the monitor.
// Wine takes the DPI from the registry for each program it starts.
#include <gtest/gtest.h>

#include "harness.h"

namespace vizo::winetest {
namespace {

// The dialog's client size, and the labels and buttons whose text is wider than the control,
// measured in the dialog's own font: 9 points of "MS Shell Dlg", as the dialog manager makes it
// for the system's DPI.
struct DialogLayout {
  SIZE client{};
  std::vector<std::wstring> clipped;
};

DialogLayout MeasureDialog(HWND dialog, int dpi) {
  DialogLayout layout;
  RECT client{};
  GetClientRect(dialog, &client);
  layout.client = {client.right, client.bottom};
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = CreateFontW(-MulDiv(9, dpi, 72), 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"MS Shell Dlg");
  HGDIOBJ previous = SelectObject(dc, font);
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[32] = {};
    GetClassNameA(child, className, sizeof className);
    const std::wstring text = WindowText(child);
    if (text.empty() || (lstrcmpiA(className, "Static") != 0 && lstrcmpiA(className, "Button") != 0)) continue;
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    RECT r{};
    GetClientRect(child, &r);
    if (extent.cx > r.right) layout.clipped.push_back(text);
  }
  SelectObject(dc, previous);
  DeleteObject(font);
  DeleteDC(dc);
  return layout;
}

TEST(ScaledDisplay, TheDialogGrowsWithTheDpiClipsNoTextAndTheSaverStillCoversTheMonitor) {
  // Wine's stand-in for the Japanese UI font is the monospaced IPA Gothic, wider than the system's
  // own: its proportional sibling is closer to what a Japanese Windows shows.
  ScopedRegistryValue proportional("Software\\Wine\\Fonts\\Replacements", "MS UI Gothic", "IPAPGothic");
  std::vector<DialogLayout> layouts;
  for (const int dpi : {96, 144}) {
    SCOPED_TRACE(dpi);
    ScopedRegistryValue logPixels("Control Panel\\Desktop", "LogPixels", static_cast<DWORD>(dpi));
    Process settings(SaverPath(), "/c");
    HWND dialog = WaitForDialog(settings);
    ASSERT_TRUE(Drain(dialog));
    layouts.push_back(MeasureDialog(dialog, dpi));
    EXPECT_EQ(layouts.back().clipped, std::vector<std::wstring>{});
    PostMessageA(GetDlgItem(dialog, 1016), BM_CLICK, 0, 0);  // Cancel
    EXPECT_EQ(settings.WaitForExit(), 1016u);

    Process saver(SaverPath(), "/s");
    HWND window = WaitForFullScreenSaver(saver);
    ASSERT_NE(window, nullptr);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT covered{};
    GetWindowRect(window, &covered);
    EXPECT_TRUE(EqualRect(&covered, &monitor.rcMonitor));
    PressKey(VK_SPACE);
    EXPECT_EQ(saver.WaitForExit(), 0u);
  }
  // Half as large again, give or take a pixel of rounding per dialog unit.
  EXPECT_GE(layouts[1].client.cx * 2, layouts[0].client.cx * 3 - 4);
  EXPECT_GE(layouts[1].client.cy * 2, layouts[0].client.cy * 3 - 4);
}

}  // namespace
}  // namespace vizo::winetest
