#include "updater_cli/Output.h"

#include <gtest/gtest.h>

using namespace tolvar::cli;

// Counts are grouped by thousands and each size is read in the unit that suits it.
TEST(Output, LinesGroupCountsAndGiveEachSizeItsUnit) {
    Report report;
    report.products = {{"Lumeo", "/opt/Lumeo", Outcome::Updated, "", 1, 999, 0.25},
                       {"Lumeo", "/opt/Lumeo", Outcome::Updated, "", 2, 1500, 0.25},
                       {"Vantro", "/opt/Vantro", Outcome::WouldUpdate, "", 1234567, 1500000, 0}};
    report.ended = {{"Node.exe", 42}};
    EXPECT_EQ(humanLines(report), "Lumeo: updated (1 file, 999 bytes, 0.2 s)\n"
                                  "Lumeo: updated (2 files, 2 kB, 0.2 s)\n"
                                  "Vantro: would update (1,234,567 files, 1.5 MB)\n"
                                  "Ended Node.exe (process 42)\n");
}

// Every outcome by its name, with an error only where there is one; paths in another encoding
// and texts with quotes and controls still make a document that parses.
TEST(Output, EveryOutcomeHasItsLineAndItsNameInAValidDocument) {
    Report report;
    report.source = "/srv/\"new\\\"/Norvik";
    report.check = true;
    report.products = {{"Lumeo", "/opt/caf\xC3\xA9", Outcome::Unchanged, "", 0, 0, 0},
                       {"Vantro", "/opt/\xE9t\xE9\x01", Outcome::NotInstalled, "No\tpath", 0, 0, 0},
                       {"Lumeo", "/opt/\xE2\x82\xAC\xF0\x9F\x98\x80\xE2\x82", Outcome::Failed,
                        "Disk full", 0, 0, 1.5},
                       {"Vantro", "/v", Outcome::Updated, "", 2, 1000, 0.05},
                       {"Vantro", "/v", Outcome::WouldUpdate, "", 0, 12'500'000, 0}};
    EXPECT_EQ(humanLines(report), "Lumeo: unchanged\n"
                                  "Vantro: not installed: No\tpath\n"
                                  "Lumeo: failed, its Norvik folder is as it was: Disk full\n"
                                  "Vantro: updated (2 files, 1 kB, 0.1 s)\n"
                                  "Vantro: would update (0 files, 12 MB)\n");
    EXPECT_EQ(jsonDocument(report),
              R"({
  "source": "/srv/\"new\\\"/Norvik",
  "check": true,
  "exitCode": 1,
  "products": [
    {"name": "Lumeo", "directory": "/opt/café", "outcome": "unchanged", "error": null, "files": 0, "bytes": 0, "seconds": 0.000},
    {"name": "Vantro", "directory": "/opt/\ufffdt\ufffd\u0001", "outcome": "not-installed", "error": "No\u0009path", "files": 0, "bytes": 0, "seconds": 0.000},
    {"name": "Lumeo", "directory": "/opt/€😀\ufffd\ufffd", "outcome": "failed", "error": "Disk full", "files": 0, "bytes": 0, "seconds": 1.500},
    {"name": "Vantro", "directory": "/v", "outcome": "updated", "error": null, "files": 2, "bytes": 1000, "seconds": 0.050},
    {"name": "Vantro", "directory": "/v", "outcome": "would-update", "error": null, "files": 0, "bytes": 12500000, "seconds": 0.000}
  ],
  "processesEnded": []
}
)");
    EXPECT_EQ(humanLines({}), "No product is installed here.\n");
}
