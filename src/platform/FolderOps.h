#pragma once

#include <filesystem>
#include <string>

// Folder operations the update run is written against. Every failure raises tolvar::rt::Failure
// whose description is a plain run-time text followed by the offending path, e.g.
// "Permission denied: '/opt/x/Norvik'". Nothing here keeps state between calls, so any of it may
// run on a worker thread.
namespace tolvar::platform {

// True exactly when a folder, or a symbolic link to one, exists at the path. Never throws.
bool folderExists(const std::filesystem::path& path) noexcept;

// Removes the folder and everything in it. Links (on Windows directory junctions too) are
// removed as links and never followed, so nothing outside the tree is touched; a link passed as
// the folder itself is removed as a link. Without force a read-only entry stops the removal with
// "Permission denied"; with force read-only files and folders are made writable and removed too.
void deleteFolder(const std::filesystem::path& folder, bool force);

// Makes destination a copy of source: files, folders and symbolic links (copied as links), with
// permission bits and access and modification times kept. Special files such as FIFOs or
// sockets are refused, and so are links on Windows, where they cannot be copied as links.
// Without overwrite an existing destination fails before anything is written; with overwrite
// the copy merges into it, replacing files and links of the same name. A failure part-way
// leaves what was copied so far.
void copyFolder(const std::filesystem::path& source, const std::filesystem::path& destination,
                bool overwrite);

// Replaces target with a copy of source so that, whenever it returns or raises before the new
// copy is in place, target is exactly as it was. The copy is built beside target as
// "<name>.tolvar-new" and the previous folder parked as "<name>.tolvar-old"; if either name is
// already taken the call fails naming it and touches nothing. target may be absent, a folder or
// a link to one (the link itself is replaced). If removing the previous folder fails after the
// new copy is in place, the failure is raised and what remains of it stays under the old name.
void replaceFolder(const std::filesystem::path& source, const std::filesystem::path& target);

// Test seam: faults a test cannot provoke for real (a disk filling up part-way, an I/O error).
namespace testing {

// Every copy walk started from now on raises Failure(description) once it has copied `files`
// regular files, until cleared.
void failCopyAfter(int files, std::string description);
void clearInjectedFailures();

} // namespace testing

} // namespace tolvar::platform
