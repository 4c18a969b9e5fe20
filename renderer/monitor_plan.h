// Which monitors the saver covers and which adapters get a device of their own. The desktop and
// Direct3D need not agree: a monitor may have no adapter, two adapters may show one monitor, and an
// implementation may answer another adapter's monitor. Covering goes by the desktop's monitors, so
// that every one of them is dark and hears input; devices go by adapter, one per monitor.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vizo::renderer {

using MonitorHandle = std::uintptr_t;  // the system's handle of a monitor; 0 for none

struct MonitorRect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const MonitorRect&) const = default;
};

struct DesktopMonitor {
  MonitorHandle handle = 0;
  std::string name;  // the display device's name, which still finds it if its handle goes
  MonitorRect rect;
  bool primary = false;
};

struct MonitorPlan {
  int mainMonitor = -1;     // the main device's monitor, by index into the desktop's; never covered
  std::vector<int> covered;  // every other monitor of the desktop
  // By adapter: the monitor its view shows, or -1 for no device of its own. Adapter 0's is the main.
  std::vector<int> adapterMonitor;
};

// The main device takes adapter 0's monitor (the primary, when adapter 0 names none of the
// desktop's); a secondary adapter gets a view only for a monitor that is its own: on the desktop,
// not the main's, not an earlier adapter's.
MonitorPlan PlanMonitors(const std::vector<DesktopMonitor>& desktop, const std::vector<MonitorHandle>& adapterMonitors);

// Where a monitor is after the desktop laid the monitors out again (a mode switch moves its
// neighbours): found by device name, and by handle only when it had no name (Windows may give an
// old handle's value to another monitor after a change); nothing when it is gone.
std::optional<MonitorRect> WhereNow(const DesktopMonitor& was, const std::vector<DesktopMonitor>& now);

bool Overlap(const MonitorRect& a, const MonitorRect& b);

}  // namespace vizo::renderer
