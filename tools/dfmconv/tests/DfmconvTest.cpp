#include <gtest/gtest.h>
TEST(Dfmconv, Placeholder) {}
