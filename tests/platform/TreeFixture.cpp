#include "platform/TreeFixture.h"

#include <fcntl.h>
#include <fstream>
#include <linux/fs.h>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

void TreeFixture::SetUp() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    root = fs::temp_directory_path() / ("tolvar-platform-" + std::to_string(::getpid()) + "-" +
                                        test->test_suite_name() + "-" + test->name());
    fs::create_directories(root);
}

void TreeFixture::TearDown() {
    std::error_code ignored;
    setImmutable(root, false);
    for (auto it = fs::recursive_directory_iterator(root, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (!it->is_symlink(ignored)) {
            setImmutable(it->path(), false);
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
    fs::remove_all(root, ignored);
}

void writeFile(const fs::path& path, const std::string& contents, fs::perms mode) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << contents;
    fs::permissions(path, mode);
}

std::string readFile(const fs::path& path) {
    std::ostringstream contents;
    contents << std::ifstream(path, std::ios::binary).rdbuf();
    return contents.str();
}

bool present(const fs::path& path) {
    std::error_code ignored;
    return fs::exists(fs::symlink_status(path, ignored));
}

std::map<std::string, std::string> describeTree(const fs::path& folder) {
    const auto describe = [](const fs::path& path) -> std::string {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0)
            return "missing";
        std::ostringstream out;
        out << std::oct << (info.st_mode & 07777) << std::dec << " @" << info.st_mtim.tv_sec << "."
            << info.st_mtim.tv_nsec << " ";
        if (S_ISLNK(info.st_mode))
            return out.str() + "link -> " + fs::read_symlink(path).string();
        if (S_ISREG(info.st_mode))
            return out.str() + "file: " + readFile(path);
        return out.str() + (S_ISDIR(info.st_mode) ? "folder" : "special");
    };
    std::map<std::string, std::string> tree{{".", describe(folder)}};
    std::error_code notAFolder;
    for (auto it = fs::recursive_directory_iterator(folder, notAFolder);
         it != fs::recursive_directory_iterator(); ++it)
        tree[fs::relative(it->path(), folder).string()] = describe(it->path());
    return tree;
}

bool setImmutable(const fs::path& path, bool on) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}
