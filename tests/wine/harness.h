// Helpers the Windows-side integration tests share: start the real saver, find its windows, send
// them input, wait for conditions by bounded polling, and take screenshots.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vizo::winetest {

inline constexpr DWORD DefaultTimeoutMs = 15000;

// The folder of the running test program; the saver and the stand-in components are built there.
std::string ProgramDir();
// The saver the tests drive: the one built beside them, or the one VIZO_SAVER names (a release's).
std::string SaverPath();

// A stand-in for a system component put into the system folder, where the saver looks for it
// (Wine loads it only where the saver's library order says native). With keepAs, the system's
// own copy is kept under that name first, for the stand-in to forward to.
bool InstallInSystemFolder(const std::string& standIn, const char* name, const char* keepAs = nullptr);

// A process started from a command line, terminated at destruction if it is still running.
class Process {
 public:
  // Started in the given current folder, or in this program's. With logMessages, its first thread is
  // hooked before it runs, so that the messages its windows receive go to the stand-in log
  // (StandinLog::Messages). With errorFile, its standard error goes there (Wine's trace among it).
  Process(const std::string& program, const std::string& arguments, const char* currentFolder = nullptr,
          bool logMessages = false, const char* errorFile = nullptr);
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process();

  bool Started() const { return info_.hProcess != nullptr; }
  DWORD Id() const { return info_.dwProcessId; }
  DWORD MainThreadId() const { return info_.dwThreadId; }
  bool Running() const;
  // When it ended, as GetSystemTimeAsFileTime tells the time; nothing while it runs.
  std::optional<ULONGLONG> ExitTime() const;
  // The exact exit code, or nothing if the process still runs after timeoutMs.
  std::optional<DWORD> WaitForExit(DWORD timeoutMs = DefaultTimeoutMs) const;

 private:
  PROCESS_INFORMATION info_{};
  HHOOK hooks_[2] = {};
};

// A message that a window of a hooked process received (standins/message_log.cpp).
struct ReceivedMessage {
  bool sent = false;  // handed to the window procedure by SendMessage, not taken from the queue
  std::string windowClass;
  std::string window;
  UINT message = 0;
  WPARAM wParam = 0;
  POINT cursor{};  // where the cursor was as it arrived
};

// The file that the stand-ins in the saver, and the message hook of a process started with
// logMessages, write to, for as long as this lives (VIZO_STANDIN_LOG): named after the running test,
// emptied at the start.
class StandinLog {
 public:
  // Display: what the stand-in tells of the display's notices and of the process (its times, its
  // own thread).
  enum class Source { Direct3D, Presents, Timer, Messages, Display };
  explicit StandinLog(const std::string& suffix = "");
  StandinLog(const StandinLog&) = delete;
  StandinLog& operator=(const StandinLog&) = delete;
  ~StandinLog();
  void Clear() const;
  // One source's lines, each ending in a newline.
  std::string Text(Source source = Source::Direct3D) const;
  // Waits until a line of the source is this one.
  std::vector<ReceivedMessage> Messages() const;
  // Waits until a window of this class has received this message.
  bool WaitForMessage(const char* windowClass, UINT message) const;
  // The frames the d3d9 stand-in saw presented on an adapter, and a wait for more of them.
  int Presents(int adapter) const;
  bool WaitForMorePresents(int adapter, int frames) const;

 private:
  std::string path_;
};

// The saver window's input as its procedures received it, against the close rules: the mouse moves
// that reached it (those the covers forwarded included) with the cursor at each, where the cursor
// was at its creation, and how many moves had arrived when its first WM_CLOSE came (-1: none came).
struct SaverInput {
  POINT anchor{};
  std::vector<POINT> moves;
  int closedAfterMoves = -1;
  UINT closedAfter = 0;  // the last key or mouse message before that WM_CLOSE
  int coverMoves = 0;      // moves that reached a cover of another monitor before it
  int forwardedMoves = 0;  // moves that reached the saver window from a cover
  // The move that the close rules end the saver on (1 = the first): the first after the ten ignored
  // ones whose cursor has travelled more than 4 from the anchor; 0 when none has.
  int ClosingMove() const;
  int Travel(const POINT& p) const { return std::abs(p.x - anchor.x) + std::abs(p.y - anchor.y); }
  // It closed on that move, on no message before it.
  bool ClosedOnTheRulesMove() const {
    return ClosingMove() > 0 && closedAfterMoves == ClosingMove() && closedAfter == WM_MOUSEMOVE;
  }
  // What it received, for a failure's message.
  std::string Described() const;
};
SaverInput ReadSaverInput(const std::vector<ReceivedMessage>& received);
// The first ten mouse moves of a saver are ignored, however far they go.
inline constexpr int IgnoredMouseMoves = 10;

// Polls condition every pollMs while dispatching this thread's messages, until it holds or
// timeoutMs have passed. Returns whether it held.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = DefaultTimeoutMs, DWORD pollMs = 10);
// The poll interval for conditions read off screenshots: a shot of the whole desktop costs as much
// processor time as a frame of the saver that the test waits for.
inline constexpr DWORD ScreenPollMs = 100;

// Top-level windows of a process with the given class and title (nullptr matches any).
std::vector<HWND> ProcessWindows(DWORD processId, const char* className, const char* title);
HWND WaitForWindow(DWORD processId, const char* className, const char* title, DWORD timeoutMs = DefaultTimeoutMs);
// The full-screen saver window of a process, once it is shown, in the foreground, and pumping.
HWND WaitForFullScreenSaver(const Process& saver);

// Records every window that any thread creates while it exists (an out-of-context event hook);
// the owning thread must pump messages (PumpUntil does). Windows are counted by the thread that
// created them, which stays known after the window and its process are gone.
class WindowCreationLog {
 public:
  WindowCreationLog();
  WindowCreationLog(const WindowCreationLog&) = delete;
  WindowCreationLog& operator=(const WindowCreationLog&) = delete;
  ~WindowCreationLog();
  int CountFor(DWORD threadId) const;
  // Of those, the ones of the saver's window class (Direct3D makes windows of its own).
  int SaverWindowsFor(DWORD threadId) const;

 private:
  HWINEVENTHOOK hook_ = nullptr;
};

// A visible 152 x 112 popup at (x, y), the size of the settings applet's preview pane, for a
// preview to draw into; its class is registered on first use.
HWND CreatePreviewPane(const char* className, int x, int y);

// Returns once the window's thread has dispatched everything that was queued for it before the
// call, and whatever that posted in turn. False if the window is gone or does not answer.
bool Drain(HWND window);

// Real input, through the system's input queue: one key or button event (its KEYEVENTF_ or
// MOUSEEVENTF_ flags), a press and release, a move.
void SendKey(WORD virtualKey, DWORD flags);
void SendMouse(DWORD flags);
void PressKey(WORD virtualKey);
void ClickLeftButton();
void MoveCursorTo(int x, int y);
// Moves the cursor there and waits until the system reports it there.
bool PlaceCursor(int x, int y);
// One move there, taken by the window's thread before this returns: the system has the cursor there
// and the thread has dispatched what was queued for it, so the move is a message of its own and
// never merges with the next (as moves still queued do). False if the move did not arrive or the
// window does not answer.
bool MoveTaken(HWND window, int x, int y);

// The screen as 32-bit pixels, top row first.
struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB
  std::uint32_t At(int x, int y) const {
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
  }
};
// The whole virtual screen, or the given part of it.
Screenshot CaptureScreen(const RECT* area = nullptr);
// Writes the screenshot as a .bmp into the build tree's artifact folder and returns its path.
std::string SaveArtifact(const Screenshot& shot, const std::string& name);

// Whole files, as bytes; nothing when the file can't be read.
std::optional<std::string> ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);

// The saver's settings file in the Windows folder, and a file with all eight keys.
std::string SettingsPath();
void RemoveSettings();
std::string AllEightKeys(const char* hanabi, const char* display);

// Waits for the process's next error report box, dismisses it and returns its text (empty when
// none came).
std::wstring DismissNextReport(const Process& process);
// The process's next dialog (any, or with this title: "Error" for a report), once it is shown;
// nullptr when none came.
HWND WaitForDialog(const Process& process, const char* title = nullptr);
// Whether the window's face shows on the screen (not behind another window); the shot is kept
// under artifact.
bool SeenOnScreen(HWND window, const char* artifact);
// Whether a report's text names this source file and line.
bool ReportNames(const std::wstring& text, const wchar_t* file, int line);

// A window's text (WM_GETTEXT), also from another process.
std::wstring WindowText(HWND window);

// A registry value (under HKEY_CURRENT_USER unless named) set for the life of the object, then put back as it was:
// the value it had, or none (the session's prefix has settings of its own that later tests rely on).
class ScopedRegistryValue {
 public:
  ScopedRegistryValue(const char* key, const char* name, DWORD value);
  ScopedRegistryValue(const char* key, const char* name, const char* value);
  // ... or under another root (HKEY_LOCAL_MACHINE).
  ScopedRegistryValue(HKEY root, const char* key, const char* name, const char* value);
  ScopedRegistryValue(const ScopedRegistryValue&) = delete;
  ScopedRegistryValue& operator=(const ScopedRegistryValue&) = delete;
  ~ScopedRegistryValue();

 private:
  void Keep();

  HKEY root_ = HKEY_CURRENT_USER;
  std::string key_;
  std::string name_;
  std::optional<std::pair<DWORD, std::string>> before_;  // type and bytes
};

// The d3d9 stand-in (standins/d3d9.cpp) in the system folder, loaded by the saver alone while this
// lives: it forwards to the system's own Direct3D, logs each frame presented, and fails only where
// VIZO_D3D9_FAULT says.
class D3d9Standin {
 public:
  D3d9Standin();
  bool Installed() const { return installed_; }

 private:
  bool installed_;
  ScopedRegistryValue order_;
};
// A capture of the screen after each frame the adapter presents, until one shows what is wanted,
// for at most this many frames: under Wine a frame reaches the screen a present or two after its
// own, and the first frames of a new full-screen device may never reach it. The last capture is
// kept under artifact when one is named.
inline constexpr int FramesToShow = 30;
bool ShownWithinFrames(const StandinLog& log, int adapter, const std::function<bool(const Screenshot&)>& shows,
                       const std::string& artifact = "");
// Whether the main adapter's frames show something drawn (over 500 lit pixels).
bool DrawingShows(const StandinLog& log, const char* artifact = nullptr);

}  // namespace vizo::winetest
