#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

// Folder operations the update run is written against. Every failure raises tolvar::rt::Failure
// whose description is a plain run-time text followed by the offending path, e.g.
// "Permission denied: '/opt/x/Norvik'". Any of it may run on a worker thread.
namespace tolvar::platform {

// The failure of a replace that found another update working on the same folder.
inline constexpr const char* UpdateInProgress = "Another update is working on this folder";

// True exactly when a folder, or a symbolic link to one, exists at the path. Never throws.
bool folderExists(const std::filesystem::path& path) noexcept;

// Removes the folder and everything in it, read-only entries included. Links (on Windows
// directory junctions too) are removed as links and never followed, so nothing outside the tree
// is touched; a link passed as the folder itself is removed as a link.
void deleteFolder(const std::filesystem::path& folder);

// Makes destination, which must not exist, a copy of source: files, folders and symbolic links
// (copied as links), with permission bits and access and modification times kept. Special files
// such as FIFOs or sockets are refused, and so are links on Windows, where they cannot be copied
// as links. A failure part-way leaves what was copied so far.
void copyFolder(const std::filesystem::path& source, const std::filesystem::path& destination);

// Replaces target with a copy of source so that target is always either the previous folder,
// whole, or the new copy, whole: whenever the call raises, and wherever the process is stopped.
// The copy is built beside target as "<name>.tolvar-new", flushed to the storage device, and
// swapped in by renames that park the previous folder as "<name>.tolvar-old"; that parked copy
// is removed last. "<name>.tolvar-lock" keeps a second replace of the same target out (it fails
// with UpdateInProgress) and records which of the two names this program made. Before it copies,
// a replace brings what an interrupted one left to an end: a parked copy goes back when target is
// missing, otherwise the leftovers are removed; a name taken by anything else fails the call,
// naming it, and is never touched. target may be absent, a folder or a link to one (the link
// itself is replaced). When only the removal of the parked copy fails, the call still succeeds:
// it says why on standard error and the next replace of target removes it. `filesCopied`, when
// given, counts the files of the new copy as each is complete.
void replaceFolder(const std::filesystem::path& source, const std::filesystem::path& target,
                   std::atomic<std::uint64_t>* filesCopied = nullptr);

// Test seam: faults and moments a test cannot reach for real (a disk filling up part-way, the
// instant between two steps).
namespace testing {

// Every copy walk started from now on raises Failure(description) once it has copied `files`
// regular files, until cleared.
void failCopyAfter(int files, std::string description);
// Called with the name of each step of a replace as it is about to begin ("copy", "flush",
// "park", "install", "clean"), until cleared.
void onReplaceStep(std::function<void(const char* step)> hook);
void clearInjectedFailures();

} // namespace testing

} // namespace tolvar::platform
