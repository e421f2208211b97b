#pragma once

#include <stdexcept>
#include <string>

namespace tolvar::rt {

// The run-time error: every failure the program meets is one of these, and a handler uses
// nothing of it but its description.
class Failure : public std::runtime_error {
public:
    explicit Failure(const std::string& description) : std::runtime_error(description) {}
    std::string description() const { return what(); }
};

[[noreturn]] inline void raise(const std::string& description) {
    throw Failure(description);
}

// The description texts the run-time gives its failures.
namespace desc {
inline constexpr const char* Overflow = "Overflow";
inline constexpr const char* SubscriptOutOfRange = "Subscript out of range";
inline constexpr const char* PathNotFound = "Path not found";
inline constexpr const char* FileNotFound = "File not found";
inline constexpr const char* PermissionDenied = "Permission denied";
inline constexpr const char* FileAlreadyExists = "File already exists";
inline constexpr const char* PathFileAccessError = "Path/File access error";
inline constexpr const char* DiskFull = "Disk full";
inline constexpr const char* TooManyFiles = "Too many files";
inline constexpr const char* FileAlreadyOpen = "File already open";
inline constexpr const char* BadFileNameOrNumber = "Bad file name or number";
inline constexpr const char* InvalidProcedureCall = "Invalid procedure call or argument";
inline constexpr const char* DivisionByZero = "Division by zero";
inline constexpr const char* NoSuchProperty = "Object doesn't support this property or method";
inline constexpr const char* InvalidPropertyValue = "Invalid property value";
inline constexpr const char* ControlArrayElementMissing = "Control array element doesn't exist";
inline constexpr const char* ControlArrayElementExists = "Object already loaded";
} // namespace desc

} // namespace tolvar::rt
