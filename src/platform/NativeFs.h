#pragma once

#include <filesystem>
#include <system_error>

// What the portable folder walks need from the operating system and std::filesystem cannot give
// (links on every platform, times on links, atomic no-replace renames, the file copy loop
// itself). Exactly one backend directory implementing it is compiled in.
namespace tolvar::platform::native {

// The status of the entry itself, never of what a link leads to; type not_found when nothing is
// there, with error set as std::filesystem sets it. On Windows symbolic links and directory
// junctions are both links: the platform's std::filesystem reports them as what they lead to,
// and a walk that believed it would copy, or delete, a folder outside the one it was given.
std::filesystem::file_status entryStatus(const std::filesystem::path& path, std::error_code& error);

// The same kind for an entry of a listing, taken from the listing where the platform's listing
// gives it.
std::filesystem::file_type listedType(const std::filesystem::directory_entry& entry,
                                      std::error_code& error);

// Removes the link itself, whether or not what it leads to exists.
void removeLink(const std::filesystem::path& path);

// Copies a regular file's contents, permission bits and times to `to`, which must not exist.
void copyFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Recreates the link at `to` (which must not exist) with the same target and times, or fails
// naming the link where the platform cannot; never copies what the link leads to.
void copySymlink(const std::filesystem::path& from, const std::filesystem::path& to);

// Gives `to` the permission bits and times of folder `from`; applied once its contents are in,
// so a read-only source folder can still be filled.
void copyFolderAttributes(const std::filesystem::path& from, const std::filesystem::path& to);

// Renames, failing with "File already exists" rather than replacing anything at `to`.
void renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

// The failure in the portable terms raiseFor describes, where the platform reports it in numbers
// of its own that std::error_code does not take for those terms.
std::error_code portableError(std::error_code error);

} // namespace tolvar::platform::native

namespace tolvar::platform {

[[noreturn]] void raiseAt(const char* description, const std::filesystem::path& path);
[[noreturn]] void raiseFor(std::error_code error, const std::filesystem::path& path);

} // namespace tolvar::platform
