#pragma once

#include <cstdint>
#include <filesystem>

// The folders the benchmark replaces. Each shape is built twice: the shipped version and a
// stale one standing for what an earlier update left in a product (other contents, a tenth of
// the files missing, a few files the new version no longer has).
namespace tolvar::bench {

enum class Version { Shipped, Stale };

struct TreeSize {
    std::uintmax_t files = 0;
    std::uintmax_t bytes = 0;
};

// About 200 files, 5 MB, three levels deep.
TreeSize makeSmall(const std::filesystem::path& root, Version version);

// About 20,000 files of 1-8 KB in about 2,000 folders, laid out like a package tree, with a few
// read-only files and a symbolic link.
TreeSize makeNodeLike(const std::filesystem::path& root, Version version);

// About 20 files of 20-100 MB at scale 1; sizes are multiplied by `scale`.
TreeSize makeBig(const std::filesystem::path& root, Version version, double scale);

// The bytes makeBig writes at scale 1.
std::uintmax_t bigTreeBytes();

} // namespace tolvar::bench
