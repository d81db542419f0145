#include "Extended80.h"
#include <gtest/gtest.h>
TEST(X, Y) { EXPECT_EQ(dfm::Extended80::FromDouble(0.1f).ToText(), "0.100000001490116"); }
