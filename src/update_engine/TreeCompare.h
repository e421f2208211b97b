#pragma once

#include <cstdint>
#include <filesystem>

// How a product's Norvik folder compares with the source, so an update that would change
// nothing is left undone (and no process is ended for it).
namespace tolvar::engine {

struct TreeSize {
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
};

// The regular files below a folder and their total size; links are counted as nothing.
TreeSize measureTree(const std::filesystem::path& folder);

// True when both folders hold the same relative paths, each of the same kind (file, folder,
// link), with the same permission bits, files of the same size and contents, links with the same
// target. Contents are read only where size and modification time leave it open: a copy keeps the
// time, so a folder this program installed compares without reading a byte. False when either
// folder is missing or cannot be read.
bool sameTree(const std::filesystem::path& first, const std::filesystem::path& second);

} // namespace tolvar::engine
