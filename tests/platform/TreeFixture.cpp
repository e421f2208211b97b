#include "platform/TreeFixture.h"

#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

void TreeFixture::SetUp() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    root = base / ("tolvar-platform-" + std::to_string(::getpid()) + "-" + test->test_suite_name() +
                   "-" + test->name());
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
    std::map<std::string, std::string> tree{{".", describeEntry(folder)}};
    std::error_code notAFolder;
    for (auto it = fs::recursive_directory_iterator(folder, notAFolder);
         it != fs::recursive_directory_iterator(); ++it) {
        tree[fs::relative(it->path(), folder).string()] = describeEntry(it->path());
    }
    return tree;
}
