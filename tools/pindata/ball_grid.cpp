#include "tools/pindata/ball_grid.h"


namespace s4::pindata {
namespace {

constexpr std::string_view kRowLetters = "ABCDEFGHJKLMNPRTUVWY";  // no I, O, Q, S, X, Z

int LetterIndex(char c) {
  const auto pos = kRowLetters.find(c);
  return pos == std::string_view::npos ? -1 : static_cast<int>(pos);
}

bool IsCorner(BallPosition p, int n) {
  return (p.row == 0 || p.row == n - 1) && (p.column == 0 || p.column == n - 1);
}

}  // namespace

std::string RowName(int row) {
  const int letters = static_cast<int>(kRowLetters.size());
  if (row < letters) return std::string(1, kRowLetters[static_cast<std::size_t>(row)]);
  // Two-letter rows: the first letter counts the passes (A for the second pass, B for the
  // third, ...), the second letter runs through the same alphabet.
  const int pass = row / letters - 1;
  return std::string{kRowLetters[static_cast<std::size_t>(pass)],
                     kRowLetters[static_cast<std::size_t>(row % letters)]};
}

std::string BallName(BallPosition p) { return RowName(p.row) + std::to_string(p.column + 1); }

std::optional<BallPosition> ParseBall(std::string_view name, int gridSize) {
  std::size_t i = 0;
  while (i < name.size() && name[i] >= 'A' && name[i] <= 'Z') ++i;
  if (i == 0 || i > 2 || i == name.size()) return std::nullopt;
  int row = -1;
  if (i == 1) {
    row = LetterIndex(name[0]);
  } else {
    const int first = LetterIndex(name[0]), second = LetterIndex(name[1]);
    if (first >= 0 && second >= 0) row = (first + 1) * static_cast<int>(kRowLetters.size()) + second;
  }
  if (row < 0 || row >= gridSize) return std::nullopt;
  if (name[i] == '0') return std::nullopt;
  int column = 0;
  for (std::size_t j = i; j < name.size(); ++j) {
    if (name[j] < '0' || name[j] > '9') return std::nullopt;
    column = column * 10 + (name[j] - '0');
    if (column > gridSize) return std::nullopt;
  }
  const BallPosition p{row, column - 1};
  if (p.column < 0 || IsCorner(p, gridSize)) return std::nullopt;
  return p;
}

std::vector<std::string> AllBalls(int gridSize) {
  std::vector<std::string> balls;
  for (int r = 0; r < gridSize; ++r)
    for (int c = 0; c < gridSize; ++c)
      if (!IsCorner({r, c}, gridSize)) balls.push_back(BallName({r, c}));
  return balls;
}

}  // namespace s4::pindata
