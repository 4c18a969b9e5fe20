// What the Windows benchmarks share: the performance counter in milliseconds, waiting until a
// device has drawn everything it was given, a bare program's full-screen device, and the saver's
// frame drawn with its painter.
#pragma once

#include <windows.h>

#include <d3d9.h>

#include "renderer/win32/cameraObject.h"
#include "renderer/win32/hanabiPainter.h"

namespace vizo::bench {

inline double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline void Finish(IDirect3DDevice9* device) {
  IDirect3DQuery9* query = nullptr;
  if (device && SUCCEEDED(device->CreateQuery(D3DQUERYTYPE_EVENT, &query))) {
    query->Issue(D3DISSUE_END);
    while (query->GetData(nullptr, 0, D3DGETDATA_FLUSH) == S_FALSE) {
    }
    query->Release();
  }
}

// Full screen on the window, in the adapter's current mode.
inline D3DPRESENT_PARAMETERS FullScreenParameters(HWND window, const D3DDISPLAYMODE& mode) {
  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = mode.Width;
  parameters.BackBufferHeight = mode.Height;
  parameters.BackBufferFormat = mode.Format;
  parameters.BackBufferCount = 1;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.hDeviceWindow = window;
  parameters.FullScreen_RefreshRateInHz = mode.RefreshRate;
  return parameters;
}

// One frame as the saver draws it on the main monitor: the camera a step on, 1000 calls of the
// painter at the highest load.
inline void DrawPainterFrame(IDirect3DDevice9* device, renderer::OrbitCamera& camera,
                             renderer::win32::HanabiPainter& painter) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  device->BeginScene();
  camera.Update();
  renderer::win32::ApplyCamera(device, camera);
  painter.Begin(camera);
  for (int i = 0; i < 1000; ++i) painter.Draw(device, 1, i);
  painter.End();
  device->EndScene();
  device->Present(nullptr, nullptr, nullptr, nullptr);
}

}  // namespace vizo::bench
