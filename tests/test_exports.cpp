#include "tests/module_fixture.h"

namespace s4::test {
namespace {

TEST(Exports, CountIs486) {
  std::int32_t n = 0;
  EXPECT_EQ(Module().CallDriverCount(&n), S_OK);
  EXPECT_EQ(n, 486);
}

}  // namespace
}  // namespace s4::test
