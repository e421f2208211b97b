#include "SyntheticTree.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace tolvar::bench {

namespace {

constexpr std::uintmax_t KB = 1024;
constexpr std::uintmax_t MB = 1024 * KB;

// xorshift64: contents that no file system can compress or share, at memory speed.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }

    std::uintmax_t between(std::uintmax_t low, std::uintmax_t high) {
        return low + next() % (high - low + 1);
    }

private:
    std::uint64_t state_;
};

[[noreturn]] void fail(const std::string& what, const fs::path& path) {
    throw std::runtime_error(what + " " + path.string() + ": " + std::strerror(errno));
}

// Sizes are drawn the same for both versions, so the stale tree differs in contents and in its
// set of files, not in its shape.
class TreeWriter {
public:
    TreeWriter(fs::path root, Version version)
        : root_(std::move(root)), stale_(version == Version::Stale),
          contents_(stale_ ? 0x5eed'0bad'cafe'f00dULL : 0x5eed'900d'beef'1234ULL) {
        fs::create_directories(root_);
    }

    void folder(const fs::path& relative) { fs::create_directories(root_ / relative); }

    void file(const fs::path& relative, std::uintmax_t low, std::uintmax_t high,
              fs::perms mode = fs::perms(0644)) {
        const std::uintmax_t bytes = sizes_.between(low, high);
        const std::uintmax_t index = index_++;
        if (stale_ && index % 10 == 9)
            return;
        write(relative, bytes, mode);
        if (stale_ && index % 10 == 4)
            write(fs::path(relative).concat(".obsolete"), bytes / 2 + 1, fs::perms(0644));
    }

    void symlink(const fs::path& target, const fs::path& relative) {
        fs::create_symlink(target, root_ / relative);
    }

    TreeSize size() const { return size_; }

private:
    void write(const fs::path& relative, std::uintmax_t bytes, fs::perms mode) {
        const fs::path path = root_ / relative;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            fail("cannot create", path);
        buffer_.resize(static_cast<std::size_t>(std::min(bytes, MB)) / 8 + 1);
        for (std::uintmax_t left = bytes; left > 0;) {
            for (auto& word : buffer_)
                word = contents_.next();
            const std::size_t chunk = static_cast<std::size_t>(std::min(left, MB));
            const ssize_t written = ::write(fd, buffer_.data(), chunk);
            if (written <= 0)
                fail("cannot write", path);
            left -= static_cast<std::uintmax_t>(written);
        }
        if (::close(fd) != 0)
            fail("cannot write", path);
        fs::permissions(path, mode);
        ++size_.files;
        size_.bytes += bytes;
    }

    fs::path root_;
    bool stale_;
    Random sizes_{0x51'7e5};
    Random contents_;
    std::vector<std::uint64_t> buffer_;
    std::uintmax_t index_ = 0;
    TreeSize size_;
};

std::string numbered(std::string prefix, int number, const char* suffix = "") {
    prefix += std::to_string(number);
    prefix += suffix;
    return prefix;
}

std::uintmax_t bigFileBytes(int index) {
    return (20 + 80 * static_cast<std::uintmax_t>(index) / 19) * MB;
}

} // namespace

TreeSize makeSmall(const fs::path& root, Version version) {
    TreeWriter tree(root, version);
    std::vector<fs::path> folders{"."};
    for (int a = 0; a < 4; ++a) {
        const fs::path first = numbered("part-", a);
        folders.push_back(first);
        for (int b = 0; b < 4; ++b) {
            const fs::path second = first / numbered("module-", b);
            folders.push_back(second);
            for (int c = 0; c < 2; ++c)
                folders.push_back(second / numbered("res-", c));
        }
    }
    for (const fs::path& folder : folders) {
        tree.folder(folder);
        for (int i = 0; i < 4; ++i)
            tree.file(folder / numbered("item-", i, ".dat"), 1 * KB, 48 * KB);
    }
    return tree.size();
}

TreeSize makeNodeLike(const fs::path& root, Version version) {
    TreeWriter tree(root, version);
    static const char* const PackageFolders[] = {".",        "lib",      "lib/internal", "dist",
                                                 "dist/esm", "dist/cjs", "test",         "types"};
    int fileNumber = 0;
    for (int package = 0; package < 250; ++package) {
        const fs::path packageFolder = numbered("node_modules/pkg-", 1000 + package);
        for (const char* sub : PackageFolders) {
            const fs::path folder = packageFolder / sub;
            tree.folder(folder);
            for (int i = 0; i < 10; ++i, ++fileNumber) {
                // Package managers leave the odd file read-only; a replace must remove those.
                const fs::perms mode = fileNumber % 4000 == 0 ? fs::perms(0444) : fs::perms(0644);
                tree.file(folder / numbered("m", i, ".js"), 1 * KB, 8 * KB, mode);
            }
        }
    }
    tree.folder("node_modules/.bin");
    tree.symlink("../pkg-1000/lib/m0.js", "node_modules/.bin/cli");
    return tree.size();
}

TreeSize makeBig(const fs::path& root, Version version, double scale) {
    TreeWriter tree(root, version);
    tree.folder("data");
    for (int i = 0; i < 20; ++i) {
        const auto bytes =
            static_cast<std::uintmax_t>(static_cast<double>(bigFileBytes(i)) * scale) + 1;
        const fs::path folder = i % 2 == 0 ? fs::path(".") : fs::path("data");
        tree.file(folder / numbered("blob-", i, ".bin"), bytes, bytes);
    }
    return tree.size();
}

std::uintmax_t bigTreeBytes() {
    std::uintmax_t total = 0;
    for (int i = 0; i < 20; ++i)
        total += bigFileBytes(i);
    return total;
}

} // namespace tolvar::bench
