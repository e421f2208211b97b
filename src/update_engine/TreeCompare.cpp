#include "update_engine/TreeCompare.h"

#include <array>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace tolvar::engine {

namespace {

struct Node {
    fs::file_type type = fs::file_type::none;
    fs::perms permissions = fs::perms::none;
    std::uintmax_t size = 0;
    fs::file_time_type modified{};
    fs::path linkTarget;
};

using Listing = std::map<fs::path, Node>;

// Every entry below `folder` by its relative path, links as links. Nothing when the folder or
// anything in it cannot be read: such a folder is never taken for the same.
std::optional<Listing> list(const fs::path& folder) {
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        return std::nullopt;
    }
    Listing listing;
    fs::recursive_directory_iterator walk(folder, error);
    for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        const fs::path& path = walk->path();
        Node node;
        const fs::file_status status = fs::symlink_status(path, error);
        if (error) {
            return std::nullopt;
        }
        node.type = status.type();
        if (node.type == fs::file_type::symlink) {
            node.linkTarget = fs::read_symlink(path, error);
        } else {
            node.permissions = status.permissions();
        }
        if (!error && node.type == fs::file_type::regular) {
            node.size = fs::file_size(path, error);
            if (!error) {
                node.modified = fs::last_write_time(path, error);
            }
        }
        if (error) {
            return std::nullopt;
        }
        listing.emplace(path.lexically_relative(folder), std::move(node));
    }
    if (error) {
        return std::nullopt;
    }
    return listing;
}

bool sameContents(const fs::path& first, const fs::path& second) {
    std::ifstream a(first, std::ios::binary);
    std::ifstream b(second, std::ios::binary);
    if (!a || !b) {
        return false;
    }
    std::array<char, 1 << 16> bufferA{}, bufferB{};
    for (;;) {
        a.read(bufferA.data(), bufferA.size());
        b.read(bufferB.data(), bufferB.size());
        if (a.gcount() != b.gcount() ||
            !std::equal(bufferA.begin(), bufferA.begin() + a.gcount(), bufferB.begin())) {
            return false;
        }
        if (a.eof() || b.eof()) {
            return a.eof() && b.eof();
        }
        if (!a || !b) {
            return false;
        }
    }
}

} // namespace

TreeSize measureTree(const fs::path& folder) {
    TreeSize size;
    if (const std::optional<Listing> listing = list(folder)) {
        for (const auto& [path, node] : *listing) {
            if (node.type == fs::file_type::regular) {
                ++size.files;
                size.bytes += node.size;
            }
        }
    }
    return size;
}

bool sameTree(const fs::path& first, const fs::path& second) {
    const std::optional<Listing> a = list(first);
    const std::optional<Listing> b = list(second);
    if (!a || !b || a->size() != b->size()) {
        return false;
    }
    for (auto x = a->begin(), y = b->begin(); x != a->end(); ++x, ++y) {
        const auto& [path, node] = *x;
        const auto& [otherPath, other] = *y;
        if (path != otherPath || node.type != other.type || node.permissions != other.permissions ||
            node.size != other.size || node.linkTarget != other.linkTarget) {
            return false;
        }
        if (node.type == fs::file_type::regular && node.modified != other.modified &&
            !sameContents(first / path, second / path)) {
            return false;
        }
    }
    return true;
}

} // namespace tolvar::engine
