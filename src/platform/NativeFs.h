#pragma once

#include <filesystem>
#include <system_error>

// What the portable folder walks need from the operating system and std::filesystem cannot give
// (times on links, atomic no-replace renames, the file copy loop itself). Exactly one backend
// directory implementing it is compiled in.
namespace tolvar::platform::native {

// Copies a regular file's contents, permission bits and times to `to`, which must not exist.
void copyFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Recreates the link at `to` (which must not exist) with the same target and times.
void copySymlink(const std::filesystem::path& from, const std::filesystem::path& to);

// Gives `to` the permission bits and times of folder `from`; applied once its contents are in,
// so a read-only source folder can still be filled.
void copyFolderAttributes(const std::filesystem::path& from, const std::filesystem::path& to);

// Renames, failing with "File already exists" rather than replacing anything at `to`.
void renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

} // namespace tolvar::platform::native

namespace tolvar::platform {

[[noreturn]] void raiseAt(const char* description, const std::filesystem::path& path);
[[noreturn]] void raiseFor(std::error_code error, const std::filesystem::path& path);

} // namespace tolvar::platform
