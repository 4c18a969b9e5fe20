// Seconds from the closing key to the saver's exit and to the desktop back on every monitor, for
// the real saver with AllMonitors off and on, and for a bare full-screen Direct3D program on the
// main monitor. Run it on the two-monitor server, e.g.
//   tests/wine/wine-run build/win32/wine-two-monitors-equal build/win32/bin/close_time_bench.exe [ROUNDS]
#include <windows.h>

#include <d3d9.h>

#include <cstdio>
#include <cstdlib>

#include "../../wine/harness.h"
#include "../../wine/monitor_helpers.h"
#include "tests/bench/win32/device_timing.h"

namespace vizo::winetest {
namespace {

struct Closing {
  double exited = 0;       // seconds to the end of the process (0 for the bare program)
  double desktopBack = 0;  // seconds to every monitor showing the desktop again
};

double SecondsSince(DWORD start) { return (GetTickCount() - start) / 1000.0; }

bool SaverCloses(bool allMonitors, Closing& closing) {
  RemoveSettings();
  if (allMonitors && !WriteFileBytes(SettingsPath(), "[main]\r\nAllMonitors=1\r\n")) return false;
  WhiteDesktop desktop;
  if (!WhiteDesktop::ShowsOnEveryMonitor()) return false;
  // The stand-in Direct3D logs the frames, to close once they show.
  D3d9Standin standIn;
  StandinLog frames("-close-time");
  Process saver(SaverPath(), "/s");
  if (!standIn.Installed() || !WaitForFullScreenSaver(saver) || !DrawingShows(frames)) return false;
  const DWORD start = GetTickCount();
  PressKey(VK_SPACE);
  if (!saver.WaitForExit(60000)) return false;
  closing.exited = SecondsSince(start);
  if (!WhiteDesktop::ShowsOnEveryMonitor(60000)) return false;
  closing.desktopBack = SecondsSince(start);
  RemoveSettings();
  return true;
}

// A window and a full-screen device on the main monitor, presented once, then let go.
bool BareProgramCloses(Closing& closing) {
  WhiteDesktop desktop;
  if (!WhiteDesktop::ShowsOnEveryMonitor()) return false;
  HWND window = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, nullptr, nullptr);
  IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
  D3DDISPLAYMODE mode{};
  if (!window || !direct3d || FAILED(direct3d->GetAdapterDisplayMode(0, &mode))) return false;
  D3DPRESENT_PARAMETERS parameters = vizo::bench::FullScreenParameters(window, mode);
  IDirect3DDevice9* device = nullptr;
  if (FAILED(direct3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &parameters,
                                    &device))) {
    return false;
  }
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  device->Present(nullptr, nullptr, nullptr, nullptr);
  PumpUntil([] { return false; }, 1000);
  const DWORD start = GetTickCount();
  device->Release();
  direct3d->Release();
  DestroyWindow(window);
  if (!WhiteDesktop::ShowsOnEveryMonitor(60000)) return false;
  closing.desktopBack = SecondsSince(start);
  return true;
}

}  // namespace
}  // namespace vizo::winetest

int main(int argc, char** argv) {
  using namespace vizo::winetest;
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
  if (GetSystemMetrics(SM_CMONITORS) > 1) {
    const Area secondary = MonitorArea(1);
    PlaceCursor(GetSystemMetrics(SM_XVIRTUALSCREEN) + secondary.left + secondary.width / 2,
                GetSystemMetrics(SM_YVIRTUALSCREEN) + secondary.top + secondary.height / 2);
  }
  for (int round = 0; round < rounds; ++round) {
    Closing off, on, bare;
    if (!SaverCloses(false, off) || !SaverCloses(true, on) || !BareProgramCloses(bare)) {
      std::printf("round %d: something did not come\n", round + 1);
      return 1;
    }
    std::printf(
        "round %d, %d monitors: AllMonitors off: exit %.2f s, desktop back %.2f s; on: exit %.2f s, desktop back "
        "%.2f s; bare full-screen program: desktop back %.2f s\n",
        round + 1, GetSystemMetrics(SM_CMONITORS), off.exited, off.desktopBack, on.exited, on.desktopBack,
        bare.desktopBack);
  }
  return 0;
}
