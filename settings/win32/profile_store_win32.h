// The settings file through the Windows private-profile functions, under its bare file name so
// that Windows decides where it lives.
#pragma once

#include "settings/settings_file.h"

namespace vizo::win32 {

class Win32ProfileStore final : public settings::ProfileStore {
 public:
  std::int32_t ReadInt(const char* key, std::int32_t fallback) override;
  std::string ReadText(const char* key, const char* fallback) override;
  bool WriteText(const char* key, const char* text) override;
  bool RemoveKey(const char* key) override;
};

}  // namespace vizo::win32
