#include <gtest/gtest.h>

#include "cli/progress.h"

namespace s4::cli {
namespace {

TEST(ProgressBar, RendersWholePercentsAndClampsOverruns) {
  EXPECT_EQ(ProgressBar::Render("Programming", 0, 200, 10), "Programming [          ]   0%");
  EXPECT_EQ(ProgressBar::Render("Programming", 101, 200, 10), "Programming [#####     ]  50%");
  EXPECT_EQ(ProgressBar::Render("Programming", 999, 200, 10), "Programming [##########] 100%");
  EXPECT_EQ(ProgressBar::Render("Empty", 0, 0, 4), "Empty [####] 100%");
}

}  // namespace
}  // namespace s4::cli
