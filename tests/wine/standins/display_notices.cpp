// The program looks the registration functions up at run time, so its GetProcAddress is what leads
// to them. What happens goes to the stand-in log:
//   "display notices registered for console display state" (or "monitor power on", or the GUID)
//   "display notices unregistered"
//   "display <off|on|dimmed> sent"     once the program's window has handled the notice
//   "process times <kernel> <user>"    the program's processor time so far, in 100 ns
// As Windows does, one notice goes at once to a window that registers, telling the display is on.
// A test asks for a notice with the event "VizoDisplayOff", "VizoDisplayOn" or "VizoDisplayDimmed",
// and for the processor time with "VizoProcessTimes". Notices are sent from the stand-in's own
// thread into the program's window, the POWERBROADCAST_SETTING in the program's memory, as the
// system's would be.
#include "display_notices.h"

#include <windows.h>

#include <cstring>

#include "program_import.h"
#include "standin_log.h"

namespace {

using GetProcAddressFn = FARPROC(WINAPI*)(HMODULE, LPCSTR);
using RegisterFn = HPOWERNOTIFY(WINAPI*)(HANDLE, LPCGUID, DWORD);
using UnregisterFn = BOOL(WINAPI*)(HPOWERNOTIFY);

GetProcAddressFn g_realGetProcAddress = nullptr;
RegisterFn g_realRegister = nullptr;
UnregisterFn g_realUnregister = nullptr;

// What the registration asked for; the thread sends to it.
HWND g_window = nullptr;
GUID g_setting{};
HANDLE g_registered = nullptr;  // set as a window registers: the first notice goes

constexpr const char* StateNames[] = {"off", "on", "dimmed"};
constexpr const char* Requests[] = {"VizoDisplayOff", "VizoDisplayOn", "VizoDisplayDimmed", "VizoProcessTimes"};

// Windows' own, spelled out: the names in the SDK's headers are declarations only.
constexpr GUID ConsoleDisplayState{0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr GUID MonitorPowerOn{0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};

const char* SettingName(const GUID& setting) {
  if (IsEqualGUID(setting, ConsoleDisplayState)) return "console display state";
  if (IsEqualGUID(setting, MonitorPowerOn)) return "monitor power on";
  return "another setting";
}

void Send(DWORD state) {
  struct {
    POWERBROADCAST_SETTING header;
    BYTE rest[3];  // the DWORD of data runs past the header's one byte
  } notice{};
  notice.header.PowerSetting = g_setting;
  notice.header.DataLength = sizeof(DWORD);
  std::memcpy(notice.header.Data, &state, sizeof state);
  SendMessageA(g_window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(&notice));
  StandinLog("display %s sent", StateNames[state]);
}

void LogProcessTimes() {
  FILETIME created, ended, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user)) return;
  const auto value = [](const FILETIME& t) { return ULARGE_INTEGER{{t.dwLowDateTime, t.dwHighDateTime}}.QuadPart; };
  StandinLog("process times %llu %llu", value(kernel), value(user));
}

DWORD WINAPI SendWhatIsAsked(void*) {
  HANDLE waits[5] = {g_registered};
  for (int i = 0; i < 4; ++i) waits[i + 1] = CreateEventA(nullptr, FALSE, FALSE, Requests[i]);
  for (;;) {
    const DWORD which = WaitForMultipleObjects(5, waits, FALSE, INFINITE);
    if (which == WAIT_OBJECT_0) {
      Send(1);
    } else if (which >= WAIT_OBJECT_0 + 1 && which <= WAIT_OBJECT_0 + 3 && g_window) {
      Send(which - WAIT_OBJECT_0 - 1);
    } else if (which == WAIT_OBJECT_0 + 4) {
      LogProcessTimes();
    } else if (which == WAIT_FAILED) {
      return 1;
    }
  }
}

HPOWERNOTIFY WINAPI RegisterLogged(HANDLE recipient, LPCGUID setting, DWORD flags) {
  StandinLog("display notices registered for %s", setting ? SettingName(*setting) : "nothing");
  const HPOWERNOTIFY registration = g_realRegister(recipient, setting, flags);
  if (registration && setting && flags == DEVICE_NOTIFY_WINDOW_HANDLE) {
    g_window = static_cast<HWND>(recipient);
    g_setting = *setting;
    SetEvent(g_registered);
  }
  return registration;
}

BOOL WINAPI UnregisterLogged(HPOWERNOTIFY registration) {
  StandinLog("display notices unregistered");
  g_window = nullptr;
  return g_realUnregister(registration);
}

FARPROC WINAPI GetProcAddressLooked(HMODULE module, LPCSTR name) {
  const FARPROC real = g_realGetProcAddress(module, name);
  if (!real || reinterpret_cast<ULONG_PTR>(name) <= 0xFFFF) return real;
  if (std::strcmp(name, "RegisterPowerSettingNotification") == 0) {
    g_realRegister = reinterpret_cast<RegisterFn>(reinterpret_cast<void*>(real));
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(RegisterLogged));
  }
  if (std::strcmp(name, "UnregisterPowerSettingNotification") == 0) {
    g_realUnregister = reinterpret_cast<UnregisterFn>(reinterpret_cast<void*>(real));
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(UnregisterLogged));
  }
  return real;
}

}  // namespace

void BringDisplayNotices() {
  if (g_realGetProcAddress) return;
  void* real = RedirectProgramImport("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(GetProcAddressLooked));
  g_realGetProcAddress = reinterpret_cast<GetProcAddressFn>(real);
  if (!g_realGetProcAddress) return;
  g_registered = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  CloseHandle(CreateThread(nullptr, 0, SendWhatIsAsked, nullptr, 0, nullptr));
}
