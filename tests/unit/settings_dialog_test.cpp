#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <set>

#include "fake_profile_store.h"
#include "settings/settings_dialog.h"

namespace vizo::settings {
namespace {

constexpr std::uint32_t X8R8G8B8 = 22;
constexpr std::uint32_t R5G6B5 = 23;
constexpr std::uint32_t A4R4G4B4 = 26;

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// A trackbar and a sorted, editable combo box, as far as the dialog uses them.
class FakeControls final : public DialogControls {
 public:
  int position = 0;
  int minimum = 0;
  int maximum = 100;  // a new trackbar's range
  int tickFrequency = 0;
  std::vector<std::string> entries;
  std::string editText;
  bool allMonitors = false;

  void SetAllMonitors(bool checked) override { allMonitors = checked; }
  bool AllMonitors() override { return allMonitors; }
  void SetSliderPosition(int p) override { position = std::clamp(p, minimum, maximum); }
  void SetSliderRange(int low, int high) override {
    minimum = low;
    maximum = high;
    position = std::clamp(position, minimum, maximum);
  }
  void SetSliderTickFrequency(int frequency) override { tickFrequency = frequency; }
  int SliderPosition() override { return position; }
  void AddResolution(const std::string& text) override {
    entries.insert(std::upper_bound(entries.begin(), entries.end(), text), text);
  }
  int FindResolution(const std::string& text) override {
    for (size_t i = 0; i < entries.size(); ++i) {
      if (SameIgnoringCase(entries[i], text)) return static_cast<int>(i);
    }
    return -1;
  }
  void SelectResolution(int index) override {
    editText = index >= 0 && index < static_cast<int>(entries.size()) ? entries[static_cast<size_t>(index)] : "";
  }
  std::string ResolutionText() override { return editText.substr(0, ProfileTextSize - 1); }
};

class FakeModes final : public DisplayModeSource {
 public:
  bool available = true;
  std::optional<DisplayMode> desktop = DisplayMode{1024, 768, 60, X8R8G8B8};
  std::vector<DisplayMode> modes;  // what the adapter lists for the desktop's format
  std::uint32_t askedFormat = 0;
  bool open = false;

  bool Open() override { return open = available; }
  std::optional<DisplayMode> CurrentMode() override { return desktop; }
  std::uint32_t ModeCount(std::uint32_t format) override {
    askedFormat = format;
    return static_cast<std::uint32_t>(modes.size());
  }
  DisplayMode Mode(std::uint32_t, std::uint32_t index) override {
    if (index < modes.size()) return modes[index];
    ADD_FAILURE() << "mode " << index << " read past the count, " << modes.size();
    return {};
  }
  void Close() override { open = false; }
};

// Wine's virtual desktop offers these, all X8R8G8B8 at 60 Hz; one more refresh rate is added.
std::vector<DisplayMode> VirtualDesktopModes() {
  std::vector<DisplayMode> modes;
  for (const auto& [w, h] : std::vector<std::pair<std::uint32_t, std::uint32_t>>{{320, 200},
                                                                                 {320, 240},
                                                                                 {400, 300},
                                                                                 {512, 384},
                                                                                 {640, 400},
                                                                                 {640, 480},
                                                                                 {768, 576},
                                                                                 {800, 600},
                                                                                 {1024, 768}}) {
    modes.push_back({w, h, 60, X8R8G8B8});
  }
  modes.push_back({800, 600, 75, X8R8G8B8});
  return modes;
}

std::vector<int> g_reports;
void RecordReport(int line) { g_reports.push_back(line); }

struct DialogFixture : ::testing::Test {
  FakeControls controls;
  FakeModes modes;
  testing::FakeProfileStore store;
  SettingsDialog dialog{controls, modes, store, RecordReport};

  void SetUp() override {
    g_reports.clear();
    modes.modes = VirtualDesktopModes();
  }
};

TEST(FormatChannelBits, CountsBitsPerColourChannel) {
  const struct {
    std::uint32_t format;
    int bits;
  } cases[] = {{20, 8},  {21, 8},  {22, 8}, {23, 5}, {24, 5}, {25, 5}, {26, 4}, {30, 4}, {27, 2},        {29, 2},
               {31, 10}, {35, 10}, {28, 0}, {32, 0}, {33, 0}, {34, 0}, {0, 0},  {36, 0}, {0xFFFFFFFF, 0}};
  for (const auto& c : cases) EXPECT_EQ(FormatChannelBits(c.format), c.bits) << c.format;
}

TEST_F(DialogFixture, WithoutAFileShowsHighLoadAndTheDesktopSize) {
  modes.modes.insert(modes.modes.begin(), {1152, 864, 60, X8R8G8B8});  // the first listed is offered too
  dialog.Load();
  EXPECT_EQ(controls.position, 10);
  EXPECT_EQ(controls.maximum, 10);
  EXPECT_EQ(controls.tickFrequency, 1);
  // Small sizes left out, one entry per size, sorted as text.
  EXPECT_EQ(controls.entries,
            (std::vector<std::string>{"1024 x 768", "1152 x 864", "640 x 480", "768 x 576", "800 x 600"}));
  EXPECT_EQ(controls.editText, "1024 x 768");
  EXPECT_EQ(modes.askedFormat, X8R8G8B8);
  EXPECT_FALSE(modes.open);  // released after use
  EXPECT_TRUE(g_reports.empty());
}

TEST_F(DialogFixture, StoredLoadIsShownWithinTheSlidersRange) {
  const struct {
    const char* stored;
    int shown;
  } cases[] = {{"25", 10}, {"7", 7}, {"0", 0}, {"-3", 0}, {"100", 10}};
  for (const auto& c : cases) {
    FakeControls fresh;
    store.keys = {{"Hanabi", c.stored}};
    SettingsDialog{fresh, modes, store, RecordReport}.Load();
    EXPECT_EQ(fresh.position, c.shown) << c.stored;
  }
}

TEST_F(DialogFixture, SelectsOnlyAnEntryEqualToTheStoredDisplay) {
  const struct {
    const char* stored;
    const char* shown;
  } cases[] = {
      {"800 x 600", "800 x 600"}, {"800 X 600", "800 x 600"},  // the box compares without regard to case
      {"1024x768", ""},           {"1280 x 1024", ""},        {"", ""},
  };
  for (const auto& c : cases) {
    FakeControls fresh;
    store.keys = {{"Display", c.stored}};
    SettingsDialog{fresh, modes, store, RecordReport}.Load();
    EXPECT_EQ(fresh.editText, c.shown) << c.stored;
  }
}

TEST_F(DialogFixture, OffersModesOnlyInColourFormatsWithFiveBitsOrMore) {
  const struct {
    std::uint32_t format;
    size_t entries;
  } cases[] = {{R5G6B5, 4}, {A4R4G4B4, 0}, {28, 0}};
  for (const auto& c : cases) {
    FakeControls fresh;
    modes.desktop = DisplayMode{1024, 768, 60, c.format};
    modes.modes = VirtualDesktopModes();
    for (auto& mode : modes.modes) mode.format = c.format;
    SettingsDialog{fresh, modes, store, RecordReport}.Load();
    EXPECT_EQ(fresh.entries.size(), c.entries) << c.format;
  }
}

TEST_F(DialogFixture, NoModesLeaveTheBoxEmpty) {
  modes.modes.clear();
  dialog.Load();
  EXPECT_TRUE(controls.entries.empty());
  EXPECT_EQ(controls.editText, "");
}

TEST_F(DialogFixture, WithoutDirect3DReportsAndListsNothing) {
  modes.available = false;
  store.keys = {{"Hanabi", "4"}, {"Display", "1600 x 1200"}};
  dialog.Load();
  EXPECT_EQ(g_reports, std::vector<int>{40});
  EXPECT_EQ(controls.position, 4);
  EXPECT_TRUE(controls.entries.empty());
}

TEST_F(DialogFixture, OkWritesAllEightKeysInOrderThenSetsOrRemovesAllMonitors) {
  for (const bool checked : {false, true}) {
    store.writes.clear();
    store.keys = {{"AllMonitors", "0"}};
    dialog.Load();
    controls.SetSliderPosition(7);
    controls.editText = "1280x1024 typed";  // typed into the edit field
    controls.allMonitors = checked;
    dialog.Save();
    EXPECT_EQ(store.writes,
              (std::vector<std::pair<std::string, std::string>>{{"Hanabi", "7"},
                                                                {"Particle", "0"},
                                                                {"Flash", "0"},
                                                                {"Back", "0"},
                                                                {"Smoke", "0"},
                                                                {"Reflect", "0"},
                                                                {"Display", "1280x1024 typed"},
                                                                {"Buffer", ""},
                                                                {"AllMonitors", checked ? "1" : "(removed)"}}));
    EXPECT_EQ(store.keys.count("AllMonitors"), checked ? 1u : 0u);
  }
  EXPECT_TRUE(g_reports.empty());
}

TEST_F(DialogFixture, EveryFailedWriteIsReportedAndTheSaveGoesOn) {
  const struct {
    std::set<std::string> failing;
    bool checked;
    bool keyStored;  // AllMonitors in the file before
    std::vector<int> reports;
  } cases[] = {
      {{"Hanabi", "Particle", "Flash", "Back", "Smoke", "Reflect", "Display", "Buffer", "AllMonitors"},
       false,
       false,
       {93, 95, 98, 100, 102, 104, 107, 109}},  // nothing to remove: no ninth report
      {{"Hanabi", "Particle", "Flash", "Back", "Smoke", "Reflect", "Display", "Buffer", "AllMonitors"},
       true,
       false,
       {93, 95, 98, 100, 102, 104, 107, 109, 111}},
      {{"Display"}, false, true, {107}},
      {{"AllMonitors"}, false, true, {111}},  // the key stays: the saver would still use it
      {{"AllMonitors"}, true, false, {111}},
  };
  for (const auto& c : cases) {
    g_reports.clear();
    store.writes.clear();
    store.keys.clear();
    if (c.keyStored) store.keys["AllMonitors"] = "1";
    store.failingKeys = c.failing;
    controls.allMonitors = c.checked;
    dialog.Save();
    EXPECT_EQ(store.writes.size(), 9u);
    EXPECT_EQ(g_reports, c.reports);
  }
}

TEST_F(DialogFixture, DefaultsMovesTheSliderAndClearsAllMonitors) {
  store.keys = {{"Hanabi", "2"}, {"Display", "800 x 600"}, {"AllMonitors", "1"}};
  dialog.Load();
  ASSERT_TRUE(controls.allMonitors);
  dialog.Reset();
  EXPECT_EQ(controls.position, 10);
  EXPECT_FALSE(controls.allMonitors);
  EXPECT_EQ(controls.editText, "800 x 600");
  EXPECT_TRUE(store.writes.empty());
}

}  // namespace
}  // namespace vizo::settings
