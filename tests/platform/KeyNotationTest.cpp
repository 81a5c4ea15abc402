#include "platform/KeyNotation.h"
#include <gtest/gtest.h>
TEST(KeyNotation, Placeholder) { SUCCEED(); }
