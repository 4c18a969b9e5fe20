#include "cameraObject.h"

#include "shell/win32/error_report_win32.h"

namespace vizo::renderer::win32 {

namespace {

const D3DMATRIX* AsD3D(const gfx::Matrix& m) { return reinterpret_cast<const D3DMATRIX*>(m.m.data()); }

}  // namespace

HRESULT ApplyCamera(IDirect3DDevice9* device, const OrbitCamera& camera, bool reportFailures) {
  static_assert(sizeof(gfx::Matrix) == sizeof(D3DMATRIX));
  const struct {
    D3DTRANSFORMSTATETYPE state;
    const gfx::Matrix& matrix;
    int reportLine;
  } transforms[] = {{D3DTS_PROJECTION, camera.projection, reports::cameraObject::NoProjection},
                    {D3DTS_VIEW, camera.view, reports::cameraObject::NoView},
                    {D3DTS_WORLD, camera.world, reports::cameraObject::NoWorld}};
  for (const auto& t : transforms) {
    if (FAILED(device->SetTransform(t.state, AsD3D(t.matrix)))) {
      if (reportFailures) vizo::win32::ReportError(__FILE__, t.reportLine);
      return E_FAIL;
    }
  }
  return S_OK;
}

}  // namespace vizo::renderer::win32
