// The resources of the built saver, read as the system reads them, and the sprite textures made
// from them on a real device.
#include <gtest/gtest.h>

#include "harness.h"

#include <d3d9.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gfxutil/win32/texture_from_resource.h"
#include "vizo_version.h"

namespace vizo::winetest {
namespace {

constexpr WORD Japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
constexpr WORD English = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

class SaverResources : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryExA(SaverPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
  }
  // The size of a resource in the Japanese locale, or 0 when there is none.
  DWORD SizeOf(LPCSTR type, LPCSTR name) const {
    HRSRC found = FindResourceExA(module_, type, name, Japanese);
    return found ? SizeofResource(module_, found) : 0;
  }
  HMODULE module_ = nullptr;
};

TEST_F(SaverResources, HoldsTheImagesDialogNameAndIconInTheJapaneseLocale) {
  const struct {
    LPCSTR type;
    LPCSTR name;
    DWORD size;
  } expected[] = {
      {RT_BITMAP, "IMG/HANABI0.BMP", 120042}, {RT_BITMAP, "IMG/HANABI1.BMP", 120042},
      {RT_BITMAP, "IMG/HANABI2.BMP", 120042}, {RT_BITMAP, "IMG/HANABI3.BMP", 120042},
      {RT_BITMAP, "IMG/HANABI4.BMP", 120042}, {RT_BITMAP, "IMG/HANABI5.BMP", 120042},
      {RT_BITMAP, "IMG/FLASH.BMP", 750042},   {RT_DIALOG, MAKEINTRESOURCEA(2003), 486},
      {RT_ICON, MAKEINTRESOURCEA(1), 11432},  {RT_ICON, MAKEINTRESOURCEA(2), 5672},
      {RT_ICON, MAKEINTRESOURCEA(3), 3752},   {RT_GROUP_ICON, "ID_APP", 48},
  };
  for (const auto& r : expected) {
    char name[64];
    if (IS_INTRESOURCE(r.name)) {
      std::snprintf(name, sizeof name, "#%u", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(r.name)));
    } else {
      std::snprintf(name, sizeof name, "%s", r.name);
    }
    EXPECT_EQ(SizeOf(r.type, r.name), r.size) << name;
  }
  EXPECT_NE(FindResourceExA(module_, RT_STRING, MAKEINTRESOURCEA(1), Japanese), nullptr);
  // The English dialog has an id of its own, so that the loader never chooses between the two.
  EXPECT_NE(FindResourceExA(module_, RT_DIALOG, MAKEINTRESOURCEA(2004), English), nullptr);
  EXPECT_EQ(FindResourceExA(module_, RT_DIALOG, MAKEINTRESOURCEA(2004), Japanese), nullptr);
  EXPECT_EQ(FindResourceExA(module_, RT_DIALOG, MAKEINTRESOURCEA(2003), English), nullptr);
  char title[32] = {};
  LoadStringA(module_, 1, title, sizeof title);
  EXPECT_STREQ(title, "vizovizo");
  // The effect is defined in the program, not stored.
  EXPECT_EQ(FindResourceA(module_, "HANABI.OBJ", "OBJ"), nullptr);
  // Names are found regardless of case, as the painter asks for them.
  EXPECT_NE(FindResourceA(module_, "img/hanabi3.bmp", RT_BITMAP), nullptr);
}

// The manifest as the system takes it from the saver: resource 1 of type RT_MANIFEST, read into an
// activation context.
TEST_F(SaverResources, TheManifestDeclaresDpiAwarenessAndTheWindowsItSupportsButNoExecutionLevel) {
  const std::string path = SaverPath();
  const std::wstring saver(path.begin(), path.end());
  ACTCTXW request{};
  request.cbSize = sizeof request;
  request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  request.lpSource = saver.c_str();
  request.lpResourceName = MAKEINTRESOURCEW(1);
  HANDLE context = CreateActCtxW(&request);
  ASSERT_NE(context, INVALID_HANDLE_VALUE);
  const auto setting = [&](const wchar_t* space, const wchar_t* name) {
    wchar_t value[64] = {};
    SIZE_T written = 0;
    return QueryActCtxSettingsW(0, context, space, name, value, 64, &written) ? std::wstring(value) : L"(none)";
  };
  EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware"), L"true/pm");
  EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
            L"PerMonitorV2, PerMonitor");
  // An execution level, even "asInvoker", would switch off the file virtualisation that lets a
  // standard user's settings file reach the Windows folder.
  ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level{};
  ASSERT_TRUE(QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &level, sizeof level, nullptr));
  EXPECT_EQ(level.RunLevel, ACTCTX_RUN_LEVEL_UNSPECIFIED);
  ReleaseActCtx(context);

  HRSRC found = FindResourceA(module_, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(found, nullptr);
  const std::string text(static_cast<const char*>(LockResource(LoadResource(module_, found))),
                         SizeofResource(module_, found));
  for (const char* supported : {"e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                                "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                                "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"}) {
    EXPECT_NE(text.find(std::string("<supportedOS Id=\"{") + supported + "}\"/>"), std::string::npos) << supported;
  }
}

TEST(SaverVersion, FilePropertiesShowTheProductAndTheProjectVersionInJapaneseAndEnglish) {
  const std::string path = SaverPath();
  DWORD ignored = 0;
  std::vector<char> info(GetFileVersionInfoSizeA(path.c_str(), &ignored));
  ASSERT_FALSE(info.empty());
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  const DWORD major = VIZO_VERSION_MAJOR, minor = VIZO_VERSION_MINOR, patch = VIZO_VERSION_PATCH;
  EXPECT_EQ(fixed->dwFileVersionMS, major << 16 | minor);
  EXPECT_EQ(fixed->dwFileVersionLS, patch << 16);
  EXPECT_EQ(fixed->dwProductVersionMS, major << 16 | minor);
  WORD* translation = nullptr;
  ASSERT_TRUE(
      VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
  // Japanese first, then English for everyone else.
  ASSERT_GE(length, 8u);
  EXPECT_EQ(translation[0], Japanese);
  EXPECT_EQ(translation[2], English);
  const auto text = [&](const char* block, const char* name) {
    char* value = nullptr;
    const std::string key = std::string("\\StringFileInfo\\") + block + "\\" + name;
    return VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) ? std::string(value)
                                                                                               : std::string();
  };
  for (const char* block : {"041104B0", "040904B0"}) {
    EXPECT_EQ(text(block, "ProductName"), "vizovizo") << block;
    EXPECT_EQ(text(block, "FileVersion"), VIZO_VERSION_TEXT) << block;
    EXPECT_EQ(text(block, "ProductVersion"), VIZO_VERSION_TEXT) << block;
  }
  EXPECT_EQ(text("041104B0", "FileDescription").rfind("vizovizo", 0), 0u);
  EXPECT_EQ(text("040904B0", "FileDescription"), "vizovizo fireworks screen saver");
}

}  // namespace
}  // namespace vizo::winetest
