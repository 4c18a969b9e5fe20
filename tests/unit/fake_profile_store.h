// A settings file in memory that records every write.
#pragma once

#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "settings/settings_file.h"

namespace vizo::settings::testing {

class FakeProfileStore final : public ProfileStore {
 public:
  std::map<std::string, std::string> keys;
  std::set<std::string> failingKeys;
  std::vector<std::pair<std::string, std::string>> writes;

  std::int32_t ReadInt(const char* key, std::int32_t fallback) override {
    const auto found = keys.find(key);
    return found == keys.end() ? fallback : static_cast<std::int32_t>(std::atoi(found->second.c_str()));
  }
  std::string ReadText(const char* key, const char* fallback) override {
    const auto found = keys.find(key);
    return (found == keys.end() ? std::string(fallback) : found->second).substr(0, ProfileTextSize - 1);
  }
  bool WriteText(const char* key, const char* text) override {
    writes.emplace_back(key, text);
    if (failingKeys.count(key)) return false;
    keys[key] = text;
    return true;
  }
  bool RemoveKey(const char* key) override {
    writes.emplace_back(key, "(removed)");
    if (failingKeys.count(key)) return false;
    keys.erase(key);
    return true;
  }
};

}  // namespace vizo::settings::testing
