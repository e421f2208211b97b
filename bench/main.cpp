// The performance benchmark behind `./build.sh bench` (docs/performance.md): the folder replace
// against `rm -rf && cp -a` and against a careful administrator's script that flushes and swaps
// as the replace does, the process walk, the program's start to its first frame, and the parse
// of a 10 MB registry file of the shapes that cost the most.
//
//   tolvar_bench [--rounds N] [--dir FOLDER] [--verbose] [--keep]
//                [small|nodelike|big|procwalk|startup|regparse ...]
//
// --verbose shows every round on standard error; --keep leaves the work folder (named on the
// first line) in place, so that runs in a row do not meet each other's removals (see WorkFolder).
#include "ChildProcess.h"
#include "SyntheticTree.h"
#include "platform/FolderOps.h"
#include "platform/ProcessList.h"
#include "platform/ProcessMatch.h"
#include "platform/RegistryFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <linux/fs.h>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using namespace tolvar;

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    int rounds = 5;
    bool verbose = false;
    bool keep = false;
    fs::path place = fs::temp_directory_path();
    std::set<std::string> parts;

    bool wants(const std::string& part) const { return parts.empty() || parts.count(part) > 0; }
};

Options parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--rounds" && i + 1 < argc)
            options.rounds = std::max(5, std::atoi(argv[++i]));
        else if (argument == "--dir" && i + 1 < argc)
            options.place = argv[++i];
        else if (argument == "--verbose")
            options.verbose = true;
        else if (argument == "--keep")
            options.keep = true;
        else if (argument.rfind("--", 0) == 0)
            throw std::runtime_error(
                "usage: tolvar_bench [--rounds N] [--dir FOLDER] [--verbose] [--keep] "
                "[small|nodelike|big|procwalk|startup ...]");
        else
            options.parts.insert(argument);
    }
    return options;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Writes everything prepared so far to the disk, so neither contender pays for writing back
// what the other or the preparation left in memory.
void settle(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
}

// Removed at the end even when a run fails part-way; read-only entries included.
//
// On ext4 without a journal a new file skips, one at a time, the free inodes of its block group
// that were freed in the last minutes (up to six), and a new folder below a top of hierarchy
// goes to the group with the fewest folders: often one that a mass removal has just emptied, by
// this benchmark's previous run or by anyone else. Creating many files there is several times
// slower. That cost is what the order of a replace decides, so each contender must meet only
// what its own removal causes, as a one-off update would. So the folder is a top of hierarchy,
// each product folder gets block groups of its own, and nothing is removed before the end. A run
// started within minutes of another's end still meets the groups that one freed.
class WorkFolder {
public:
    WorkFolder(const fs::path& place, bool keep) : keep_(keep) {
        std::string pattern = (place / "tolvar-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot create a folder in " + place.string());
        path_ = pattern;
        spreadsFolders_ = markTopOfHierarchy(path_);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    ~WorkFolder() {
        if (keep_)
            return;
        try {
            platform::deleteFolder(path_);
        } catch (const std::exception& failure) {
            std::fprintf(stderr, "could not remove %s: %s\n", path_.c_str(), failure.what());
        }
    }

    const fs::path& path() const { return path_; }
    bool spreadsFolders() const { return spreadsFolders_; }

    fs::path freshFolder() {
        const fs::path folder = path_ / ("slot-" + std::to_string(folders_++));
        fs::create_directory(folder);
        return folder;
    }

private:
    static bool markTopOfHierarchy(const fs::path& folder) {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return false;
        int flags = 0;
        const bool marked = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                            (flags |= FS_TOPDIR_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
        ::close(fd);
        return marked;
    }

    bool keep_;
    fs::path path_;
    bool spreadsFolders_ = false;
    int folders_ = 0;
};

// The type of the mount that holds the folder, as the kernel lists it.
std::string fileSystemName(const fs::path& folder) {
    const std::string where = fs::canonical(folder).string();
    std::ifstream mounts("/proc/self/mounts");
    std::string device, point, type, rest, best = "unknown";
    std::size_t bestLength = 0;
    while (mounts >> device >> point >> type && std::getline(mounts, rest)) {
        const bool holds =
            where.rfind(point, 0) == 0 &&
            (point == "/" || where.size() == point.size() || where[point.size()] == '/');
        if (holds && point.size() >= bestLength) {
            best = type;
            bestLength = point.size();
        }
    }
    return best;
}

std::string kernelRelease() {
    utsname names{};
    return ::uname(&names) == 0 ? names.release : "unknown";
}

// A product's stale folder was installed long ago: its contents are on the disk, not in memory.
// Left cached, removing it would hand warm memory to the copy that follows, which favours the
// contender that removes before it copies.
void forgetContents(const fs::path& folder) {
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file() || entry.is_symlink())
            continue;
        const int fd = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
            ::close(fd);
        }
    }
}

// A finished copy gives back its space and memory at once but keeps its inodes, which are
// freed only at the end (see WorkFolder).
void emptyFiles(const fs::path& folder) {
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file() && !entry.is_symlink())
            ::truncate(entry.path().c_str(), 0);
    }
}

// Per entry below the folder ("." for itself): kind, mode, size, modification time, link target.
std::map<std::string, std::string> describe(const fs::path& folder) {
    const auto line = [](const fs::path& path) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0)
            return std::string("missing");
        std::ostringstream out;
        out << (info.st_mode & S_IFMT) << ' ' << std::oct << (info.st_mode & 07777) << std::dec
            << ' ' << (S_ISDIR(info.st_mode) ? 0 : info.st_size) << ' ' << info.st_mtim.tv_sec
            << '.' << info.st_mtim.tv_nsec;
        if (S_ISLNK(info.st_mode))
            out << " -> " << fs::read_symlink(path).string();
        return out.str();
    };
    std::map<std::string, std::string> tree{{".", line(folder)}};
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        tree[fs::relative(entry.path(), folder).string()] = line(entry.path());
    return tree;
}

void expectCopy(const fs::path& source, const fs::path& copy, const char* who) {
    const auto expected = describe(source);
    const auto got = describe(copy);
    if (got == expected)
        return;
    const auto differs = std::mismatch(expected.begin(), expected.end(), got.begin(), got.end());
    const std::string where =
        differs.first != expected.end() ? differs.first->first : differs.second->first;
    throw std::runtime_error(std::string(who) + " made a different copy, first at " + where);
}

struct Tree {
    const char* name;
    std::function<bench::TreeSize(const fs::path&, bench::Version)> make;
};

void benchReplace(const Tree& tree, WorkFolder& work, const Options& options) {
    const fs::path home = work.freshFolder();
    const fs::path source = home / "source";
    const fs::path stale = home / "stale";
    const bench::TreeSize size = tree.make(source, bench::Version::Shipped);
    tree.make(stale, bench::Version::Stale);
    settle(home);

    // A fresh product folder per run, holding a stale copy that is on the disk and only there.
    const auto staleTarget = [&] {
        const fs::path product = work.freshFolder();
        platform::copyFolder(stale, product / "Norvik");
        settle(product);
        forgetContents(product);
        return product;
    };
    // The time the replace spends in its flush, from the step before it to the step after.
    Clock::time_point flushStarted;
    double flushSeconds = 0;
    platform::testing::onReplaceStep([&](const char* step) {
        if (std::string_view(step) == "flush")
            flushStarted = Clock::now();
        else if (flushStarted != Clock::time_point())
            flushSeconds = secondsSince(std::exchange(flushStarted, Clock::time_point()));
    });
    std::vector<double> ours, base, careful, flushes, ratios, carefulRatios;
    // Round 0 warms the caches and checks that both contenders made a faithful copy.
    for (int round = 0; round <= options.rounds; ++round) {
        fs::path product = staleTarget();
        const auto start = Clock::now();
        platform::replaceFolder(source, product / "Norvik");
        const double oursSeconds = secondsSince(start);
        if (round == 0) {
            expectCopy(source, product / "Norvik", "replaceFolder");
            if (std::distance(fs::directory_iterator(product), fs::directory_iterator()) != 1)
                throw std::runtime_error("replaceFolder left something beside the target");
        }
        emptyFiles(product);

        product = staleTarget();
        const double baseSeconds =
            bench::runChild({"/bin/sh", "-c", "rm -rf -- \"$1\" && cp -a -- \"$2\" \"$1\"", "sh",
                             (product / "Norvik").string(), source.string()})
                .seconds;
        if (round == 0)
            expectCopy(source, product / "Norvik", "rm -rf && cp -a");
        emptyFiles(product);

        product = staleTarget();
        const double carefulSeconds =
            bench::runChild({"/bin/sh", "-c",
                             "cp -a -- \"$2\" \"$1.new\" && sync -f -- \"$1.new\" && "
                             "mv -- \"$1\" \"$1.old\" && mv -- \"$1.new\" \"$1\" && "
                             "rm -rf -- \"$1.old\"",
                             "sh", (product / "Norvik").string(), source.string()})
                .seconds;
        if (round == 0)
            expectCopy(source, product / "Norvik", "the careful script");
        emptyFiles(product);

        if (options.verbose)
            std::fprintf(stderr,
                         "  %s round %d ours_s=%.4f flush_s=%.4f base_s=%.4f careful_s=%.4f\n",
                         tree.name, round, oursSeconds, flushSeconds, baseSeconds, carefulSeconds);
        if (round > 0) {
            ours.push_back(oursSeconds);
            flushes.push_back(flushSeconds);
            base.push_back(baseSeconds);
            careful.push_back(carefulSeconds);
            ratios.push_back(oursSeconds / baseSeconds);
            carefulRatios.push_back(oursSeconds / carefulSeconds);
        }
    }
    platform::testing::clearInjectedFailures();
    std::printf("replace %s files=%ju bytes=%ju ours_s=%.4f flush_s=%.4f base_s=%.4f ratio=%.3f "
                "careful_s=%.4f careful_ratio=%.3f\n",
                tree.name, size.files, size.bytes, median(ours), median(flushes), median(base),
                median(ratios), median(careful), median(carefulRatios));
    std::fflush(stdout);
    emptyFiles(home);
}

int countProcesses() {
    platform::ProcessSnapshot snapshot;
    platform::ProcessEntry entry;
    int count = 0;
    for (bool more = snapshot.first(entry); more; more = snapshot.next(entry))
        ++count;
    return count;
}

// One walk as KillProcessByName makes it when no process has the name: the whole list.
void benchProcessWalk(int extraProcesses) {
    const bench::SleepingProcesses sleepers(extraProcesses);
    std::vector<double> walks;
    for (int walk = 0; walk <= 30; ++walk) {
        const auto start = Clock::now();
        platform::ProcessSnapshot snapshot;
        if (platform::findFirstProcess(snapshot, "tolvar-bench-absent.exe"))
            throw std::runtime_error("a process of the benchmark's made-up name exists");
        if (walk > 0)
            walks.push_back(secondsSince(start) * 1000);
    }
    std::printf("procwalk processes=%d walk_ms=%.3f\n", countProcesses(), median(walks));
    std::fflush(stdout);
}

void benchStartup(const fs::path& work, int rounds) {
    const fs::path here = fs::read_symlink("/proc/self/exe").parent_path();
    const std::vector<std::string> environment = {
        "QT_QPA_PLATFORM=offscreen", "TOLVAR_EXIT_AFTER_FIRST_PAINT=1",
        "TOLVAR_ROOT=" + work.string(), "TOLVAR_REGISTRY=" + (work / "absent.reg").string()};
    const std::pair<const char*, fs::path> programs[] = {
        {"TolvarNorvikUpdater", here / "TolvarNorvikUpdater"},
        {"bare-qt-window", here / "tolvar_bare_window"}};
    std::map<std::string, std::vector<double>> times;
    std::map<std::string, double> peaks;
    for (int round = 0; round <= 2 * rounds; ++round) {
        for (const auto& [name, program] : programs) {
            const bench::ChildRun run = bench::runChild({program.string()}, environment, true);
            if (round == 0)
                continue;
            times[name].push_back(run.seconds * 1000);
            peaks[name] = std::max(peaks[name], run.peakRssMb);
        }
    }
    for (const auto& [name, program] : programs)
        std::printf("startup program=%s startup_ms=%.1f rss_mb=%.1f\n", name, median(times[name]),
                    peaks[name]);
    std::fflush(stdout);
}

// Registry files of about 10 MB: keys as deep as the registry allows; half a file of keys and
// half of lines removing them; one key of many values.
std::string registryFile(const std::string& shape) {
    constexpr std::size_t Size = 10'000'000;
    std::string file = shape == "values" ? "REGEDIT4\n[HKLM\\Software\\Values]\n" : "REGEDIT4\n";
    std::string deep = "HKLM";
    for (int level = 0; level < 511; ++level)
        deep += "\\level" + std::to_string(level);
    const auto key = [&](int i) {
        return (shape == "deep" ? deep : "HKLM\\Software") + "\\k" + std::to_string(i);
    };
    int keys = 0;
    for (; file.size() < (shape == "deletions" ? Size / 2 : Size); ++keys) {
        if (shape == "values")
            file += "\"value" + std::to_string(keys) + "\"=dword:" + std::to_string(keys % 100000) +
                    "\n";
        else
            file += "[" + key(keys) + "]\n\"v\"=\"x\"\n";
    }
    for (int i = 0; file.size() < Size; i = (i + 1) % keys)
        file += "[-" + key(i) + "]\n";
    return file;
}

void benchRegistryParse(int rounds) {
    for (const std::string shape : {"deep", "deletions", "values"}) {
        const std::string file = registryFile(shape);
        std::vector<double> times;
        for (int round = 0; round < rounds; ++round) {
            const auto start = Clock::now();
            platform::RegistryStore::parse(file);
            times.push_back(secondsSince(start) * 1000);
        }
        std::printf("regparse shape=%s bytes=%zu parse_ms=%.1f\n", shape.c_str(), file.size(),
                    median(times));
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char** argv) {
    try {
        const Options options = parse(argc, argv);
        WorkFolder work(options.place, options.keep);
        const std::uintmax_t available = fs::space(work.path()).available;
        std::printf("machine cores=%u kernel=%s fs=%s free_gb=%.1f dir=%s rounds=%d "
                    "spread_folders=%s\n",
                    std::thread::hardware_concurrency(), kernelRelease().c_str(),
                    fileSystemName(work.path()).c_str(), static_cast<double>(available) / 1e9,
                    work.path().c_str(), options.rounds, work.spreadsFolders() ? "yes" : "no");

        // The big tree exists four times at its peak (source, stale copy, target, new copy), and
        // is cut down to keep that within half of the free space.
        const double need = 4.0 * static_cast<double>(bench::bigTreeBytes());
        const double bigScale = std::min(1.0, static_cast<double>(available) / 2 / need);
        if (options.wants("big") && bigScale < 1.0)
            std::printf("note: big scaled to %.0f%% of its size: only %.1f GB free\n",
                        bigScale * 100, static_cast<double>(available) / 1e9);

        // Start-up first: a child's peak resident set is reported as at least the peak of the
        // process it was started from, which the trees below would raise.
        if (options.wants("startup"))
            benchStartup(work.path(), options.rounds);
        if (options.wants("regparse"))
            benchRegistryParse(options.rounds);
        if (options.wants("procwalk")) {
            benchProcessWalk(0);
            benchProcessWalk(500);
        }
        const Tree trees[] = {{"small", bench::makeSmall},
                              {"nodelike", bench::makeNodeLike},
                              {"big", [bigScale](const fs::path& root, bench::Version version) {
                                   return bench::makeBig(root, version, bigScale);
                               }}};
        for (const Tree& tree : trees) {
            if (options.wants(tree.name))
                benchReplace(tree, work, options);
        }
        return 0;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "tolvar_bench: %s\n", failure.what());
        return 1;
    }
}
