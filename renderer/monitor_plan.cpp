#include "monitor_plan.h"

#include <algorithm>
#include <cstddef>

namespace vizo::renderer {

namespace {

int IndexOf(const std::vector<DesktopMonitor>& desktop, MonitorHandle handle) {
  if (handle == 0) return -1;
  const auto found = std::find_if(desktop.begin(), desktop.end(),
                                  [handle](const DesktopMonitor& m) { return m.handle == handle; });
  return found == desktop.end() ? -1 : static_cast<int>(found - desktop.begin());
}

}  // namespace

MonitorPlan PlanMonitors(const std::vector<DesktopMonitor>& desktop, const std::vector<MonitorHandle>& adapterMonitors) {
  MonitorPlan plan;
  plan.mainMonitor = adapterMonitors.empty() ? -1 : IndexOf(desktop, adapterMonitors[0]);
  if (plan.mainMonitor < 0) {
    const auto primary = std::find_if(desktop.begin(), desktop.end(), [](const DesktopMonitor& m) { return m.primary; });
    if (primary != desktop.end()) plan.mainMonitor = static_cast<int>(primary - desktop.begin());
  }
  for (int monitor = 0; monitor < static_cast<int>(desktop.size()); ++monitor) {
    if (monitor != plan.mainMonitor) plan.covered.push_back(monitor);
  }
  std::vector<bool> taken(desktop.size(), false);
  if (plan.mainMonitor >= 0) taken[static_cast<std::size_t>(plan.mainMonitor)] = true;
  plan.adapterMonitor.assign(adapterMonitors.size(), -1);
  if (!plan.adapterMonitor.empty()) plan.adapterMonitor[0] = plan.mainMonitor;
  for (std::size_t adapter = 1; adapter < adapterMonitors.size(); ++adapter) {
    const int monitor = IndexOf(desktop, adapterMonitors[adapter]);
    if (monitor < 0 || taken[static_cast<std::size_t>(monitor)]) continue;
    taken[static_cast<std::size_t>(monitor)] = true;
    plan.adapterMonitor[adapter] = monitor;
  }
  return plan;
}

std::optional<MonitorRect> WhereNow(const DesktopMonitor& was, const std::vector<DesktopMonitor>& now) {
  if (!was.name.empty()) {
    for (const DesktopMonitor& monitor : now) {
      if (monitor.name == was.name) return monitor.rect;
    }
    return std::nullopt;  // its handle's value may be another monitor's by now
  }
  const int byHandle = IndexOf(now, was.handle);
  if (byHandle >= 0) return now[static_cast<std::size_t>(byHandle)].rect;
  return std::nullopt;
}

bool Overlap(const MonitorRect& a, const MonitorRect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace vizo::renderer
