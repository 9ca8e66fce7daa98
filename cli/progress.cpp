#include "cli/progress.h"

#include <cstdio>

#if defined(_WIN32)
#  include <io.h>
#  define S4_ISATTY _isatty
#  define S4_FILENO _fileno
#else
#  include <unistd.h>
#  define S4_ISATTY isatty
#  define S4_FILENO fileno
#endif

namespace s4::cli {

ProgressBar::ProgressBar(std::string label, std::uint64_t total, bool enabled)
    : label_(std::move(label)), total_(total), visible_(enabled && S4_ISATTY(S4_FILENO(stderr))) {}

ProgressBar::~ProgressBar() {
  if (visible_ && !finished_ && lastPercent_ >= 0) std::fputc('\n', stderr);
}

std::string ProgressBar::Render(const std::string& label, std::uint64_t done, std::uint64_t total, int width) {
  if (done > total) done = total;
  const int percent = total ? static_cast<int>(done * 100 / total) : 100;
  const int filled = total ? static_cast<int>(done * static_cast<std::uint64_t>(width) / total) : width;
  std::string line = label + " [";
  line.append(static_cast<std::size_t>(filled), '#');
  line.append(static_cast<std::size_t>(width - filled), ' ');
  char pct[8];
  std::snprintf(pct, sizeof pct, "] %3d%%", percent);
  return line + pct;
}

void ProgressBar::Draw(std::uint64_t done) {
  std::fprintf(stderr, "\r%s", Render(label_, done, total_, 40).c_str());
  std::fflush(stderr);
}

void ProgressBar::Update(std::uint64_t done) {
  if (!visible_ || finished_) return;
  const int percent = total_ ? static_cast<int>((done > total_ ? total_ : done) * 100 / total_) : 100;
  const auto now = std::chrono::steady_clock::now();
  if (percent == lastPercent_ && now - lastDraw_ < std::chrono::milliseconds(50)) return;
  lastPercent_ = percent;
  lastDraw_ = now;
  Draw(done);
}

void ProgressBar::Finish() {
  if (!visible_ || finished_) return;
  Draw(total_);
  std::fputc('\n', stderr);
  finished_ = true;
}

}  // namespace s4::cli
