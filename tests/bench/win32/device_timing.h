// What the Windows frame benchmarks share: the performance counter in milliseconds, and waiting
// until a device has drawn everything it was given.
#pragma once

#include <windows.h>

#include <d3d9.h>

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

}  // namespace vizo::bench
