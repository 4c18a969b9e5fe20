#include <gtest/gtest.h>

#include "tools/frame_options.h"

namespace vizo::tools {
namespace {

TEST(FrameOptions, ReadsEveryOptionAndRefusesWhatItCantUse) {
  const auto ok = ParseFrameOptions(
      {"--seed", "7", "--size", "640x480", "--spacing", "-3", "--frames", "2-90", "--images", "img", "--out", "out"});
  ASSERT_TRUE(std::holds_alternative<FrameOptions>(ok)) << std::get<std::string>(ok);
  const FrameOptions& o = std::get<FrameOptions>(ok);
  EXPECT_EQ(o.seed, 7u);
  EXPECT_EQ(o.width, 640);
  EXPECT_EQ(o.height, 480);
  EXPECT_EQ(o.spacing, -3);
  EXPECT_EQ(o.first, 2);
  EXPECT_EQ(o.last, 90);
  EXPECT_EQ(o.images, "img");
  EXPECT_FALSE(o.help);

  const auto single = ParseFrameOptions({"--frames", "5", "--out", "o"});
  EXPECT_EQ(std::get<FrameOptions>(single).last, 5);
  EXPECT_TRUE(std::get<FrameOptions>(ParseFrameOptions({"--help"})).help);

  const std::vector<std::string> refused[] = {
      {},                                        // no --out
      {"--out"},                                 // no value
      {"--size", "640", "--out", "o"},           // no height
      {"--size", "0x10", "--out", "o"},          // empty
      {"--size", "3000000000x2", "--out", "o"},  // beyond an int
      {"--size", "20000x20000", "--out", "o"},   // beyond what any frame needs
      {"--spacing", "0", "--out", "o"},          // nothing would draw
      {"--frames", "9-3", "--out", "o"},         // backwards
      {"--frames", "0", "--out", "o"},           // before the first frame
      {"--seed", "12abc", "--out", "o"},         // not a number
      {"--colour", "red", "--out", "o"},         // no such option
  };
  for (const auto& arguments : refused) {
    const auto result = ParseFrameOptions(arguments);
    EXPECT_TRUE(std::holds_alternative<std::string>(result)) << ::testing::PrintToString(arguments);
  }
}

}  // namespace
}  // namespace vizo::tools
