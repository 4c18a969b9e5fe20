// The list of error reports against what it describes: the README's table, and the places in the
// sources that make the reports.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
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
  // Every module names its reports' numbers in one declaration, in a namespace of the module's name
  // under vizo::reports, and raises them by those names.
  std::set<std::pair<std::string, int>> made;
  const std::regex block(R"(namespace vizo::reports::(\w+) \{([^}]*)\})");
  for (const char* folder : {"shell", "settings", "renderer", "gfxutil"}) {
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(std::string(VIZO_SOURCE_DIR) + "/" + folder)) {
      const std::string path = entry.path().string();
      if (!entry.is_regular_file() || (path.ends_with(".h") == path.ends_with(".cpp"))) continue;
      const std::string text = Read(path.substr(std::string(VIZO_SOURCE_DIR).size() + 1));
      for (std::sregex_iterator i(text.begin(), text.end(), block), end; i != end; ++i) {
        for (const int n : Numbers((*i)[2], R"(\w+ = (\d+)[,;])")) made.emplace((*i)[1], n);
      }
    }
  }

  std::set<std::pair<std::string, int>> listed;
  for (const auto& r : ErrorReports) listed.emplace(r.module, r.number);
  EXPECT_EQ(made, listed);
}

}  // namespace
}  // namespace vizo::shell
