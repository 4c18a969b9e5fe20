// Stands in for d3d9.dll in the system folder: forwards to Wine's own Direct3D 9 (kept there as
// d3d9_wine.dll) and fails on command, for the fault cases of the saver. VIZO_D3D9_FAULT names the
// fault, and may add the words below; what happened goes to VIZO_STANDIN_LOG. With VIZO_D3D9_ADAPTER
// set to a number, the fault hits only that adapter's devices.
//   device        every device creation is refused
//   windowed      every windowed device creation (the preview's) is refused
//   full-screen   every full-screen device creation is refused, as Remote Desktop, a virtual
//                 machine's basic display driver or a screen another program holds refuse them
//   windowed-after-pane  the same, but only once the device window's parent (the preview's pane) is
//                 gone: creation waits for that, up to 20 s, taking the messages sent to it
//   hal-hw        creating a HAL device with hardware vertex processing is refused
//   texture       every texture creation fails
//   vertex-buffer every vertex buffer creation fails
//   lost          after 10 presents the device is lost for 10 status checks, then needs a reset
//   reset-fails   after 10 presents the device needs a reset; the first 3 are refused
//   present-fault the 10th present raises an access violation
//   create-fault  the first device creation raises an access violation
// Words that go with any fault:
//   windows-rules  what Windows enforces and Wine doesn't: a full-screen creation on the same
//                 Direct3D object and focus window leaves every earlier full-screen device needing
//                 a reset (Present answers D3DERR_DEVICELOST, TestCooperativeLevel
//                 D3DERR_DEVICENOTRESET, until it is reset); a Reset
//                 while a default-pool resource of the device lives, and a full-screen refresh rate
//                 the adapter doesn't list at that size, are refused
//   adapter-monitor N M  adapter N shows adapter M's monitor: it answers that monitor's handle
//                 (GetAdapterMonitor), and its devices are made on adapter M
//   remote-session  the program's GetSystemMetrics(SM_REMOTESESSION) answers 1, as in a Remote
//                 Desktop session
//   slow-images   the program's own thread (the one making its images) waits at its first resource
//                 until a crash has come, and a second more, so that the crash finds it working
//   image-crash   the program's own thread crashes at its first resource
// The program's own thread is logged as it ends normally ("process: image thread ended"); a process
// ended at once (TerminateProcess) ends it without that line. A thread of the program that waits for
// itself is logged too ("process: a thread waits for itself"): it would only ever time out.
// The stand-in also brings the display's state notices into the program, which Wine never sends
// (standins/display_notices.cpp).
// A windowed device's creation is logged as "create windowed ...".
// Whatever the fault, the log also shows each frame presented ("present adapter N"), the primary's
// mode as each device goes (a full-screen
// device should go before the program puts the desktop's mode back), and each mode the program
// itself sets through ChangeDisplaySettingsA, with the fields it names.
// Only the few methods a fault needs are replaced, in the real objects' own method tables, patched
// in place: an implementation's objects keep their tables (some call their own later methods, beyond
// the plain interface's, through them), and every object of a class sees the stand-in.
#define CINTERFACE
#include <d3d9.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "display_notices.h"
#include "program_import.h"
#include "standin_log.h"

namespace {

enum class Fault {
  None,
  Device,
  Windowed,
  FullScreen,
  WindowedAfterPane,
  HalHardware,
  Texture,
  VertexBuffer,
  Lost,
  ResetFails,
  PresentFault,
  CreateFault
};
enum class Phase { Normal, Lost, NeedsReset };

// The frames each step of a loss lasts: presents before it, status checks while lost, presents after
// the reset before the log says the device draws again.
constexpr int FaultFrames = 10;

Fault g_fault = Fault::None;
int g_adapter = -1;  // the adapter the fault hits; -1: every one
bool g_windowsRules = false;
bool g_remoteSession = false;
bool g_slowImages = false;
bool g_imageCrash = false;
int g_monitorOf[2] = {-1, -1};  // adapter-monitor: adapter [0] answers adapter [1]'s monitor

// What windows-rules keeps of each device and resource.
struct DeviceRecord {
  IDirect3DDevice9* device;
  IDirect3D9* direct3d;
  HWND focus;
  UINT adapter;
  bool fullScreen;
  bool needsReset;
};
std::vector<DeviceRecord> g_devices;
struct DefaultPoolResource {
  IUnknown* resource;
  IDirect3DDevice9* device;
};
std::vector<DefaultPoolResource> g_defaultPool;
Phase g_phase = Phase::Normal;
int g_presents = 0;
int g_statusChecks = 0;  // since the loss
int g_resetsRefused = 0;
int g_presentsSinceReset = -1;  // -1: no reset yet

// The real methods, taken from the tables before they were patched. (Every object of a class shares
// its table; the saver makes objects of one class of each.)
IDirect3D9Vtbl g_realDirect3DMethods;
IDirect3D9Vtbl* g_patchedDirect3D = nullptr;
IDirect3DDevice9Vtbl g_realDeviceMethods;
IDirect3DDevice9Vtbl* g_patchedDevice = nullptr;
IDirect3DVertexBuffer9Vtbl g_realBufferMethods;
IDirect3DVertexBuffer9Vtbl* g_patchedBuffer = nullptr;
IDirect3DTexture9Vtbl g_realTextureMethods;
IDirect3DTexture9Vtbl* g_patchedTexture = nullptr;
const IDirect3DDevice9Vtbl* g_realDevice = &g_realDeviceMethods;
const IDirect3D9Vtbl* g_realDirect3D = &g_realDirect3DMethods;

Fault FaultNamed(const char* name) {
  const struct {
    const char* name;
    Fault fault;
  } faults[] = {{"device", Fault::Device},
                {"windowed", Fault::Windowed},
                {"full-screen", Fault::FullScreen},
                {"windowed-after-pane", Fault::WindowedAfterPane},
                {"hal-hw", Fault::HalHardware},
                {"texture", Fault::Texture},
                {"vertex-buffer", Fault::VertexBuffer},
                {"lost", Fault::Lost},
                {"reset-fails", Fault::ResetFails},
                {"present-fault", Fault::PresentFault},
                {"create-fault", Fault::CreateFault}};
  for (const auto& f : faults) {
    if (std::strcmp(name, f.name) == 0) return f.fault;
  }
  return Fault::None;
}

// The fault, and the words that go with it.
Fault FaultFromEnvironment() {
  char text[128] = {};
  GetEnvironmentVariableA("VIZO_D3D9_FAULT", text, sizeof text);
  std::istringstream words(text);
  Fault found = Fault::None;
  for (std::string word; words >> word;) {
    if (word == "windows-rules") {
      g_windowsRules = true;
    } else if (word == "remote-session") {
      g_remoteSession = true;
    } else if (word == "slow-images") {
      g_slowImages = true;
    } else if (word == "image-crash") {
      g_imageCrash = true;
    } else if (word == "adapter-monitor") {
      words >> g_monitorOf[0] >> g_monitorOf[1];
    } else {
      found = FaultNamed(word.c_str());
    }
  }
  return found;
}

HANDLE g_crashed = nullptr;  // set as a crash is raised
DWORD g_mainThread = 0;       // the thread that first asked for Direct3D

// A driver's crash, as the program would meet it inside a call.
void RaiseFault(const char* where) {
  StandinLog("crash in %s", where);
  if (g_crashed) SetEvent(g_crashed);
  RaiseException(EXCEPTION_ACCESS_VIOLATION, 0, 0, nullptr);
}

DeviceRecord* RecordOf(IDirect3DDevice9* device) {
  const auto found =
      std::find_if(g_devices.begin(), g_devices.end(), [device](const DeviceRecord& r) { return r.device == device; });
  return found == g_devices.end() ? nullptr : &*found;
}

bool NeedsResetByRule(IDirect3DDevice9* device) {
  const DeviceRecord* record = RecordOf(device);
  return record && record->needsReset;
}

// Whether the adapter lists a full-screen mode of this size and rate (0: any rate).
bool ListsMode(IDirect3D9* direct3d, UINT adapter, const D3DPRESENT_PARAMETERS& p) {
  const UINT count = g_realDirect3D->GetAdapterModeCount(direct3d, adapter, p.BackBufferFormat);
  for (UINT i = 0; i < count; ++i) {
    D3DDISPLAYMODE mode{};
    if (SUCCEEDED(g_realDirect3D->EnumAdapterModes(direct3d, adapter, p.BackBufferFormat, i, &mode)) &&
        mode.Width == p.BackBufferWidth && mode.Height == p.BackBufferHeight &&
        (p.FullScreen_RefreshRateInHz == 0 || mode.RefreshRate == p.FullScreen_RefreshRateInHz)) {
      return true;
    }
  }
  return false;
}

bool RateRefused(IDirect3D9* direct3d, UINT adapter, const D3DPRESENT_PARAMETERS& p) {
  if (!g_windowsRules || p.Windowed || p.FullScreen_RefreshRateInHz == 0 || ListsMode(direct3d, adapter, p)) return false;
  StandinLog("adapter %u: %ux%u at %u Hz refused: not listed", adapter, p.BackBufferWidth, p.BackBufferHeight,
             p.FullScreen_RefreshRateInHz);
  return true;
}

// A full-screen device was made: those made before on the same object and focus window lose their
// surfaces.
void LoseEarlierDevices(const DeviceRecord& made) {
  for (DeviceRecord& earlier : g_devices) {
    if (earlier.device == made.device || !earlier.fullScreen || earlier.needsReset ||
        earlier.direct3d != made.direct3d || earlier.focus != made.focus) {
      continue;
    }
    earlier.needsReset = true;
    StandinLog("adapter %u needs a reset", earlier.adapter);
  }
}

template <typename Vtbl, typename Object>
ULONG ReleaseTracked(const Vtbl& real, Object* object) {
  const ULONG left = real.Release(object);
  if (left == 0) {
    std::erase_if(g_defaultPool, [object](const DefaultPoolResource& r) {
      return r.resource == reinterpret_cast<IUnknown*>(object);
    });
  }
  return left;
}
ULONG WINAPI ReleaseBuffer(IDirect3DVertexBuffer9* buffer) { return ReleaseTracked(g_realBufferMethods, buffer); }
ULONG WINAPI ReleaseTexture(IDirect3DTexture9* texture) { return ReleaseTracked(g_realTextureMethods, texture); }

// A default-pool resource is kept until its last release (its class's Release patched on first use).
template <typename Object, typename Vtbl, typename ReleaseFn>
void KeepDefaultPool(Object* object, IDirect3DDevice9* device, Vtbl*& patched, Vtbl& real, ReleaseFn release) {
  if (!patched) {
    patched = object->lpVtbl;
    real = *patched;
    PatchWord(patched->Release, release);
  }
  g_defaultPool.push_back({reinterpret_cast<IUnknown*>(object), device});
}

// The primary's mode, as "1024 x 768".
std::string PrimaryMode() {
  DEVMODEA mode{};
  mode.dmSize = sizeof mode;
  if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return "an unreadable mode";
  return std::to_string(mode.dmPelsWidth) + " x " + std::to_string(mode.dmPelsHeight);
}

ULONG WINAPI ReleaseDevice(IDirect3DDevice9* device) {
  D3DDEVICE_CREATION_PARAMETERS created{};
  const bool known = SUCCEEDED(g_realDevice->GetCreationParameters(device, &created));
  const std::string mode = PrimaryMode();  // before the release, which may put another back
  const ULONG left = g_realDevice->Release(device);
  if (left == 0) {
    std::erase_if(g_devices, [device](const DeviceRecord& r) { return r.device == device; });
    if (known) StandinLog("adapter %u: released in %s", created.AdapterOrdinal, mode.c_str());
  }
  return left;
}

using GetSystemMetricsFn = int(WINAPI*)(int);
GetSystemMetricsFn g_realGetSystemMetrics = nullptr;

int WINAPI GetSystemMetricsAsAsked(int index) {
  if (index == SM_REMOTESESSION && g_remoteSession) return 1;
  return g_realGetSystemMetrics(index);
}

using ChangeDisplaySettingsFn = LONG(WINAPI*)(DEVMODEA*, DWORD);
ChangeDisplaySettingsFn g_realChangeDisplaySettings = nullptr;

LONG WINAPI ChangeDisplaySettingsLogged(DEVMODEA* mode, DWORD flags) {
  if (!mode) {
    StandinLog("mode set: the kept one");
  } else {
    std::string fields;
    const struct {
      DWORD field;
      const char* name;
    } names[] = {{DM_PELSWIDTH, " width"},
                 {DM_PELSHEIGHT, " height"},
                 {DM_BITSPERPEL, " bits"},
                 {DM_DISPLAYFREQUENCY, " frequency"}};
    DWORD others = mode->dmFields;
    for (const auto& n : names) {
      if (mode->dmFields & n.field) fields += n.name;
      others &= ~n.field;
    }
    if (others) fields += " and others";
    StandinLog("mode set: %lu x %lu, fields%s", mode->dmPelsWidth, mode->dmPelsHeight, fields.c_str());
  }
  return g_realChangeDisplaySettings(mode, flags);
}

HMONITOR WINAPI GetAdapterMonitor(IDirect3D9* direct3d, UINT adapter) {
  if (g_monitorOf[0] >= 0 && adapter == static_cast<UINT>(g_monitorOf[0])) {
    adapter = static_cast<UINT>(g_monitorOf[1]);
  }
  return g_realDirect3D->GetAdapterMonitor(direct3d, adapter);
}

int AdapterFromEnvironment() {
  char number[16] = {};
  if (!GetEnvironmentVariableA("VIZO_D3D9_ADAPTER", number, sizeof number)) return -1;
  return std::atoi(number);
}

bool Hits(UINT adapter) { return g_adapter < 0 || static_cast<UINT>(g_adapter) == adapter; }

// Whether the fault hits this device: one of the chosen adapter's.
bool Hits(IDirect3DDevice9* device) {
  if (g_adapter < 0) return true;
  D3DDEVICE_CREATION_PARAMETERS created{};
  return SUCCEEDED(g_realDevice->GetCreationParameters(device, &created)) && Hits(created.AdapterOrdinal);
}

HRESULT WINAPI TestCooperativeLevel(IDirect3DDevice9* device) {
  if (NeedsResetByRule(device)) return D3DERR_DEVICENOTRESET;
  if (g_phase == Phase::Normal || !Hits(device)) return g_realDevice->TestCooperativeLevel(device);
  ++g_statusChecks;
  if (g_phase == Phase::Lost && g_statusChecks >= FaultFrames) g_phase = Phase::NeedsReset;
  return g_phase == Phase::Lost ? D3DERR_DEVICELOST : D3DERR_DEVICENOTRESET;
}

// Each frame that reached the screen's queue, by adapter: a test waits for frames, not for moments.
HRESULT LoggedPresent(IDirect3DDevice9* device, const RECT* source, const RECT* target, HWND window,
                      const RGNDATA* dirty) {
  const HRESULT result = g_realDevice->Present(device, source, target, window, dirty);
  D3DDEVICE_CREATION_PARAMETERS created{};
  if (SUCCEEDED(result) && SUCCEEDED(g_realDevice->GetCreationParameters(device, &created))) {
    StandinLog("present adapter %u", created.AdapterOrdinal);
  }
  return result;
}

HRESULT WINAPI Present(IDirect3DDevice9* device, const RECT* source, const RECT* target, HWND window,
                       const RGNDATA* dirty) {
  if (NeedsResetByRule(device)) return D3DERR_DEVICELOST;
  if (!Hits(device)) return LoggedPresent(device, source, target, window, dirty);
  if (g_phase != Phase::Normal) return D3DERR_DEVICELOST;
  if (g_fault == Fault::PresentFault && g_presents + 1 == FaultFrames) RaiseFault("present");
  const HRESULT result = LoggedPresent(device, source, target, window, dirty);
  if (FAILED(result)) return result;
  if (g_presentsSinceReset >= 0 && ++g_presentsSinceReset == FaultFrames) {
    StandinLog("%d presents after the reset", FaultFrames);
  }
  if (++g_presents == FaultFrames && (g_fault == Fault::Lost || g_fault == Fault::ResetFails)) {
    g_phase = g_fault == Fault::Lost ? Phase::Lost : Phase::NeedsReset;
    g_statusChecks = 0;
    StandinLog("device lost");
  }
  return result;
}

// Windows' rules first, then the fault's.
HRESULT WINAPI Reset(IDirect3DDevice9* device, D3DPRESENT_PARAMETERS* parameters) {
  if (DeviceRecord* record = g_windowsRules ? RecordOf(device) : nullptr) {
    const bool resourcesLive = std::any_of(g_defaultPool.begin(), g_defaultPool.end(),
                                           [device](const DefaultPoolResource& r) { return r.device == device; });
    if (resourcesLive) {
      StandinLog("adapter %u: reset refused: default-pool resources live", record->adapter);
      return D3DERR_INVALIDCALL;
    }
    if (RateRefused(record->direct3d, record->adapter, *parameters)) return D3DERR_INVALIDCALL;
    if (record->needsReset) {
      const HRESULT result = g_realDevice->Reset(device, parameters);
      record->needsReset = FAILED(result);
      StandinLog("adapter %u reset %s", record->adapter, SUCCEEDED(result) ? "done" : "failed");
      return result;
    }
  }
  if (!Hits(device)) return g_realDevice->Reset(device, parameters);
  if (g_phase == Phase::Lost) return D3DERR_DEVICELOST;
  if (g_phase == Phase::NeedsReset && g_fault == Fault::ResetFails && g_resetsRefused < 3) {
    ++g_resetsRefused;
    StandinLog("reset refused after %d status checks", g_statusChecks);
    return D3DERR_INVALIDCALL;
  }
  const HRESULT result = g_realDevice->Reset(device, parameters);
  StandinLog("reset %s after %d status checks", SUCCEEDED(result) ? "done" : "failed", g_statusChecks);
  if (SUCCEEDED(result) && g_phase == Phase::NeedsReset) {
    g_phase = Phase::Normal;
    g_presentsSinceReset = 0;
  }
  return result;
}

HRESULT WINAPI CreateTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT levels, DWORD usage,
                             D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* shared) {
  if (g_fault == Fault::Texture && Hits(device)) {
    StandinLog("texture refused");
    return E_OUTOFMEMORY;
  }
  const HRESULT result =
      g_realDevice->CreateTexture(device, width, height, levels, usage, format, pool, texture, shared);
  if (SUCCEEDED(result) && pool == D3DPOOL_DEFAULT) {
    KeepDefaultPool(*texture, device, g_patchedTexture, g_realTextureMethods, ReleaseTexture);
  }
  return result;
}

HRESULT WINAPI CreateVertexBuffer(IDirect3DDevice9* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                  IDirect3DVertexBuffer9** buffer, HANDLE* shared) {
  if (g_fault == Fault::VertexBuffer && Hits(device)) {
    StandinLog("vertex buffer refused");
    return E_OUTOFMEMORY;
  }
  const HRESULT result = g_realDevice->CreateVertexBuffer(device, length, usage, fvf, pool, buffer, shared);
  if (SUCCEEDED(result) && pool == D3DPOOL_DEFAULT) {
    KeepDefaultPool(*buffer, device, g_patchedBuffer, g_realBufferMethods, ReleaseBuffer);
  }
  return result;
}

// Whether this creation is refused; the windowed-after-pane fault first waits for the pane to go.
bool Refuses(UINT adapter, D3DDEVTYPE type, HWND focus, DWORD flags, const D3DPRESENT_PARAMETERS* parameters) {
  if (!Hits(adapter)) return false;
  switch (g_fault) {
    case Fault::Device:
      return true;
    case Fault::Windowed:
      return parameters->Windowed;
    case Fault::FullScreen:
      return !parameters->Windowed;
    case Fault::WindowedAfterPane: {
      if (!parameters->Windowed) return false;
      HWND window = parameters->hDeviceWindow ? parameters->hDeviceWindow : focus;
      HWND pane = GetParent(window);
      StandinLog("waiting for the pane to go");
      // Taking the messages sent meanwhile, as a driver's creation may: the pane's destruction
      // waits for its child, the saver's window, to go first.
      MSG message{};
      for (int waited = 0; pane && IsWindow(pane) && waited < 2000; ++waited) {
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
        Sleep(10);
      }
      StandinLog("%s", IsWindow(pane) ? "the pane still there" : "the pane gone");
      return true;
    }
    case Fault::HalHardware:
      return type == D3DDEVTYPE_HAL && (flags & D3DCREATE_HARDWARE_VERTEXPROCESSING);
    default:
      return false;
  }
}

HRESULT WINAPI CreateDevice(IDirect3D9* direct3d, UINT adapter, D3DDEVTYPE type, HWND focus, DWORD flags,
                            D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) {
  const char* kind = type == D3DDEVTYPE_HAL ? (parameters->Windowed ? "windowed hal" : "hal")
                                            : (parameters->Windowed ? "windowed ref" : "ref");
  const char* vertices = (flags & D3DCREATE_HARDWARE_VERTEXPROCESSING) ? "hw" : "sw";
  if (g_fault == Fault::CreateFault && Hits(adapter)) RaiseFault("create");
  if (Refuses(adapter, type, focus, flags, parameters)) {
    StandinLog("create %s %s refused", kind, vertices);
    return D3DERR_NOTAVAILABLE;
  }
  if (RateRefused(direct3d, adapter, *parameters)) return D3DERR_INVALIDCALL;
  if (g_monitorOf[0] >= 0 && adapter == static_cast<UINT>(g_monitorOf[0])) adapter = static_cast<UINT>(g_monitorOf[1]);
  const HRESULT result = g_realDirect3D->CreateDevice(direct3d, adapter, type, focus, flags, parameters, device);
  if (g_windowsRules) {
    StandinLog("adapter %u: create %s %s %s", adapter, kind, vertices, SUCCEEDED(result) ? "done" : "failed");
  } else {
    StandinLog("create %s %s %s", kind, vertices, SUCCEEDED(result) ? "done" : "failed");
  }
  if (FAILED(result)) return result;
  if (!g_patchedDevice) {
    g_patchedDevice = (*device)->lpVtbl;
    g_realDeviceMethods = *g_patchedDevice;
    PatchWord(g_patchedDevice->TestCooperativeLevel, TestCooperativeLevel);
    PatchWord(g_patchedDevice->Present, Present);
    PatchWord(g_patchedDevice->Reset, Reset);
    PatchWord(g_patchedDevice->CreateTexture, CreateTexture);
    PatchWord(g_patchedDevice->CreateVertexBuffer, CreateVertexBuffer);
    PatchWord(g_patchedDevice->Release, ReleaseDevice);
  }
  if (g_windowsRules) {
    const DeviceRecord made{*device, direct3d, focus, adapter, !parameters->Windowed, false};
    g_devices.push_back(made);
    if (made.fullScreen) LoseEarlierDevices(made);
  }
  return result;
}

// Whether this thread started where the program's own threads start (_beginthreadex: the C
// runtime's thread start), not in a library of the system's.
bool StartedInProgram() {
  using QueryFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  constexpr int ThreadQuerySetWin32StartAddress = 9;
  const auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
  void* start = nullptr;
  if (!query || query(GetCurrentThread(), ThreadQuerySetWin32StartAddress, &start, sizeof start, nullptr) != 0) {
    return false;
  }
  const auto within = [start](HMODULE module) {
    auto* base = reinterpret_cast<BYTE*>(module);
    if (!base) return false;
    const auto* nt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    return start >= base && start < base + nt->OptionalHeader.SizeOfImage;
  };
  return within(GetModuleHandleA(nullptr)) || within(GetModuleHandleA("msvcrt.dll"));
}

using FindResourceFn = HRSRC(WINAPI*)(HMODULE, LPCSTR, LPCSTR);
FindResourceFn g_realFindResource = nullptr;

HRSRC WINAPI FindResourceSlowly(HMODULE module, LPCSTR name, LPCSTR type) {
  static bool waited = false;
  if (g_imageCrash && GetCurrentThreadId() != g_mainThread) RaiseFault("the image thread");
  if (g_slowImages && !waited && GetCurrentThreadId() != g_mainThread) {
    waited = true;
    WaitForSingleObject(g_crashed, 10000);
    Sleep(1000);
  }
  return g_realFindResource(module, name, type);
}

using WaitFn = DWORD(WINAPI*)(HANDLE, DWORD);
WaitFn g_realWait = nullptr;

DWORD WINAPI WaitWatched(HANDLE object, DWORD milliseconds) {
  if (GetThreadId(object) == GetCurrentThreadId()) StandinLog("process: a thread waits for itself");
  return g_realWait(object, milliseconds);
}

void SlowTheImages() {
  if (g_realFindResource) return;
  g_mainThread = GetCurrentThreadId();
  g_crashed = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  void* real = RedirectProgramImport("kernel32.dll", "FindResourceA", reinterpret_cast<void*>(FindResourceSlowly));
  g_realFindResource = reinterpret_cast<FindResourceFn>(real);
  real = RedirectProgramImport("kernel32.dll", "WaitForSingleObject", reinterpret_cast<void*>(WaitWatched));
  g_realWait = reinterpret_cast<WaitFn>(real);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*) {
  if (reason == DLL_THREAD_DETACH && StartedInProgram()) StandinLog("process: image thread ended");
  return TRUE;
}

extern "C" __declspec(dllexport) IDirect3D9* WINAPI Direct3DCreate9(UINT sdkVersion) {
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  HMODULE real = LoadLibraryA((std::string(system) + "\\d3d9_wine.dll").c_str());
  using CreateFn = IDirect3D9*(WINAPI*)(UINT);
  // Through a plain pointer: GetProcAddress's own type says nothing of the entry's.
  const auto entry = real ? reinterpret_cast<void*>(GetProcAddress(real, "Direct3DCreate9")) : nullptr;
  const auto create = reinterpret_cast<CreateFn>(entry);
  IDirect3D9* direct3d = create ? create(sdkVersion) : nullptr;
  if (!direct3d) return nullptr;
  g_fault = FaultFromEnvironment();
  g_adapter = AdapterFromEnvironment();
  if (!g_patchedDirect3D) {
    g_patchedDirect3D = direct3d->lpVtbl;
    g_realDirect3DMethods = *g_patchedDirect3D;
    PatchWord(g_patchedDirect3D->CreateDevice, CreateDevice);
    PatchWord(g_patchedDirect3D->GetAdapterMonitor, GetAdapterMonitor);
  }
  if (!g_realGetSystemMetrics) {
    void* programs = RedirectProgramImport("user32.dll", "GetSystemMetrics", reinterpret_cast<void*>(GetSystemMetricsAsAsked));
    g_realGetSystemMetrics = reinterpret_cast<GetSystemMetricsFn>(programs);
  }
  BringDisplayNotices();
  SlowTheImages();
  if (!g_realChangeDisplaySettings) {
    void* programs = RedirectProgramImport("user32.dll", "ChangeDisplaySettingsA", reinterpret_cast<void*>(ChangeDisplaySettingsLogged));
    g_realChangeDisplaySettings = reinterpret_cast<ChangeDisplaySettingsFn>(programs);
  }
  return direct3d;
}
