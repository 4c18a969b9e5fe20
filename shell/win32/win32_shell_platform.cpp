#include "win32_shell_platform.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>

#include "error_report_win32.h"
#include "saver_shell_win32.h"
#include "system_library.h"

namespace vizo::win32 {

using namespace vizo::shell;

static_assert(msg::Create == WM_CREATE && msg::Destroy == WM_DESTROY && msg::SetText == WM_SETTEXT);
static_assert(msg::Paint == WM_PAINT && msg::Close == WM_CLOSE && msg::ShowWindow == WM_SHOWWINDOW);
static_assert(msg::ActivateApp == WM_ACTIVATEAPP && msg::SetCursor == WM_SETCURSOR && msg::Power == WM_POWER);
static_assert(msg::Help == WM_HELP && msg::ContextMenu == WM_CONTEXTMENU && msg::KeyDown == WM_KEYDOWN);
static_assert(msg::SysKeyDown == WM_SYSKEYDOWN && msg::SysCommand == WM_SYSCOMMAND && msg::Timer == WM_TIMER);
static_assert(msg::MouseMove == WM_MOUSEMOVE && msg::LButtonDown == WM_LBUTTONDOWN);
static_assert(msg::RButtonDown == WM_RBUTTONDOWN && msg::MButtonDown == WM_MBUTTONDOWN);
static_assert(msg::PowerBroadcast == WM_POWERBROADCAST && msg::VerifyRequest == WM_APP);
static_assert(syscmd::NextWindow == SC_NEXTWINDOW && syscmd::PrevWindow == SC_PREVWINDOW);
static_assert(syscmd::ScreenSave == SC_SCREENSAVE && syscmd::MonitorPower == SC_MONITORPOWER);
static_assert(PowerCriticalResume == PWR_CRITICALRESUME && pbt::PowerStatusChange == PBT_APMPOWERSTATUSCHANGE);
static_assert(pbt::ResumeCritical == PBT_APMRESUMECRITICAL && pbt::ResumeSuspend == PBT_APMRESUMESUSPEND);
static_assert(pbt::ResumeStandby == PBT_APMRESUMESTANDBY && pbt::ResumeAutomatic == PBT_APMRESUMEAUTOMATIC);
static_assert(pbt::ResumeFromFailure == PBTF_APMRESUMEFROMFAILURE && pbt::PowerSettingChange == PBT_POWERSETTINGCHANGE);
static_assert(offsetof(POWERBROADCAST_SETTING, DataLength) == NoticeLengthOffset &&
              offsetof(POWERBROADCAST_SETTING, Data) == NoticeDataOffset);
static_assert(style::Preview == (WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN));
static_assert(style::FullScreen == (WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN));
static_assert(style::FullScreenEx == WS_EX_TOPMOST);
static_assert(style::SaverClass == (CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC));

namespace {

HWND ToHwnd(WindowHandle w) { return reinterpret_cast<HWND>(w); }
WindowHandle ToHandle(HWND w) { return reinterpret_cast<WindowHandle>(w); }
HMODULE ToModule(ModuleHandle m) { return reinterpret_cast<HMODULE>(m); }
ModuleHandle ToHandle(HMODULE m) { return reinterpret_cast<ModuleHandle>(m); }

// GetProcAddress hands out a generic pointer; the entries we look up have these signatures.
using VerifyScreenSavePwdFn = BOOL(WINAPI*)(HWND);
using PwdChangePasswordFn = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, DWORD);
using ImmAssociateContextFn = HANDLE(WINAPI*)(HWND, HANDLE);
// Vista's, looked up where they are used: XP has neither, and the saver still starts there.
using RegisterPowerSettingNotificationFn = HPOWERNOTIFY(WINAPI*)(HANDLE, LPCGUID, DWORD);
using UnregisterPowerSettingNotificationFn = BOOL(WINAPI*)(HPOWERNOTIFY);

template <typename Fn>
Fn ToFunction(ProcAddress proc) {
  return reinterpret_cast<Fn>(proc);
}

template <typename Fn>
Fn User32Entry(const char* name) {
  const HMODULE user32 = ::GetModuleHandleA("user32.dll");  // imported: always there
  return user32 ? ToFunction<Fn>(reinterpret_cast<ProcAddress>(::GetProcAddress(user32, name))) : nullptr;
}

HINSTANCE SaverInstance() { return reinterpret_cast<HINSTANCE>(TheShell().state.instance); }

ScreenRect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

bool Win32ShellPlatform::IsWindow(WindowHandle window) { return ::IsWindow(ToHwnd(window)) != FALSE; }
WindowHandle Win32ShellPlatform::ForegroundWindow() { return ToHandle(::GetForegroundWindow()); }
void Win32ShellPlatform::SetForegroundWindow(WindowHandle window) { ::SetForegroundWindow(ToHwnd(window)); }
WindowHandle Win32ShellPlatform::Parent(WindowHandle window) { return ToHandle(::GetParent(ToHwnd(window))); }

int Win32ShellPlatform::BeforeSettingsDialog() { return ::BeforeSettingsDialog(SaverInstance()); }

int Win32ShellPlatform::SettingsDialog(WindowHandle owner) {
  // Each language's template under an id of its own: the loader's choice among languages of one id
  // would follow XP's regional locale, not the language the user's Windows speaks.
  const int dialog =
      UserLanguage() == shell::Language::Japanese ? SettingsDialogTemplate : EnglishSettingsDialogTemplate;
  const auto result =
      ::DialogBoxParamA(SaverInstance(), MAKEINTRESOURCEA(dialog), ToHwnd(owner), SettingsDialogProc, 0);
  return static_cast<int>(result);
}

WindowHandle Win32ShellPlatform::FindFullScreenSaver() {
  return ToHandle(::FindWindowA(SaverClassName, FullScreenTitle));
}

ScreenRect Win32ShellPlatform::ClientRect(WindowHandle window) {
  RECT r{};
  ::GetClientRect(ToHwnd(window), &r);
  return ToRect(r);
}

ScreenRect Win32ShellPlatform::VirtualScreen() {
  return {::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN),
          ::GetSystemMetrics(SM_CXVIRTUALSCREEN), ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

ScreenRect Win32ShellPlatform::ScreenClipBox() {
  RECT r{};
  if (HDC screen = ::GetDC(nullptr)) {
    ::GetClipBox(screen, &r);
    ::ReleaseDC(nullptr, screen);
  }
  return ToRect(r);
}

bool Win32ShellPlatform::RegisterSaverClass() {
  const HINSTANCE instance = SaverInstance();
  WNDCLASSA windowClass{};
  windowClass.style = style::SaverClass;
  windowClass.lpfnWndProc = ::SaverClassProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(100));
  windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = SaverClassName;
  return ::RegisterClassA(&windowClass) != 0;
}

WindowHandle Win32ShellPlatform::CreateSaverWindow(const SaverWindowLayout& layout) {
  // The scene starts, and may report, inside the window's creation.
  if (layout.parent != 0) EndReportsWithPane(ToHwnd(layout.parent), ::EndSaverScene);
  return ToHandle(::CreateWindowExA(layout.exStyle, SaverClassName, layout.title, layout.style, layout.x, layout.y,
                                    layout.width, layout.height, ToHwnd(layout.parent), nullptr, SaverInstance(),
                                    nullptr));
}

std::optional<int> Win32ShellPlatform::RunMessageLoop() {
  MSG message{};
  // GetMessageA answers -1 only for invalid arguments, which a loop over every window can't have;
  // stopping there as well keeps a broken queue from spinning forever.
  // A report's quit request ends it before the next message, as its WM_QUIT would, which the report
  // posts only once a loop runs again (error_report_win32).
  BOOL got = 1;
  while (!ReportAskedToQuit() && (got = ::GetMessageA(&message, nullptr, 0, 0)) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  if (got < 0) return std::nullopt;
  return ReportedQuitCode().value_or(static_cast<int>(message.wParam));
}

void Win32ShellPlatform::DestroySaverWindow(WindowHandle window) { ::DestroyWindow(ToHwnd(window)); }

std::optional<int> Win32ShellPlatform::ReportedQuitCode() {
  return ReportAskedToQuit() ? std::optional(ReportQuitCode) : std::nullopt;
}

MessageId Win32ShellPlatform::RegisterAutoPlayMessage() { return ::RegisterWindowMessageA("QueryCancelAutoPlay"); }

LResult Win32ShellPlatform::PassToSaverWindowProc(WindowHandle w, MessageId m, WParam wp, LParam lp) {
  return ::SaverWindowProc(ToHwnd(w), m, wp, lp);
}

LResult Win32ShellPlatform::PlatformDefaultProc(WindowHandle w, MessageId m, WParam wp, LParam lp) {
  return ::DefWindowProcA(ToHwnd(w), m, wp, lp);
}

void Win32ShellPlatform::PostToWindow(WindowHandle w, MessageId m, WParam wp, LParam lp) {
  ::PostMessageA(ToHwnd(w), m, wp, lp);
}

LResult Win32ShellPlatform::SendToWindow(WindowHandle w, MessageId m, WParam wp, LParam lp) {
  return ::SendMessageA(ToHwnd(w), m, wp, lp);
}

void Win32ShellPlatform::RemoveOnePendingTimer(WindowHandle window) {
  MSG dropped{};
  ::PeekMessageA(&dropped, ToHwnd(window), WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD);
}

void Win32ShellPlatform::PostQuit(int code) { ::PostQuitMessage(code); }
void Win32ShellPlatform::YieldTimeSlice() { ::Sleep(0); }
void Win32ShellPlatform::HideCursor() { ::SetCursor(nullptr); }

ScreenPoint Win32ShellPlatform::CursorPos() {
  POINT p{};
  ::GetCursorPos(&p);
  return {p.x, p.y};
}

std::uint32_t Win32ShellPlatform::TickCount() { return ::GetTickCount(); }

std::optional<std::uint8_t> Win32ShellPlatform::AcLineStatus() {
  SYSTEM_POWER_STATUS status{};
  if (!::GetSystemPowerStatus(&status)) return std::nullopt;
  return status.ACLineStatus;
}

NoticeRegistration Win32ShellPlatform::RegisterDisplayNotices(WindowHandle window, DisplayNotices notices) {
  const std::optional<SettingGuid> setting = GuidOf(notices);
  const auto registerFor = User32Entry<RegisterPowerSettingNotificationFn>("RegisterPowerSettingNotification");
  if (!setting || !registerFor) return 0;
  GUID guid{setting->data1, setting->data2, setting->data3, {}};
  std::copy(setting->data4.begin(), setting->data4.end(), guid.Data4);
  return reinterpret_cast<NoticeRegistration>(registerFor(ToHwnd(window), &guid, DEVICE_NOTIFY_WINDOW_HANDLE));
}

void Win32ShellPlatform::UnregisterDisplayNotices(NoticeRegistration registration) {
  if (const auto unregister = User32Entry<UnregisterPowerSettingNotificationFn>("UnregisterPowerSettingNotification")) {
    unregister(reinterpret_cast<HPOWERNOTIFY>(registration));
  }
}

void Win32ShellPlatform::PauseFrames(WindowHandle window, bool paused) { ::PauseSaverFrames(ToHwnd(window), paused); }

ModuleHandle Win32ShellPlatform::LoadModule(const char* name) { return ToHandle(LoadSystemLibrary(name)); }
ModuleHandle Win32ShellPlatform::LoadedModule(const char* name) { return ToHandle(::GetModuleHandleA(name)); }

ProcAddress Win32ShellPlatform::FindProc(ModuleHandle module, const char* name) {
  return reinterpret_cast<ProcAddress>(::GetProcAddress(ToModule(module), name));
}

void Win32ShellPlatform::UnloadModule(ModuleHandle module) { ::FreeLibrary(ToModule(module)); }

std::int32_t Win32ShellPlatform::CallVerifyScreenSavePwd(ProcAddress proc, WindowHandle window) {
  return ToFunction<VerifyScreenSavePwdFn>(proc)(ToHwnd(window));
}

void Win32ShellPlatform::CallPwdChangePassword(ProcAddress proc, const char* provider, WindowHandle parent) {
  ToFunction<PwdChangePasswordFn>(proc)(provider, ToHwnd(parent), 0, 0);
}

InputContext Win32ShellPlatform::CallImmAssociateContext(ProcAddress proc, WindowHandle window, InputContext context) {
  HANDLE previous = ToFunction<ImmAssociateContextFn>(proc)(ToHwnd(window), reinterpret_cast<HANDLE>(context));
  return reinterpret_cast<InputContext>(previous);
}

std::optional<std::uint32_t> Win32ShellPlatform::ReadScreenSaveUsePassword() {
  HKEY desktop = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_QUERY_VALUE, &desktop) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  // A shorter value fills only the first bytes; a longer one is not read at all.
  DWORD value = 0;
  DWORD size = sizeof value;
  const LONG read =
      ::RegQueryValueExA(desktop, "ScreenSaveUsePassword", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
  ::RegCloseKey(desktop);
  if (read != ERROR_SUCCESS) return std::nullopt;
  return value;
}

void Win32ShellPlatform::NotifyScreenSaverRunning(bool running) {
  UINT previous = 0;
  ::SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running ? 1 : 0, &previous, 0);
}

}  // namespace vizo::win32
