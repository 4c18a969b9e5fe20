// Seconds from starting the process to its window on the screen and to the first fireworks there,
// for the real saver (/s) and for a minimal program doing the same work (a full-screen window and
// device at the desktop's mode, the saver's 7 textures and effect through its painter, the sprites
// drawn frame after frame), taking turns; prints each round and the ratio of the best times.
//   tests/wine/wine-run build/win32/wine build/win32/bin/startup_bench.exe [ROUNDS]
// The minimal program is this one, started with --minimal SAVER.
#include <windows.h>

#include <d3d9.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "../../wine/harness.h"
#include "tests/bench/win32/device_timing.h"

namespace {

using vizo::winetest::Process;

LRESULT CALLBACK MinimalWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE || message == WM_KEYDOWN) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// The minimal program: what the saver must do before its first fireworks, and nothing else.
int Minimal(const char* saverPath) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = MinimalWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "MinimalFireworks";
  if (!RegisterClassA(&windowClass)) return 1;
  HWND window = CreateWindowExA(WS_EX_TOPMOST, "MinimalFireworks", "", WS_POPUP | WS_VISIBLE, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                windowClass.hInstance, nullptr);
  HMODULE saver = LoadLibraryExA(saverPath, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  IDirect3D9* direct3d = Direct3DCreate9(D3D_SDK_VERSION);
  D3DDISPLAYMODE mode{};
  if (!window || !saver || !direct3d || FAILED(direct3d->GetAdapterDisplayMode(0, &mode))) return 1;
  D3DPRESENT_PARAMETERS parameters = vizo::bench::FullScreenParameters(window, mode);
  parameters.EnableAutoDepthStencil = TRUE;
  parameters.AutoDepthStencilFormat = D3DFMT_D16;
  IDirect3DDevice9* device = nullptr;
  if (FAILED(direct3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters,
                                    &device))) {
    return 1;
  }
  vizo::renderer::win32::HanabiPainter painter;
  if (FAILED(painter.Init(device, saver))) return 1;
  vizo::renderer::OrbitCamera camera;
  camera.SetAspect(static_cast<std::int32_t>(mode.Width), static_cast<std::int32_t>(mode.Height));
  for (MSG message{};;) {
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        painter.Release();
        device->Release();
        direct3d->Release();
        return 0;
      }
      DispatchMessageA(&message);
    }
    vizo::bench::DrawPainterFrame(device, camera, painter);
  }
}

double Seconds(const LARGE_INTEGER& from) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return vizo::bench::Milliseconds(from, now) / 1000;
}

BOOL CALLBACK FindShownWindow(HWND window, LPARAM found) {
  auto* search = reinterpret_cast<std::pair<DWORD, HWND>*>(found);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  RECT r{};
  if (process != search->first || !IsWindowVisible(window) || !GetWindowRect(window, &r) ||
      r.right - r.left < GetSystemMetrics(SM_CXSCREEN)) {
    return TRUE;
  }
  search->second = window;
  return FALSE;
}

struct Start {
  double window = 0;     // its full-screen window shown
  double fireworks = 0;  // over 500 lit pixels on the screen
};

// Starts the program and watches; closes it once the fireworks show.
bool Measure(const std::string& program, const std::string& arguments, Start& start) {
  LARGE_INTEGER begun;
  QueryPerformanceCounter(&begun);
  Process process(program, arguments);
  std::pair<DWORD, HWND> search{process.Id(), nullptr};
  const bool shown = vizo::winetest::PumpUntil(
      [&] {
        if (!search.second) {
          EnumWindows(FindShownWindow, reinterpret_cast<LPARAM>(&search));
          if (search.second) start.window = Seconds(begun);
        }
        if (!search.second) return false;
        const vizo::winetest::Screenshot shot = vizo::winetest::CaptureScreen();
        const auto lit = std::count_if(shot.pixels.begin(), shot.pixels.end(), [](std::uint32_t p) { return p != 0; });
        return lit > 500 && lit < static_cast<long>(shot.pixels.size()) / 2;
      },
      60000, 1);
  start.fireworks = Seconds(begun);
  if (search.second) PostMessageA(search.second, WM_CLOSE, 0, 0);
  return shown && process.WaitForExit(30000).has_value();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--minimal") == 0) return Minimal(argv[2]);
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const std::string saver = vizo::winetest::SaverPath();
  vizo::winetest::RemoveSettings();  // the desktop's own mode: no switch for either
  Start bestSaver{1e9, 1e9}, bestMinimal{1e9, 1e9};
  for (int round = 1; round <= rounds; ++round) {
    Start s, m;
    if (!Measure(saver, "/s", s) || !Measure(self, "--minimal \"" + saver + "\"", m)) {
      std::printf("round %d: a program did not show its fireworks, or did not end\n", round);
      return 1;
    }
    std::printf("round %d: saver window %.2f s, fireworks %.2f s; minimal window %.2f s, fireworks %.2f s\n", round,
                s.window, s.fireworks, m.window, m.fireworks);
    bestSaver = {std::min(bestSaver.window, s.window), std::min(bestSaver.fireworks, s.fireworks)};
    bestMinimal = {std::min(bestMinimal.window, m.window), std::min(bestMinimal.fireworks, m.fireworks)};
  }
  std::printf("best of %d: saver %.2f s, minimal %.2f s to the first fireworks: saver / minimal %.2f\n", rounds,
              bestSaver.fireworks, bestMinimal.fireworks, bestSaver.fireworks / bestMinimal.fireworks);
  return 0;
}
