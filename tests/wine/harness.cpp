#include "harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>

namespace vizo::winetest {

std::string ProgramDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path);
  return dir.substr(0, dir.find_last_of("\\/"));
}

std::string SaverPath() {
  char other[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA("VIZO_SAVER", other, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::string(other) : ProgramDir() + "\\vizovizo.scr";
}

bool InstallInSystemFolder(const std::string& standIn, const char* name, const char* keepAs) {
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  const std::string target = std::string(system) + "\\" + name;
  if (keepAs) {
    // Kept once, from the system's copy, before any stand-in took its place.
    const std::string kept = std::string(system) + "\\" + keepAs;
    if (GetFileAttributesA(kept.c_str()) == INVALID_FILE_ATTRIBUTES && !CopyFileA(target.c_str(), kept.c_str(), TRUE)) {
      return false;
    }
  }
  return CopyFileA(standIn.c_str(), target.c_str(), FALSE) != FALSE;
}

std::string SettingsPath() {
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  return std::string(windows) + "\\vizoScrvizo.ini";
}

void RemoveSettings() {
  const std::string path = SettingsPath();
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path.c_str());
  RemoveDirectoryA(path.c_str());
}

std::string AllEightKeys(const char* hanabi, const char* display) {
  return std::string("[main]\r\nHanabi=") + hanabi + "\r\nParticle=0\r\nFlash=0\r\nBack=0\r\nSmoke=0\r\nReflect=0\r\n" +
         "Display=" + display + "\r\nBuffer=\r\n";
}

namespace {

// The hook library, loaded here once: the hooks name it, and a hooked process loads it from there.
HMODULE MessageLogHook() {
  static const HMODULE hook = LoadLibraryA((ProgramDir() + "\\message_log.dll").c_str());
  return hook;
}

}  // namespace

Process::Process(const std::string& program, const std::string& arguments, const char* currentFolder,
                 bool logMessages, const char* errorFile) {
  std::string commandLine = "\"" + program + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  HANDLE errors = INVALID_HANDLE_VALUE;
  if (errorFile) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    errors = CreateFileA(errorFile, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, CREATE_ALWAYS, 0, nullptr);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = errors;
  }
  const bool started = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, errorFile != nullptr,
                                      logMessages ? CREATE_SUSPENDED : 0, nullptr, currentFolder, &startup, &info_);
  if (errors != INVALID_HANDLE_VALUE) CloseHandle(errors);
  if (!started) {
    info_ = {};
    return;
  }
  if (!logMessages) return;
  // Hooked before its first instruction, so that the log holds its windows' first messages too.
  const HMODULE hook = MessageLogHook();
  const struct {
    int type;
    const char* procedure;
  } kinds[] = {{WH_GETMESSAGE, "GetMessageHook"}, {WH_CALLWNDPROC, "SentMessageHook"}};
  for (int i = 0; i < 2; ++i) {
    const auto procedure = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void*>(hook ? GetProcAddress(hook, kinds[i].procedure) : nullptr));
    hooks_[i] = procedure ? SetWindowsHookExA(kinds[i].type, procedure, hook, info_.dwThreadId) : nullptr;
  }
  if (!hooks_[0] || !hooks_[1]) {
    // No log, no test of what it received: a process that can't be hooked counts as not started.
    TerminateProcess(info_.hProcess, 0xDEAD);
    WaitForSingleObject(info_.hProcess, 5000);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
    info_ = {};
    return;
  }
  ResumeThread(info_.hThread);
}

Process::~Process() {
  for (HHOOK hook : hooks_) {
    if (hook) UnhookWindowsHookEx(hook);
  }
  if (!info_.hProcess) return;
  if (Running()) {
    TerminateProcess(info_.hProcess, 0xDEAD);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

bool Process::Running() const { return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

std::optional<ULONGLONG> Process::ExitTime() const {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (Running() || !GetProcessTimes(info_.hProcess, &created, &exited, &kernel, &user)) return std::nullopt;
  return ULARGE_INTEGER{{exited.dwLowDateTime, exited.dwHighDateTime}}.QuadPart;
}

std::optional<DWORD> Process::WaitForExit(DWORD timeoutMs) const {
  if (!info_.hProcess) return std::nullopt;
  // Pump while waiting: a saver whose window is a child of one of ours sends us messages.
  if (!PumpUntil([this] { return !Running(); }, timeoutMs)) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

namespace {

void DispatchWaiting() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    DispatchWaiting();
    if (condition()) return true;
    const DWORD polled = GetTickCount();
    if (polled - start >= timeoutMs) return false;
    // Messages are dispatched as they come; the condition waits for its turn.
    for (DWORD waited; (waited = GetTickCount() - polled) < pollMs;) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, pollMs - waited, QS_ALLINPUT);
      DispatchWaiting();
    }
  }
}

namespace {

struct WindowSearch {
  DWORD processId;
  const char* className;
  const char* title;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<WindowSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search.processId) return TRUE;
  char text[256] = {};
  if (search.className) {
    GetClassNameA(window, text, sizeof text);
    if (lstrcmpA(text, search.className) != 0) return TRUE;
  }
  if (search.title) {
    text[0] = '\0';
    GetWindowTextA(window, text, sizeof text);
    if (lstrcmpA(text, search.title) != 0) return TRUE;
  }
  search.found.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> ProcessWindows(DWORD processId, const char* className, const char* title) {
  WindowSearch search{processId, className, title, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForWindow(DWORD processId, const char* className, const char* title, DWORD timeoutMs) {
  HWND found = nullptr;
  PumpUntil(
      [&] {
        const auto windows = ProcessWindows(processId, className, title);
        found = windows.empty() ? nullptr : windows.front();
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

HWND WaitForFullScreenSaver(const Process& saver) {
  HWND window = WaitForWindow(saver.Id(), "WindowsScreenSaverClass", "Screen Saver");
  // Before it is shown and has the foreground, the saver may still be starting up; a window being
  // created answers sent messages too early to tell that it pumps its queue.
  if (!window || !PumpUntil([window] { return IsWindowVisible(window) && GetForegroundWindow() == window; }) ||
      !Drain(window)) {
    return nullptr;
  }
  return window;
}

namespace {

std::map<DWORD, int>& CreatedWindows() {
  static std::map<DWORD, int> counts;
  return counts;
}

std::map<DWORD, int>& CreatedSaverWindows() {
  static std::map<DWORD, int> counts;
  return counts;
}

void CALLBACK OnWindowEvent(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD thread, DWORD) {
  if (object != OBJID_WINDOW || !window) return;
  ++CreatedWindows()[thread];
  // The class can still be read unless the window is already gone again.
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, "WindowsScreenSaverClass") == 0) ++CreatedSaverWindows()[thread];
}

}  // namespace

WindowCreationLog::WindowCreationLog() {
  CreatedWindows().clear();
  CreatedSaverWindows().clear();
  hook_ =
      SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, OnWindowEvent, 0, 0, WINEVENT_OUTOFCONTEXT);
}

WindowCreationLog::~WindowCreationLog() {
  if (hook_) UnhookWinEvent(hook_);
}

int WindowCreationLog::SaverWindowsFor(DWORD threadId) const {
  const auto found = CreatedSaverWindows().find(threadId);
  return found == CreatedSaverWindows().end() ? 0 : found->second;
}

int WindowCreationLog::CountFor(DWORD threadId) const {
  const auto found = CreatedWindows().find(threadId);
  return found == CreatedWindows().end() ? 0 : found->second;
}

HWND CreatePreviewPane(const char* className, int x, int y) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = className;
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, className, "", WS_POPUP | WS_VISIBLE, x, y, 152, 112, nullptr, nullptr,
                         windowClass.hInstance, nullptr);
}

bool Drain(HWND window) {
  // A sent message is handled at the target's next message retrieval, ahead of what is queued.
  // The first round trip reaches that retrieval, the second proves that the queued message it
  // then returned was dispatched, the third that a message posted by that dispatch was too.
  for (int roundTrip = 0; roundTrip < 3; ++roundTrip) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, DefaultTimeoutMs, &result)) return false;
  }
  return true;
}

namespace {

void Send(INPUT input) { SendInput(1, &input, sizeof input); }

INPUT KeyInput(WORD key, DWORD flags) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = flags;
  return input;
}

INPUT MouseInput(DWORD flags, LONG x = 0, LONG y = 0) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = x;
  input.mi.dy = y;
  input.mi.dwFlags = flags;
  return input;
}

}  // namespace

void SendKey(WORD virtualKey, DWORD flags) { Send(KeyInput(virtualKey, flags)); }
void SendMouse(DWORD flags) { Send(MouseInput(flags)); }

void PressKey(WORD virtualKey) {
  Send(KeyInput(virtualKey, 0));
  Send(KeyInput(virtualKey, KEYEVENTF_KEYUP));
}

void ClickLeftButton() {
  Send(MouseInput(MOUSEEVENTF_LEFTDOWN));
  Send(MouseInput(MOUSEEVENTF_LEFTUP));
}

void MoveCursorTo(int x, int y) {
  // Absolute input is in 1/65536 of the virtual screen (every monitor) and maps back by
  // truncation: round up so that it lands on the exact pixel.
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  const LONG ax = static_cast<LONG>(((x - left) * 65536 + width - 1) / width);
  const LONG ay = static_cast<LONG>(((y - top) * 65536 + height - 1) / height);
  Send(MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK, ax, ay));
}

bool PlaceCursor(int x, int y) {
  // Under Wine a warp can be undone by pointer events already on their way from X; moving again
  // until the position holds settles it.
  return PumpUntil([x, y] {
    POINT p{};
    if (GetCursorPos(&p) && p.x == x && p.y == y) return true;
    MoveCursorTo(x, y);
    return false;
  });
}

bool MoveTaken(HWND window, int x, int y) {
  MoveCursorTo(x, y);
  const bool arrived = PumpUntil([x, y] {
    POINT p{};
    return GetCursorPos(&p) && p.x == x && p.y == y;
  });
  return arrived && Drain(window);
}

Screenshot CaptureScreen(const RECT* area) {
  Screenshot shot;
  shot.width = area ? area->right - area->left : GetSystemMetrics(SM_CXVIRTUALSCREEN);
  shot.height = area ? area->bottom - area->top : GetSystemMetrics(SM_CYVIRTUALSCREEN);
  const int left = area ? area->left : GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = area ? area->top : GetSystemMetrics(SM_YVIRTUALSCREEN);
  shot.pixels.resize(static_cast<size_t>(shot.width) * static_cast<size_t>(shot.height));

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = shot.width;
  info.bmiHeader.biHeight = -shot.height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, shot.width, shot.height, screen, left, top, SRCCOPY);
  GdiFlush();
  memcpy(shot.pixels.data(), bits, shot.pixels.size() * sizeof(std::uint32_t));
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  for (auto& p : shot.pixels) p &= 0x00FFFFFF;
  return shot;
}

D3d9Standin::D3d9Standin()
    : installed_(InstallInSystemFolder(ProgramDir() + "\\faults\\d3d9.dll", "d3d9.dll", "d3d9_wine.dll")),
      order_("Software\\Wine\\AppDefaults\\vizovizo.scr\\DllOverrides", "d3d9", "native,builtin") {}

bool ShownWithinFrames(const StandinLog& log, int adapter, const std::function<bool(const Screenshot&)>& shows,
                       const std::string& artifact) {
  Screenshot shot;
  bool shown = false;
  for (int frame = 0; frame < FramesToShow && !shown && log.WaitForMorePresents(adapter, frame == 0 ? 2 : 1); ++frame) {
    shot = CaptureScreen();
    shown = shows(shot);
  }
  if (!artifact.empty() && !shot.pixels.empty()) SaveArtifact(shot, artifact);
  return shown;
}

bool DrawingShows(const StandinLog& log, const char* artifact) {
  return ShownWithinFrames(
      log, 0,
      [](const Screenshot& shot) {
        return std::count_if(shot.pixels.begin(), shot.pixels.end(), [](std::uint32_t p) { return p != 0; }) > 500;
      },
      artifact ? artifact : "");
}

std::string SaveArtifact(const Screenshot& shot, const std::string& name) {
  const std::string dir = ProgramDir() + "\\..\\artifacts";
  CreateDirectoryA(dir.c_str(), nullptr);
  const std::string path = dir + "\\" + name + ".bmp";
  const DWORD imageBytes = static_cast<DWORD>(shot.pixels.size() * 4);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = file.bfOffBits + imageBytes;
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = shot.width;
  header.biHeight = -shot.height;
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  if (FILE* out = std::fopen(path.c_str(), "wb")) {
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&header, sizeof header, 1, out);
    std::fwrite(shot.pixels.data(), 4, shot.pixels.size(), out);
    std::fclose(out);
  }
  return path;
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
  FILE* in = std::fopen(path.c_str(), "rb");
  if (!in) return std::nullopt;
  std::string bytes;
  char chunk[4096];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, in)) > 0;) bytes.append(chunk, n);
  std::fclose(in);
  return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  return std::fclose(out) == 0 && written;
}

HWND WaitForDialog(const Process& process, const char* title) {
  HWND box = nullptr;
  const bool shown = PumpUntil([&] {
    const auto boxes = ProcessWindows(process.Id(), "#32770", title);
    box = boxes.empty() ? nullptr : boxes.front();
    return box && IsWindowVisible(box);
  });
  if (!shown) {
    // What the process has instead, and whether its thread still answers.
    std::fprintf(stderr, "no dialog \"%s\" shown; the process %s, its windows:\n", title ? title : "",
                 process.Running() ? "runs" : "has ended");
    for (HWND window : ProcessWindows(process.Id(), nullptr, nullptr)) {
      char className[64] = {}, text[64] = {};
      GetClassNameA(window, className, sizeof className);
      GetWindowTextA(window, text, sizeof text);
      RECT r{};
      GetWindowRect(window, &r);
      DWORD_PTR answer = 0;
      const bool answers = SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer) != 0;
      std::fprintf(stderr, "  %p %s \"%s\" %s (%ld,%ld)-(%ld,%ld)%s%s\n", static_cast<void*>(window), className, text,
                   IsWindowVisible(window) ? "visible" : "hidden", r.left, r.top, r.right, r.bottom,
                   (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) ? " top-most" : "",
                   answers ? "" : " not answering");
    }
  }
  return box;
}

bool SeenOnScreen(HWND window, const char* artifact) {
  RECT client{};
  GetClientRect(window, &client);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  const COLORREF face = GetSysColor(COLOR_3DFACE);
  const std::uint32_t expected =
      static_cast<std::uint32_t>(GetRValue(face)) << 16 | GetGValue(face) << 8 | GetBValue(face);
  // Above every window that overlaps it in the system's z-order, which is what Windows draws by
  // (an X server without a window manager may stack a newly shown window on top regardless).
  RECT frame{};
  GetWindowRect(window, &frame);
  for (HWND above = GetTopWindow(nullptr); above && above != window; above = GetWindow(above, GW_HWNDNEXT)) {
    RECT other{}, overlap{};
    GetWindowRect(above, &other);
    if (IsWindowVisible(above) && IntersectRect(&overlap, &frame, &other)) return false;
  }
  // Most of a box's face is its plain colour; behind another window, none of it shows.
  return PumpUntil([&] {
    const Screenshot shot = CaptureScreen(&client);
    std::size_t plain = 0;
    for (const auto pixel : shot.pixels) plain += pixel == expected ? 1 : 0;
    if (plain * 2 <= shot.pixels.size()) return false;
    SaveArtifact(shot, artifact);
    return true;
  }, DefaultTimeoutMs, ScreenPollMs);
}

std::wstring DismissNextReport(const Process& process) {
  HWND box = WaitForDialog(process, "Error");
  if (!box) return {};
  const std::wstring text = WindowText(GetDlgItem(box, 0xFFFF));
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  PumpUntil([box] { return !IsWindow(box); });
  return text;
}

bool ReportNames(const std::wstring& text, const wchar_t* file, int line) {
  return text.find(std::wstring(L"ファイル : ") + file) != std::wstring::npos &&
         text.find(L"行番号 : " + std::to_wstring(line)) != std::wstring::npos;
}

std::wstring WindowText(HWND window) {
  // GetWindowText would give another process's control only the name it was created with.
  wchar_t text[512] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, DefaultTimeoutMs, nullptr);
  return text;
}

StandinLog::StandinLog(const std::string& suffix) {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string dir = ProgramDir() + "\\logs";
  CreateDirectoryA(dir.c_str(), nullptr);
  // Named after the program too: the programs of two sessions run side by side from this folder.
  char program[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, program, MAX_PATH);
  std::string name(program);
  name = name.substr(name.find_last_of("\\/") + 1);
  name = name.substr(0, name.find('.'));
  if (test) name += std::string(".") + test->test_suite_name() + "." + test->name();
  path_ = dir + "\\" + name + suffix + ".log";
  Clear();
  SetEnvironmentVariableA("VIZO_STANDIN_LOG", path_.c_str());
}

StandinLog::~StandinLog() { SetEnvironmentVariableA("VIZO_STANDIN_LOG", nullptr); }

void StandinLog::Clear() const { DeleteFileA(path_.c_str()); }

std::string StandinLog::Text(Source source) const {
  std::istringstream lines(ReadFileBytes(path_).value_or(""));
  std::string text;
  for (std::string line; std::getline(lines, line);) {
    std::erase(line, '\r');
    const Source from = line.starts_with("msg ")                                           ? Source::Messages
                        : line.starts_with("time")                                         ? Source::Timer
                        : line.starts_with("present ")                                     ? Source::Presents
                        : line.starts_with("display ") || line.starts_with("process")       ? Source::Display
                                                                                           : Source::Direct3D;
    if (from == source) text.append(line).append("\n");
  }
  return text;
}

std::vector<ReceivedMessage> StandinLog::Messages() const {
  std::istringstream lines(Text(Source::Messages));
  std::vector<ReceivedMessage> received;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string tag, how, message, wParam;
    ReceivedMessage m;
    if (!(fields >> tag >> how >> m.windowClass >> m.window >> message >> wParam >> m.cursor.x >> m.cursor.y)) continue;
    m.sent = how == "sent";
    m.message = static_cast<UINT>(std::stoul(message, nullptr, 16));
    m.wParam = static_cast<WPARAM>(std::stoul(wParam, nullptr, 16));
    received.push_back(std::move(m));
  }
  return received;
}

bool StandinLog::WaitForMessage(const char* windowClass, UINT message) const {
  return PumpUntil([&] {
    for (const ReceivedMessage& m : Messages()) {
      if (m.windowClass == windowClass && m.message == message) return true;
    }
    return false;
  });
}

int StandinLog::Presents(int adapter) const {
  const std::string line = "present adapter " + std::to_string(adapter) + "\n";
  const std::string text = Text(Source::Presents);
  int count = 0;
  for (std::size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + line.size())) ++count;
  return count;
}

bool StandinLog::WaitForMorePresents(int adapter, int frames) const {
  const int wanted = Presents(adapter) + frames;
  return PumpUntil([&] { return Presents(adapter) >= wanted; });
}

SaverInput ReadSaverInput(const std::vector<ReceivedMessage>& received) {
  SaverInput input;
  for (const ReceivedMessage& m : received) {
    if (m.windowClass == "vizovizoBlanking" && m.message == WM_MOUSEMOVE) ++input.coverMoves;
    if (m.windowClass != "WindowsScreenSaverClass") continue;
    if (m.message == WM_MOUSEMOVE && m.sent) ++input.forwardedMoves;
    if (m.message == WM_CREATE) input.anchor = m.cursor;
    if (m.message == WM_MOUSEMOVE) input.moves.push_back(m.cursor);
    if (m.message == WM_CLOSE) {
      input.closedAfterMoves = static_cast<int>(input.moves.size());
      break;
    }
    // The keys themselves and the mouse, not the characters that translating a key adds.
    const bool key = m.message == WM_KEYDOWN || m.message == WM_KEYUP || m.message == WM_SYSKEYDOWN ||
                     m.message == WM_SYSKEYUP;
    if (key || (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST)) input.closedAfter = m.message;
  }
  if (input.closedAfterMoves < 0) input.closedAfter = 0;
  return input;
}

std::string SaverInput::Described() const {
  std::ostringstream text;
  text << moves.size() << " moves received, travelling";
  for (const POINT& p : moves) text << " " << Travel(p);
  text << "; closed after move " << closedAfterMoves << " (last input 0x" << std::hex << closedAfter << std::dec
       << "); the rules close on move " << ClosingMove();
  return text.str();
}

int SaverInput::ClosingMove() const {
  for (std::size_t i = IgnoredMouseMoves; i < moves.size(); ++i) {
    if (Travel(moves[i]) > 4) return static_cast<int>(i) + 1;
  }
  return 0;
}

void ScopedRegistryValue::Keep() {
  DWORD type = 0, size = 0;
  if (RegGetValueA(root_, key_.c_str(), name_.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size) !=
      ERROR_SUCCESS) {
    return;
  }
  std::string bytes(size, '\0');
  if (RegGetValueA(root_, key_.c_str(), name_.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, bytes.data(), &size) ==
      ERROR_SUCCESS) {
    bytes.resize(size);
    before_.emplace(type, std::move(bytes));
  }
}

ScopedRegistryValue::ScopedRegistryValue(const char* key, const char* name, DWORD value) : key_(key), name_(name) {
  Keep();
  RegSetKeyValueA(root_, key, name, REG_DWORD, &value, sizeof value);
}

ScopedRegistryValue::ScopedRegistryValue(const char* key, const char* name, const char* value)
    : ScopedRegistryValue(HKEY_CURRENT_USER, key, name, value) {}

ScopedRegistryValue::ScopedRegistryValue(HKEY root, const char* key, const char* name, const char* value)
    : root_(root), key_(key), name_(name) {
  Keep();
  RegSetKeyValueA(root_, key, name, REG_SZ, value, static_cast<DWORD>(lstrlenA(value) + 1));
}

ScopedRegistryValue::~ScopedRegistryValue() {
  if (before_) {
    RegSetKeyValueA(root_, key_.c_str(), name_.c_str(), before_->first, before_->second.data(),
                    static_cast<DWORD>(before_->second.size()));
  } else {
    RegDeleteKeyValueA(root_, key_.c_str(), name_.c_str());
  }
}

}  // namespace vizo::winetest
