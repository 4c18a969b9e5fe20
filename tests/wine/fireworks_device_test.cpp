// Whole fireworks frames from the real device for a fixed seed, against the reference renderer
// driven by the same animation and camera; and the frame benchmark's constants, against those the
// real painter puts on the device.
#include <gtest/gtest.h>

#include "device_helpers.h"
#include "harness.h"

#include <d3d9.h>
#include <tlhelp32.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <optional>
#include <set>
#include <cmath>
#include <cstdio>
#include <vector>

#include "gfxutil/image.h"
#include "renderer/reference_frame.h"
#include "renderer/win32/ScreenMain.h"
#include "renderer/win32/hanabiPainter.h"
#include "tests/bench/frame_cpu_work.h"

namespace vizo::winetest {
namespace {

constexpr int Width = 320;
constexpr int Height = 240;
constexpr std::uint32_t Seed = 20261207;

std::set<DWORD> ThreadsOfThisProcess() {
  std::set<DWORD> threads;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) threads.insert(entry.th32ThreadID);
  }
  CloseHandle(snapshot);
  return threads;
}

// The painter's first call on its device (its quad's buffer, COM's 27th device method), where the
// thread preparing its images must have ended: Init takes what that thread made, not a half of it.
HANDLE g_imageThread = nullptr;
bool g_imagesDoneAtTheDevice = false;
using CreateVertexBufferMethod = HRESULT(WINAPI*)(IDirect3DDevice9*, UINT, DWORD, DWORD, D3DPOOL,
                                                  IDirect3DVertexBuffer9**, HANDLE*);
constexpr int CreateVertexBufferSlot = 26;
CreateVertexBufferMethod g_createVertexBuffer = nullptr;
HRESULT WINAPI CreateVertexBufferSeen(IDirect3DDevice9* device, UINT length, DWORD usage, DWORD format, D3DPOOL pool,
                                      IDirect3DVertexBuffer9** buffer, HANDLE* shared) {
  g_imagesDoneAtTheDevice = !g_imageThread || WaitForSingleObject(g_imageThread, 0) == WAIT_OBJECT_0;
  return g_createVertexBuffer(device, length, usage, format, pool, buffer, shared);
}
// Its class's method table entry replaced, then put back.
void ReplaceCreateVertexBuffer(IDirect3DDevice9* device, CreateVertexBufferMethod method) {
  void*& entry = (*reinterpret_cast<void***>(device))[CreateVertexBufferSlot];
  DWORD was = 0;
  VirtualProtect(&entry, sizeof entry, PAGE_READWRITE, &was);
  g_createVertexBuffer = g_createVertexBuffer ? g_createVertexBuffer : reinterpret_cast<CreateVertexBufferMethod>(entry);
  entry = reinterpret_cast<void*>(method);
  VirtualProtect(&entry, sizeof entry, was, &was);
}

// The saver's painter on a small windowed device, its textures from the saver's resources, its
// images prepared on their own thread first, as the saver does.
class FireworksFrames : public ::testing::Test {
 protected:
  void SetUp() override {
    saver = LoadLibraryExA(SaverPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(saver, nullptr);
    window =
        CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, Width, Height, nullptr, nullptr, nullptr, nullptr);
    direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(direct3d, nullptr);
    device = CreateWindowedDevice(direct3d, window, Width, Height);
    ASSERT_NE(device, nullptr);
    const std::set<DWORD> before = ThreadsOfThisProcess();
    painter.PrepareImages(saver);
    std::vector<DWORD> started;
    std::ranges::set_difference(ThreadsOfThisProcess(), before, std::back_inserter(started));
    ASSERT_LE(started.size(), 1u);  // the image thread, unless it is done already
    g_imageThread = started.empty() ? nullptr : OpenThread(SYNCHRONIZE, FALSE, started.front());
    g_imagesDoneAtTheDevice = false;
    ReplaceCreateVertexBuffer(device, CreateVertexBufferSeen);
    const HRESULT made = painter.Init(device, saver);
    ReplaceCreateVertexBuffer(device, g_createVertexBuffer);
    if (g_imageThread) CloseHandle(g_imageThread);
    ASSERT_TRUE(SUCCEEDED(made));
    ASSERT_NE(painter.effect, nullptr);
    EXPECT_TRUE(g_imagesDoneAtTheDevice) << "the painter touched its device while its images were being made";
  }
  void TearDown() override {
    painter.Release();
    if (device) device->Release();
    if (direct3d) direct3d->Release();
    DestroyWindow(window);
    FreeLibrary(saver);
  }

  HMODULE saver = nullptr;
  HWND window = nullptr;
  IDirect3D9* direct3d = nullptr;
  IDirect3DDevice9* device = nullptr;
  renderer::win32::HanabiPainter painter;
};

TEST_F(FireworksFrames, DeviceFramesMatchTheReferenceForAFixedSeed) {
  renderer::win32::PainterAnimation().SetSeed(Seed);

  const std::array<gfx::MipTexture, 7> textures = ReferenceTextures(saver);
  renderer::HanabiAnimation referenceAnimation([]() -> std::uint32_t { return 0; });
  referenceAnimation.SetSeed(Seed);

  renderer::OrbitCamera camera;
  camera.SetAspect(Width, Height);
  renderer::OrbitCamera referenceCamera = camera;

  struct Check {
    int frame;
    std::int32_t spacing;
  };
  const Check checks[] = {{1, 10}, {100, 10}, {1000, 10}, {1001, 1}, {1100, 1}};
  int frame = 0;
  for (const Check& check : checks) {
    while (frame < check.frame) {
      ++frame;
      const bool compare = frame == check.frame;
      renderer::OrbitStep() = frame - 1;
      camera.Update();
      device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
      device->BeginScene();
      painter.Begin(camera);
      for (int i = 0; i < 1000; ++i) painter.Draw(device, check.spacing, i);
      painter.End();
      device->EndScene();

      renderer::OrbitStep() = frame - 1;
      referenceCamera.Update();
      gfx::Image reference(Width, Height);
      renderer::DrawReferenceFrame(compare ? &reference : nullptr, referenceCamera, referenceAnimation, check.spacing,
                                   textures);
      if (!compare) continue;

      const gfx::Image drawn = ReadBackFrame(device, Width, Height);
      const FrameError error = CompareFrames(drawn, reference);
      int lit = 0;
      for (const auto p : drawn.pixels) lit += p != 0 ? 1 : 0;
      const std::string name = "fireworks-frame" + std::to_string(frame) + "-spacing" + std::to_string(check.spacing);
      std::printf("%s: mean error %.3f steps, %.3f%% of pixels off by more than 24, %d lit\n", name.c_str(), error.mean,
                  error.farShare * 100, lit);
      SaveArtifact({Width, Height, drawn.pixels}, name + "-device");
      SaveArtifact({Width, Height, reference.pixels}, name + "-reference");
      EXPECT_LT(error.mean, 1.5) << name;
      EXPECT_LT(error.farShare, 0.01) << name;
      EXPECT_GT(lit, 200) << name << ": hardly any fireworks";
    }
  }
}

// One frame over two views (the desktop's 1024 x 768 and another monitor's shape): each draw's
// constants in the benchmark are those the painter sets on the device for the same sprite and view.
TEST_F(FireworksFrames, TheFrameBenchmarkComputesThePaintersConstants) {
  // The lanes the programs read: vertex c0.x c1.x c5.x c6.xy c7.xy c8.x c9.x, pixel c0 c1.x.
  using Registers = std::array<float, 4>;
  using Lanes = std::array<float, 14>;
  const auto lanes = [](const Registers* vertex, const Registers* pixel) {
    return Lanes{vertex[0][0], vertex[1][0], vertex[5][0], vertex[6][0], vertex[6][1], vertex[7][0], vertex[7][1],
                 vertex[8][0], vertex[9][0], pixel[0][0],  pixel[0][1],  pixel[0][2],  pixel[0][3],  pixel[1][0]};
  };
  const std::int32_t step = renderer::OrbitStep();
  bench::FrameCpuWork work(1, 2);
  std::vector<Lanes> benchmark;
  work.Frame([&](const auto& vertex, const auto& pixel) {
    benchmark.push_back(lanes(vertex.registers.data(), pixel.registers.data()));
  });

  // The painter, with the same camera, the same animation and the same two views.
  renderer::OrbitStep() = step;
  renderer::OrbitCamera camera;
  camera.SetAspect(1024, 768);
  camera.Update();
  renderer::HanabiAnimation animation([]() -> std::uint32_t { return 0; });
  animation.SetSeed(bench::FrameCpuWork::Seed);
  std::vector<renderer::SpriteDraw> sprites;
  for (int i = 0; i < 1000; ++i) sprites.push_back(animation.Next(1, i));
  std::vector<Lanes> painted;
  ASSERT_TRUE(SUCCEEDED(device->BeginScene()));
  for (const renderer::OrbitCamera& view : {camera, camera.WithAspect(bench::FrameCpuWork::OtherMonitorsAspect)}) {
    painter.Begin(view);
    for (const renderer::SpriteDraw& sprite : sprites) {
      painter.Draw(device, sprite);
      std::array<Registers, 10> vertex{};
      std::array<Registers, 2> pixel{};
      device->GetVertexShaderConstantF(0, vertex[0].data(), 10);
      device->GetPixelShaderConstantF(0, pixel[0].data(), 2);
      painted.push_back(lanes(vertex.data(), pixel.data()));
    }
    painter.End();
  }
  device->EndScene();

  ASSERT_EQ(benchmark.size(), painted.size());
  for (std::size_t draw = 0; draw < painted.size(); ++draw) {
    for (std::size_t lane = 0; lane < painted[draw].size(); ++lane) {
      ASSERT_TRUE(std::isfinite(benchmark[draw][lane])) << "draw " << draw << ", lane " << lane;
      ASSERT_FLOAT_EQ(benchmark[draw][lane], painted[draw][lane]) << "draw " << draw << ", lane " << lane;
    }
  }
}

// However a painter ends without drawing (a failed device, the reports, a pane gone), the thread
// making its images has ended by then, and its images are freed: the process may end right after, and a thread ended with it
// may hold the heap's lock.
TEST(PainterImages, EveryEndOfAPainterWaitsForItsImageThread) {
  HMODULE saver = LoadLibraryExA(SaverPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(saver, nullptr);
  const struct {
    const char* end;
    void (*run)(std::optional<renderer::win32::HanabiPainter>&);
  } ends[] = {{"Release", [](auto& painter) { painter->Release(); }},
              {"DiscardImages", [](auto& painter) { painter->DiscardImages(); }},
              {"its destruction", [](auto& painter) { painter.reset(); }}};
  for (const auto& e : ends) {
    std::optional<renderer::win32::HanabiPainter> painter(std::in_place);
    const std::set<DWORD> before = ThreadsOfThisProcess();
    painter->PrepareImages(saver);
    std::vector<DWORD> started;
    std::ranges::set_difference(ThreadsOfThisProcess(), before, std::back_inserter(started));
    ASSERT_LE(started.size(), 1u) << e.end;  // none: the images were made already
    HANDLE thread = started.empty() ? nullptr : OpenThread(SYNCHRONIZE, FALSE, started.front());
    e.run(painter);
    if (thread) {
      EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0) << e.end;
      CloseHandle(thread);
    }
    // ... and what it made is gone.
    if (painter) {
      EXPECT_FALSE(painter->HoldsPreparedImages()) << e.end;
    }
  }
  FreeLibrary(saver);
}

// A pane with nothing to show starts no image thread, so that nothing in the window's creation
// waits for one; one with pixels starts it beside the device.
TEST(PainterImages, AnEmptyPaneStartsNoImageThread) {
  auto& owner = renderer::win32::TheScreenMain();
  HWND pane = CreatePreviewPane("ImagesPane", 100, 100);
  ASSERT_NE(pane, nullptr);
  const struct {
    int width, height;
    bool started;
  } cases[] = {{0, 0, false}, {152, 0, false}, {152, 112, true}};
  for (const auto& c : cases) {
    HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, c.width, c.height, pane, nullptr,
                                 nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    owner.InitDevice(child);
    EXPECT_EQ(owner.painter.PreparingImages(), c.started) << c.width << " x " << c.height;
    owner.End();
    EXPECT_FALSE(owner.painter.PreparingImages());
    DestroyWindow(child);
  }
  DestroyWindow(pane);
}

}  // namespace
}  // namespace vizo::winetest
