#include "platform/DisplayMetrics.h"

#include <gtest/gtest.h>

using namespace tolvar::platform;

TEST(DisplayMetricsTest, MeasuresTheCurrentModeAndTheDesktopDpi) {
    const auto metrics = measureDisplay();
    ASSERT_TRUE(metrics);
    EXPECT_GT(metrics->width, 0);
    EXPECT_GT(metrics->height, 0);
    EXPECT_GE(metrics->dpi, 96);
}
