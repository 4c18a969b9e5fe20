// The list of error reports against what it describes: the README's table, and the places in the
// sources that make the reports.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "shell/error_reports.h"

namespace vizo::shell {
namespace {

std::string Read(const std::string& relative) {
  std::ifstream in(std::string(VIZO_SOURCE_DIR) + "/" + relative);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<int> Numbers(const std::string& text, const std::string& pattern) {
  std::vector<int> found;
  const std::regex expression(pattern);
  for (std::sregex_iterator i(text.begin(), text.end(), expression), end; i != end; ++i) {
    found.push_back(std::stoi((*i)[1]));
  }
  return found;
}

TEST(ErrorReports, TheReadmeTableIsTheList) {
  std::vector<std::tuple<std::string, int, std::string, std::string>> table, list;
  const std::string readme = Read("README.md");
  const std::regex row(R"(\| `(\w+)` \| (\d+) \| ([^|]+) \| ([^|]+) \|)");
  for (std::sregex_iterator i(readme.begin(), readme.end(), row), end; i != end; ++i) {
    table.emplace_back((*i)[1], std::stoi((*i)[2]), (*i)[3], (*i)[4]);
  }
  for (const auto& r : ErrorReports) list.emplace_back(r.module, r.number, r.happened, r.remedy);
  EXPECT_EQ(table, list);
}

TEST(ErrorReports, TheListHoldsEveryReportTheSourcesMake) {
  std::set<std::pair<std::string, int>> made;
  const auto add = [&](const std::string& module, const std::vector<int>& numbers) {
    for (const int n : numbers) made.emplace(module, n);
  };
  add("ScreenMain", Numbers(Read("renderer/scene_owner.cpp"), R"(Fail\((\d+)\))"));
  add("ScreenMain", Numbers(Read("renderer/win32/ScreenMain.cpp"), R"(ReportScreenMain\((\d+)\))"));
  for (const char* module : {"Quellar", "hanabiPainter"}) {
    add(module, Numbers(Read(std::string("renderer/win32/") + module + ".cpp"), R"(ReportError\(__FILE__, (\d+)\))"));
  }
  add("cameraObject", Numbers(Read("renderer/win32/cameraObject.cpp"), R"(camera\.\w+, (\d+)\})"));
  const std::string dialog = Read("settings/settings_dialog.h");
  const auto reports = dialog.find("namespace report {");
  ASSERT_NE(reports, std::string::npos);
  add("OptionDialog",
      Numbers(dialog.substr(reports, dialog.find('}', reports) - reports), R"(inline constexpr int \w+ = (\d+);)"));

  std::set<std::pair<std::string, int>> listed;
  for (const auto& r : ErrorReports) listed.emplace(r.module, r.number);
  EXPECT_EQ(made, listed);
}

}  // namespace
}  // namespace vizo::shell
