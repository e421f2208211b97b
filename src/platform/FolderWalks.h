#pragma once

#include "platform/NativeFs.h"

#include <atomic>
#include <cstdint>
#include <filesystem>

// The two walks every folder operation is made of. Both go from folder to folder through open
// folders (native::Folder), so nothing they do can be redirected outside the tree they were
// given, and both spread their work over a few threads (docs/performance.md).
namespace tolvar::platform::walks {

// Fills the empty folder `to` with a copy of everything in `from`: files, folders and symbolic
// links (copied as links), with permission bits and times kept; special files such as FIFOs are
// refused, naming them. A failure part-way leaves what was copied so far. `filesCopied`, when
// given, counts each file once its copy is complete, for whoever shows the progress.
void copyContents(native::Folder from, native::Folder to,
                  std::atomic<std::uint64_t>* filesCopied = nullptr);

// Removes the entry `name` of `folder` with everything in it, read-only entries included; links
// are removed as links and never followed.
void remove(const native::Folder& folder, const std::filesystem::path& name);

} // namespace tolvar::platform::walks
