#pragma once

#include <QString>

// Sequential text files addressed by file numbers 1 to 255. Lines are written in the locale's
// 8-bit encoding and end in CR LF.
namespace tolvar::rt::files {

// The lowest file number not in use; "Too many files" when all 255 are taken.
int freeFile();

// Creates the file, or empties an existing one, and opens it under `number`.
void openForOutput(int number, const QString& path);

void printLine(int number, const QString& line);

// Closing a number that is not open does nothing.
void close(int number);
void closeAll();

} // namespace tolvar::rt::files
