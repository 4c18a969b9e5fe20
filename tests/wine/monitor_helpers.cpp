#include "monitor_helpers.h"

#include <vector>

namespace vizo::winetest {

namespace {

constexpr COLORREF White = 0xFFFFFF;

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoA(monitor, &info);
  auto& rects = *reinterpret_cast<std::vector<RECT>*>(list);
  rects.insert((info.dwFlags & MONITORINFOF_PRIMARY) ? rects.begin() : rects.end(), info.rcMonitor);
  return TRUE;
}

}  // namespace

Area MonitorArea(int index) {
  std::vector<RECT> monitors;
  EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
  const RECT r = monitors.at(static_cast<size_t>(index));
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return {r.left - left, r.top - top, r.right - r.left, r.bottom - r.top};
}

Counts CountPixels(const Screenshot& shot, const Area& area) {
  Counts counts;
  for (int y = area.top; y < area.top + area.height; ++y) {
    for (int x = area.left; x < area.left + area.width; ++x) {
      const std::uint32_t pixel = shot.At(x, y);
      if (pixel == 0) {
        ++counts.black;
      } else if (pixel == White) {
        ++counts.white;
      } else {
        ++counts.other;
      }
    }
  }
  return counts;
}

WhiteDesktop::WhiteDesktop() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = "WhiteDesktop";
  RegisterClassA(&windowClass);
  std::vector<RECT> monitors;
  EnumDisplayMonitors(nullptr, nullptr, CollectMonitor, reinterpret_cast<LPARAM>(&monitors));
  for (const RECT& m : monitors) {
    windows.push_back(CreateWindowExA(0, "WhiteDesktop", "", WS_POPUP | WS_VISIBLE, m.left, m.top, m.right - m.left,
                                      m.bottom - m.top, nullptr, nullptr, windowClass.hInstance, nullptr));
  }
}

WhiteDesktop::~WhiteDesktop() {
  for (HWND window : windows) DestroyWindow(window);
}

bool WhiteDesktop::ShowsOnEveryMonitor(DWORD timeoutMs) {
  return PumpUntil(
      [] {
        const Screenshot shot = CaptureScreen();
        for (int monitor = 0; monitor < GetSystemMetrics(SM_CMONITORS); ++monitor) {
          const Counts counts = CountPixels(shot, MonitorArea(monitor));
          if (counts.white != counts.Total()) return false;
        }
        return true;
      },
      timeoutMs, ScreenPollMs);
}

}  // namespace vizo::winetest
