#include <gtest/gtest.h>
TEST(Variant, Placeholder) {}
