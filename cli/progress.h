// A progress bar for long s4host work, drawn on standard error only when it is a terminal
// (so pipes, files and --json output stay clean).
//
//   ProgressBar bar("Programming", totalBytes);
//   for (...) bar.Update(done);
//   bar.Finish();
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace s4::cli {

class ProgressBar {
 public:
  ProgressBar(std::string label, std::uint64_t total, bool enabled = true);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // Sets the amount done; redraws at most every 50 ms and whenever the percentage changes.
  void Update(std::uint64_t done);
  // Draws the full bar and ends its line.
  void Finish();
  bool visible() const { return visible_; }

  // Renders one line of the bar: "label [#####     ]  50%"; exposed for tests.
  static std::string Render(const std::string& label, std::uint64_t done, std::uint64_t total, int width);

 private:
  void Draw(std::uint64_t done);
  std::string label_;
  std::uint64_t total_;
  bool visible_;
  bool finished_ = false;
  int lastPercent_ = -1;
  std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace s4::cli
