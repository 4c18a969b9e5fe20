#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <optional>

#include "fake_profile_store.h"
#include "settings/settings_file.h"

namespace vizo::settings {
namespace {

SceneSettings Read(const std::map<std::string, std::string>& file, const char* desktop = "1024 x 768") {
  testing::FakeProfileStore store;
  store.keys = file;
  SceneSettings settings;
  ReadSceneSettings(store, desktop, settings);
  return settings;
}

TEST(SceneSettings, NoFileGivesTheDefaults) {
  const SceneSettings s = Read({}, "1280 x 1024");
  EXPECT_EQ(s.spacing, 1);
  EXPECT_EQ(s.particleCount, 60);
  EXPECT_TRUE(s.flash && s.back && s.smoke && s.reflect);
  EXPECT_EQ(s.displayWidth, 1280);
  EXPECT_EQ(s.displayHeight, 1024);
  EXPECT_EQ(s.bufferWidth, 512);
  EXPECT_EQ(s.bufferHeight, 512);
}

TEST(SceneSettings, SpacingFollowsTheLoadUnclamped) {
  const struct {
    const char* hanabi;
    std::int32_t spacing;
  } cases[] = {{"10", 1}, {"9", 1}, {"3", 7}, {"0", 10}, {"11", -1}, {"20", -10}, {"-5", 15}};
  for (const auto& c : cases) EXPECT_EQ(Read({{"Hanabi", c.hanabi}}).spacing, c.spacing) << c.hanabi;
  // Far out of range it wraps instead of overflowing.
  EXPECT_EQ(SpacingFromLoad(INT_MIN), static_cast<std::int32_t>(10u + 0x80000000u));
}

TEST(SceneSettings, FlagsAreTrueOnlyForExactlyOne) {
  const struct {
    std::optional<const char*> value;
    bool flag;
  } cases[] = {{"1", true}, {"2", false}, {"0", false}, {std::nullopt, true}};
  for (const auto& c : cases) {
    std::map<std::string, std::string> file;
    if (c.value) file = {{"Flash", *c.value}, {"Back", *c.value}, {"Smoke", *c.value}, {"Reflect", *c.value}};
    const SceneSettings s = Read(file);
    EXPECT_EQ(s.flash, c.flag);
    EXPECT_EQ(s.back, c.flag);
    EXPECT_EQ(s.smoke, c.flag);
    EXPECT_EQ(s.reflect, c.flag);
  }
  // Every monitor only for exactly 1; absent, it stays off.
  const struct {
    std::optional<const char*> value;
    bool on;
  } allMonitors[] = {{"1", true},    {"0", false}, {"2", false},          {"-1", false},
                     {"yes", false}, {"", false},  {std::nullopt, false}, {"01", true}};
  for (const auto& c : allMonitors) {
    std::map<std::string, std::string> file;
    if (c.value) file["AllMonitors"] = *c.value;
    EXPECT_EQ(Read(file).allMonitors, c.on) << c.value.value_or("(absent)");
  }
  EXPECT_EQ(Read({{"Particle", "0"}}).particleCount, 0);
  EXPECT_EQ(Read({{"Particle", "7"}}).particleCount, 42);
}

struct SizeCase {
  const char* text;
  std::int32_t width;
  std::int32_t height;
};

TEST(SceneSettings, DisplayScansWidthSpaceXHeight) {
  const SizeCase cases[] = {
      {"1024 x 768", 1024, 768},
      {"1024x768", 1024, 768},
      {"1024 x 768 at 60 Hz", 1024, 768},
      {"  800\t x\n600", 800, 600},
      {"800 X 600", 800, 0},  // only a lower-case x joins the numbers
      {"800", 800, 0},
      {"800 by 600", 800, 0},
      {"", 0, 0},  // present but empty: the default text is not used
      {"x 768", 0, 0},
      {"wide", 0, 0},
      {"-640 x +480", -640, 480},
      {"1024 x", 1024, 0},
  };
  for (const auto& c : cases) {
    const SceneSettings s = Read({{"Display", c.text}});
    EXPECT_EQ(s.displayWidth, c.width) << '"' << c.text << '"';
    EXPECT_EQ(s.displayHeight, c.height) << '"' << c.text << '"';
  }
}

TEST(SceneSettings, BufferNeedsTheXRightBehindTheWidth) {
  const SizeCase cases[] = {
      {"512x512", 512, 512}, {"512x 512", 512, 512}, {"512 x 512", 512, 0}, {"256 x 256", 256, 0}, {"", 0, 0},
  };
  for (const auto& c : cases) {
    const SceneSettings s = Read({{"Buffer", c.text}});
    EXPECT_EQ(s.bufferWidth, c.width) << '"' << c.text << '"';
    EXPECT_EQ(s.bufferHeight, c.height) << '"' << c.text << '"';
  }
}

TEST(SceneSettings, SizesTheTextDoesNotGiveKeepWhatTheyHeld) {
  std::int32_t width = 7;
  std::int32_t height = 9;
  ScanDisplaySize("", width, height);
  EXPECT_EQ(width, 7);
  EXPECT_EQ(height, 9);
  ScanDisplaySize("640", width, height);
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 9);
  ScanBufferSize("abc", width, height);
  EXPECT_EQ(width, 640);
}

TEST(SceneSettings, HugeNumbersWrapWithoutUndefinedBehaviour) {
  std::int32_t width = 0;
  std::int32_t height = 0;
  ScanDisplaySize("99999999999 x 4294967297", width, height);
  EXPECT_EQ(width, static_cast<std::int32_t>(99999999999ull % 4294967296ull));
  EXPECT_EQ(height, 1);
}

TEST(DisplayModeText, FormatsWidthAndHeight) {
  EXPECT_EQ(DisplayModeText(800, 600), "800 x 600");
  EXPECT_EQ(DisplayModeText(1024, 768), "1024 x 768");
}

}  // namespace
}  // namespace vizo::settings
