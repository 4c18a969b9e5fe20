// The settings dialog (template 2003, or 2004 in English): the Windows side of the load slider, the
// resolution box, the every-monitor check box and the display modes that Direct3D offers.
#include <windows.h>

#include <commctrl.h>
#include <d3d9.h>

#include "gfxutil/win32/display_mode_win32.h"
#include "profile_store_win32.h"
#include "settings/settings_dialog.h"
#include "shell/win32/error_report_win32.h"
#include "shell/win32/fault_guard.h"
#include "shell/win32/saver_shell_win32.h"
#include "shell/win32/system_library.h"

// The dialog's copies of Direct3D's pixel formats.
namespace format = vizo::settings::format;
static_assert(format::R8G8B8 == D3DFMT_R8G8B8 && format::A8R8G8B8 == D3DFMT_A8R8G8B8);
static_assert(format::X8R8G8B8 == D3DFMT_X8R8G8B8 && format::R5G6B5 == D3DFMT_R5G6B5);
static_assert(format::X1R5G5B5 == D3DFMT_X1R5G5B5 && format::A1R5G5B5 == D3DFMT_A1R5G5B5);
static_assert(format::A4R4G4B4 == D3DFMT_A4R4G4B4 && format::R3G3B2 == D3DFMT_R3G3B2);
static_assert(format::A8R3G3B2 == D3DFMT_A8R3G3B2 && format::X4R4G4B4 == D3DFMT_X4R4G4B4);
static_assert(format::A2B10G10R10 == D3DFMT_A2B10G10R10 && format::A2R10G10B10 == D3DFMT_A2R10G10B10);

namespace vizo::win32 {

namespace {

using settings::DisplayMode;

class Win32DialogControls final : public settings::DialogControls {
 public:
  explicit Win32DialogControls(HWND dialog)
      : dialog_(dialog), box_(GetDlgItem(dialog, settings::control::ResolutionBox)) {}

  void SetSliderPosition(int position) override { Slider(TBM_SETPOS, TRUE, position); }
  void SetSliderRange(int minimum, int maximum) override { Slider(TBM_SETRANGE, TRUE, MAKELPARAM(minimum, maximum)); }
  void SetSliderTickFrequency(int frequency) override { Slider(TBM_SETTICFREQ, static_cast<WPARAM>(frequency), 0); }
  int SliderPosition() override { return static_cast<int>(Slider(TBM_GETPOS, 0, 0)); }

  void AddResolution(const std::string& text) override {
    SendMessageA(box_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  int FindResolution(const std::string& text) override {
    return static_cast<int>(SendMessageA(box_, CB_FINDSTRINGEXACT, 0, reinterpret_cast<LPARAM>(text.c_str())));
  }
  void SelectResolution(int index) override { SendMessageA(box_, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }
  std::string ResolutionText() override {
    char text[settings::ProfileTextSize] = {};
    GetDlgItemTextA(dialog_, settings::control::ResolutionBox, text, sizeof text);
    return text;
  }
  void SetAllMonitors(bool checked) override {
    SendDlgItemMessageA(dialog_, settings::control::AllMonitors, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  bool AllMonitors() override {
    return SendDlgItemMessageA(dialog_, settings::control::AllMonitors, BM_GETCHECK, 0, 0) == BST_CHECKED;
  }

 private:
  LRESULT Slider(UINT message, WPARAM wParam, LPARAM lParam) {
    return SendDlgItemMessageA(dialog_, settings::control::LoadSlider, message, wParam, lParam);
  }

  HWND dialog_;
  HWND box_;
};

// The default adapter's modes, from a Direct3D object held between Open and Close.
class Direct3DModeSource final : public settings::DisplayModeSource {
 public:
  Direct3DModeSource() = default;
  Direct3DModeSource(const Direct3DModeSource&) = delete;
  Direct3DModeSource& operator=(const Direct3DModeSource&) = delete;
  ~Direct3DModeSource() override { Close(); }

  bool Open() override {
    direct3d_ = CreateDirect3D9();
    return direct3d_ != nullptr;
  }
  std::optional<DisplayMode> CurrentMode() override {
    D3DDISPLAYMODE mode{};
    if (FAILED(direct3d_->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode))) return std::nullopt;
    return gfx::win32::FromD3D(mode);
  }
  std::uint32_t ModeCount(std::uint32_t format) override {
    return direct3d_->GetAdapterModeCount(D3DADAPTER_DEFAULT, static_cast<D3DFORMAT>(format));
  }
  DisplayMode Mode(std::uint32_t format, std::uint32_t index) override {
    D3DDISPLAYMODE mode{};
    direct3d_->EnumAdapterModes(D3DADAPTER_DEFAULT, static_cast<D3DFORMAT>(format), index, &mode);
    return gfx::win32::FromD3D(mode);
  }
  void Close() override {
    if (direct3d_) {
      direct3d_->Release();
      direct3d_ = nullptr;
    }
  }

 private:
  IDirect3D9* direct3d_ = nullptr;
};

void ReportOptionDialogError(int line) { ReportError(__FILE__, line); }

template <typename Action>
void WithDialog(HWND dialog, Action action) {
  Win32DialogControls controls(dialog);
  Direct3DModeSource modes;
  Win32ProfileStore store;
  settings::SettingsDialog logic{controls, modes, store, ReportOptionDialogError};
  action(logic);
}

}  // namespace

void LoadDialogSettings(HWND dialog) {
  WithDialog(dialog, [](settings::SettingsDialog& d) { d.Load(); });
}

void SaveDialogSettings(HWND dialog) {
  WithDialog(dialog, [](settings::SettingsDialog& d) { d.Save(); });
}

void ResetDialogSettings(HWND dialog) {
  WithDialog(dialog, [](settings::SettingsDialog& d) { d.Reset(); });
}

}  // namespace vizo::win32

int BeforeSettingsDialog(HINSTANCE) { return 1; }

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  return vizo::win32::CallbackBody([&]() -> INT_PTR {
    if (message == WM_INITDIALOG) {
      vizo::win32::LoadDialogSettings(dialog);
    } else if (message == WM_COMMAND) {
      // Only the buttons end the dialog: Enter and Escape arrive as ids 1 and 2 and do nothing.
      switch (LOWORD(wParam)) {
        case vizo::settings::control::Ok:
          vizo::win32::SaveDialogSettings(dialog);
          EndDialog(dialog, vizo::settings::control::Ok);
          break;
        case vizo::settings::control::Cancel:
          EndDialog(dialog, vizo::settings::control::Cancel);
          break;
        case vizo::settings::control::Defaults:
          vizo::win32::ResetDialogSettings(dialog);
          break;
        default:
          break;
      }
    }
    return FALSE;
  });
}
