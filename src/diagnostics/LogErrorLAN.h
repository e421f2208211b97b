#pragma once

#include <QString>

#include <cstdint>

namespace tolvar::modMain {

// The file number the log is open under, or 0 while no log is open.
extern std::int32_t LogFileNumber;

// Writes one entry to the log file the command line names ("a:b:NAME:FOLDER" gives
// FOLDER/NAME.log at the root of the drive). The first entry of a run creates or empties the
// file and writes "[START]" before it; the entry "[END]" closes the file and ends the program.
// A log that cannot be written is reported in the program's own message box, and the program
// ends.
void LogErrorLAN(const QString& message);

} // namespace tolvar::modMain
