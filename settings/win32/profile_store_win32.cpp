#include "profile_store_win32.h"

#include <windows.h>

namespace vizo::win32 {

using settings::SettingsFileName;
using settings::SettingsSection;

std::int32_t Win32ProfileStore::ReadInt(const char* key, std::int32_t fallback) {
  return static_cast<std::int32_t>(GetPrivateProfileIntA(SettingsSection, key, fallback, SettingsFileName));
}

std::string Win32ProfileStore::ReadText(const char* key, const char* fallback) {
  char text[settings::ProfileTextSize] = {};
  GetPrivateProfileStringA(SettingsSection, key, fallback, text, sizeof text, SettingsFileName);
  return text;
}

bool Win32ProfileStore::WriteText(const char* key, const char* text) {
  return WritePrivateProfileStringA(SettingsSection, key, text, SettingsFileName) != FALSE;
}

bool Win32ProfileStore::RemoveKey(const char* key) {
  return WritePrivateProfileStringA(SettingsSection, key, nullptr, SettingsFileName) != FALSE;
}

}  // namespace vizo::win32
