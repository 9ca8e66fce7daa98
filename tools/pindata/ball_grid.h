// Ball names of the family's BGA packages.
//
// A package is a full square grid of N x N balls without its four corner balls. Rows are
// lettered A..Y without I, O, Q, S, X and Z (20 letters), then AA, AB, .. AY, then BA, BB, ..
// in the same way; columns are numbered from 1. A ball is named row + column ("A10", "AB13").
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace s4::pindata {

struct BallPosition {
  int row = 0;     // 0-based
  int column = 0;  // 0-based (the name's number minus one)
};

// The name of row `row` (0-based): "A", .., "Y", "AA", ...
std::string RowName(int row);

// The ball name at a position; the caller guarantees the position is on the grid.
std::string BallName(BallPosition p);

// The position of a ball of an N x N grid, or nothing when the name is not a ball of it
// (unknown row, column out of range, leading zero, or one of the four corners).
std::optional<BallPosition> ParseBall(std::string_view name, int gridSize);

// Every ball of an N x N grid in row-major order (N*N - 4 names).
std::vector<std::string> AllBalls(int gridSize);

}  // namespace s4::pindata
