#include "updater_cli/Output.h"

#include <gtest/gtest.h>

using namespace tolvar::cli;

// Counts are grouped by thousands and each size is read in the unit that suits it.
TEST(Output, LinesGroupCountsAndGiveEachSizeItsUnit) {
    Report report;
    report.products = {{"Lumeo", "/opt/Lumeo", Outcome::Updated, "", 1, 999, 0.25},
                       {"Vantro", "/opt/Vantro", Outcome::WouldUpdate, "", 123456, 1500000, 0}};
    report.ended = {{"Node.exe", 42}};
    EXPECT_EQ(humanLines(report), "Lumeo: updated (1 file, 999 bytes, 0.2 s)\n"
                                  "Vantro: would update (123,456 files, 1.5 MB)\n"
                                  "Ended Node.exe (process 42)\n");
}
