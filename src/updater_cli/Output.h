#pragma once

#include "updater_cli/UnattendedUpdate.h"

#include <string>

// What the command-line updater writes: lines for people, or one JSON document for tools.
namespace tolvar::cli {

// One line per product ("Lumeo: updated (20,000 files, 92 MB, 1.6 s)"), then one per process
// ended.
std::string humanLines(const Report& report);

// {"source", "check", "exitCode", "products": [{"name", "directory", "outcome", "error",
// "files", "bytes", "seconds"}], "processesEnded": [{"name", "id"}]}; "error" is null unless the
// product failed or is not installed.
std::string jsonDocument(const Report& report);

// The document for a run that could not start: {"exitCode": 2, "error": ...}.
std::string jsonSetUpError(const std::string& error);

} // namespace tolvar::cli
