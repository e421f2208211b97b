#include "platform/FolderOps.h"

#include "platform/NativeFs.h"
#include "runtime/core/Failure.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
namespace desc = tolvar::rt::desc;

namespace tolvar::platform {

void raiseAt(const char* description, const fs::path& path) {
    rt::raise(std::string(description) + ": '" + path.string() + "'");
}

void raiseFor(std::error_code error, const fs::path& path) {
    using std::errc;
    error = native::portableError(error);
    if (error == errc::no_such_file_or_directory || error == errc::not_a_directory)
        raiseAt(desc::PathNotFound, path);
    if (error == errc::permission_denied || error == errc::operation_not_permitted ||
        error == errc::read_only_file_system)
        raiseAt(desc::PermissionDenied, path);
    if (error == errc::file_exists || error == errc::directory_not_empty)
        raiseAt(desc::FileAlreadyExists, path);
    if (error == errc::no_space_on_device)
        raiseAt(desc::DiskFull, path);
    if (error == errc::too_many_files_open || error == errc::too_many_files_open_in_system)
        raiseAt(desc::TooManyFiles, path);
    raiseAt(desc::PathFileAccessError, path);
}

namespace {

struct InjectedFailure {
    int afterFiles = 0;
    std::string description;
};

std::mutex injectedMutex;
std::optional<InjectedFailure> injected;

std::optional<InjectedFailure> currentInjectedFailure() {
    std::lock_guard lock(injectedMutex);
    return injected;
}

// A failed lookup (a path component that is a file, a folder we may not search) is reported,
// but a plain absence is not an error to the callers.
fs::file_status entryStatus(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = native::entryStatus(path, error);
    if (error && status.type() != fs::file_type::not_found)
        raiseFor(error, path);
    return status;
}

bool entryExists(const fs::path& path) {
    return entryStatus(path).type() != fs::file_type::not_found;
}

// Creating the folder is what claims its name, so an existing one is never adopted by mistake.
void createFolder(const fs::path& path) {
    std::error_code error;
    if (!fs::create_directory(path, error)) {
        if (error)
            raiseFor(error, path);
        raiseAt(desc::FileAlreadyExists, path);
    }
}

bool isWithin(const fs::path& inner, const fs::path& outer) {
    std::error_code error;
    const fs::path in = fs::weakly_canonical(inner, error);
    if (error)
        raiseFor(error, inner);
    const fs::path out = fs::weakly_canonical(outer, error);
    if (error)
        raiseFor(error, outer);
    return std::mismatch(out.begin(), out.end(), in.begin(), in.end()).first == out.end();
}

// Runs jobs on helper threads while the calling thread goes on producing them; the calling
// thread joins in when it waits. The first failure on any thread drops the jobs not yet started
// and is raised once, from wait(); the walk that posts the jobs asks failed() to stop early.
// Jobs are destroyed unrun when the owner leaves by a failure of its own, and every helper has
// ended before the destructor returns, so a rollback never races a copy still writing.
class Workers {
public:
    explicit Workers(int threads) {
        // Fewer helpers only means less at once: the waiting thread runs whatever is left.
        try {
            for (int i = 1; i < threads; ++i)
                helpers_.emplace_back([this] { help(); });
        } catch (const std::system_error&) {
        }
    }
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;
    ~Workers() {
        {
            std::lock_guard lock(mutex_);
            closing_ = true;
            queue_.clear();
        }
        ready_.notify_all();
        for (std::thread& helper : helpers_)
            helper.join();
    }

    void post(std::function<void()> job) {
        {
            std::lock_guard lock(mutex_);
            if (failure_)
                return;
            queue_.push_back(std::move(job));
        }
        ready_.notify_one();
    }

    bool failed() const { return failed_.load(std::memory_order_relaxed); }

    void wait() {
        std::unique_lock lock(mutex_);
        while (!queue_.empty())
            runOne(lock);
        idle_.wait(lock, [this] { return running_ == 0; });
        if (failure_)
            std::rethrow_exception(std::exchange(failure_, nullptr));
    }

private:
    void help() {
        std::unique_lock lock(mutex_);
        for (;;) {
            ready_.wait(lock, [this] { return closing_ || !queue_.empty(); });
            if (closing_)
                return;
            runOne(lock);
        }
    }

    void runOne(std::unique_lock<std::mutex>& lock) {
        const std::function<void()> job = std::move(queue_.front());
        queue_.pop_front();
        ++running_;
        lock.unlock();
        std::exception_ptr failure;
        try {
            job();
        } catch (...) {
            failure = std::current_exception();
        }
        lock.lock();
        --running_;
        if (failure && !failure_) {
            failure_ = failure;
            failed_.store(true, std::memory_order_relaxed);
            queue_.clear();
        }
        if (running_ == 0)
            idle_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable ready_;
    std::condition_variable idle_;
    std::deque<std::function<void()>> queue_;
    int running_ = 0;
    bool closing_ = false;
    std::exception_ptr failure_;
    std::atomic<bool> failed_{false};
    std::vector<std::thread> helpers_;
};

// The kind of a listed entry; links are never followed.
fs::file_type listedType(const fs::directory_entry& entry) {
    std::error_code error;
    const fs::file_type type = native::listedType(entry, error);
    if (error)
        raiseFor(error, entry.path());
    return type;
}

// Removes a file, an empty folder, or a link itself.
void removeSingle(const fs::path& path, fs::file_type type) {
    if (type == fs::file_type::symlink) {
        native::removeLink(path);
        return;
    }
    std::error_code error;
    fs::remove(path, error);
    if (error)
        raiseFor(error, path);
}

// The single copy routine: walks the source folder and copies entry by entry, so each kind of
// entry has one place where it is copied. The walk creates the folders and links itself and
// hands file contents to a second thread; with the file system's own cost per new file being
// most of a copy, two threads nearly halve it (docs/performance.md).
class CopyWalk {
public:
    explicit CopyWalk(bool overwrite)
        : overwrite_(overwrite), injected_(currentInjectedFailure()), workers_(2) {}

    // `to` must already exist; it receives source's entries, then its permissions and times.
    void copyContents(const fs::path& from, const fs::path& to) {
        walk(from, to);
        workers_.wait();
        // Innermost first and only once everything is in: a read-only folder cannot be filled,
        // and each entry added to a folder moves its modification time.
        for (const auto& [source, copy] : folders_)
            native::copyFolderAttributes(source, copy);
    }

private:
    void walk(const fs::path& from, const fs::path& to) {
        std::error_code error;
        for (fs::directory_iterator it(from, error), end; !error && it != end && !workers_.failed();
             it.increment(error))
            copyEntry(*it, to / it->path().filename());
        if (error)
            raiseFor(error, from);
        folders_.emplace_back(from, to);
    }

    void copyEntry(const fs::directory_entry& entry, const fs::path& to) {
        switch (listedType(entry)) {
        case fs::file_type::directory:
            if (!overwrite_ || !fs::is_directory(entryStatus(to)))
                createFolder(to);
            walk(entry.path(), to);
            break;
        case fs::file_type::regular:
            makeRoomFor(to);
            workers_.post([this, from = entry.path(), to] {
                countFile();
                native::copyFile(from, to);
            });
            break;
        case fs::file_type::symlink:
            makeRoomFor(to);
            native::copySymlink(entry.path(), to);
            break;
        default:
            // FIFOs, sockets and devices have no contents to ship; copying one would block or
            // produce something the product cannot use, and skipping it silently would install
            // a folder that differs from the one shipped. The run fails instead.
            raiseAt(desc::PathFileAccessError, entry.path());
        }
    }

    // Only a file or link of the same name is replaced; a folder where a file goes is not.
    // Without overwrite the copy itself refuses an existing name, so there is nothing to look up.
    void makeRoomFor(const fs::path& to) {
        if (!overwrite_)
            return;
        const fs::file_status status = entryStatus(to);
        if (status.type() == fs::file_type::not_found)
            return;
        if (fs::is_directory(status))
            raiseAt(desc::FileAlreadyExists, to);
        removeSingle(to, status.type());
    }

    void countFile() {
        if (injected_ && copiedFiles_.fetch_add(1) == injected_->afterFiles)
            rt::raise(injected_->description);
    }

    bool overwrite_;
    std::optional<InjectedFailure> injected_;
    std::atomic<int> copiedFiles_{0};
    std::vector<std::pair<fs::path, fs::path>> folders_;
    Workers workers_;
};

// Removes whatever is at the path, links as links. Removing a file is mostly waiting: file
// systems mounted with discard free each file's blocks on the device before unlink returns. So
// the files are removed on several threads, then the emptied folders, innermost first.
class RemoveWalk {
public:
    explicit RemoveWalk(bool force) : force_(force), workers_(4) {}

    void remove(const fs::path& path) {
        const fs::file_status status = entryStatus(path);
        if (!fs::is_directory(status)) {
            removeOne(path, status);
            return;
        }
        walk(path, status, 0);
        workers_.wait();
        for (auto depth = folders_.rbegin(); depth != folders_.rend(); ++depth) {
            for (const fs::path& folder : *depth)
                workers_.post([folder] { removeSingle(folder, fs::file_type::directory); });
            workers_.wait();
        }
    }

private:
    // The whole listing is read before anything in it is removed, so no file system has to
    // list a folder that changes under it.
    void walk(const fs::path& folder, fs::file_status status, std::size_t depth) {
        makeRemovable(folder, status);
        std::vector<fs::path> files, subfolders;
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error))
            (listedType(*it) == fs::file_type::directory ? subfolders : files)
                .push_back(it->path());
        if (error)
            raiseFor(error, folder);
        for (fs::path& file : files)
            workers_.post([this, file = std::move(file)] { removeOne(file, entryStatus(file)); });
        for (const fs::path& subfolder : subfolders) {
            if (workers_.failed())
                return;
            walk(subfolder, entryStatus(subfolder), depth + 1);
        }
        if (folders_.size() <= depth)
            folders_.resize(depth + 1);
        folders_[depth].push_back(folder);
    }

    void removeOne(const fs::path& path, fs::file_status status) const {
        if (status.type() != fs::file_type::symlink)
            makeRemovable(path, status);
        removeSingle(path, status.type());
    }

    // Force makes entries removable the way the platform needs; a folder must also be listed
    // and entered to be emptied.
    void makeRemovable(const fs::path& path, fs::file_status status) const {
        const fs::perms granted = status.permissions();
        if (!force_ && (granted & fs::perms::owner_write) == fs::perms::none)
            raiseAt(desc::PermissionDenied, path);
        const fs::perms needed =
            fs::is_directory(status) ? fs::perms::owner_all : fs::perms::owner_write;
        if (force_ && (granted & needed) != needed) {
            std::error_code error;
            fs::permissions(path, needed, fs::perm_options::add, error);
            if (error)
                raiseFor(error, path);
        }
    }

    bool force_;
    // Per depth below the folder removed, the folders to remove once emptied.
    std::vector<std::vector<fs::path>> folders_;
    Workers workers_;
};

void removeEntry(const fs::path& path, bool force) {
    RemoveWalk(force).remove(path);
}

// Cleanup on the way out of a failed replace: the failure already raised is the one to report,
// and a leftover staging folder is reported by name on the next run.
void removeQuietly(const fs::path& path) noexcept {
    try {
        removeEntry(path, true);
    } catch (const std::exception&) {
    }
}

} // namespace

bool folderExists(const fs::path& path) noexcept {
    std::error_code error;
    return fs::is_directory(path, error);
}

void deleteFolder(const fs::path& folder, bool force) {
    if (!folderExists(folder))
        raiseAt(desc::PathNotFound, folder);
    removeEntry(folder, force);
}

void copyFolder(const fs::path& source, const fs::path& destination, bool overwrite) {
    if (!folderExists(source))
        raiseAt(desc::PathNotFound, source);
    if (isWithin(destination, source))
        raiseAt(desc::InvalidProcedureCall, destination);
    if (!overwrite || !folderExists(destination))
        createFolder(destination);
    CopyWalk(overwrite).copyContents(source, destination);
}

void replaceFolder(const fs::path& source, const fs::path& targetPath) {
    const fs::path target = targetPath.has_filename() ? targetPath : targetPath.parent_path();
    const fs::path staging = fs::path(target).concat(".tolvar-new");
    const fs::path old = fs::path(target).concat(".tolvar-old");

    if (!folderExists(source))
        raiseAt(desc::PathNotFound, source);
    // The folder that holds the target is named rather than the staging folder we would fail to
    // create in it.
    const fs::path parent = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!folderExists(parent))
        raiseAt(desc::PathNotFound, parent);
    const bool hadTarget = entryExists(target);
    if (hadTarget && !folderExists(target))
        raiseAt(desc::FileAlreadyExists, target);
    if (isWithin(staging, source))
        raiseAt(desc::InvalidProcedureCall, staging);
    for (const fs::path& name : {staging, old})
        if (entryExists(name))
            raiseAt(desc::FileAlreadyExists, name);

    createFolder(staging);
    try {
        CopyWalk(false).copyContents(source, staging);
        if (hadTarget)
            native::renameNoReplace(target, old);
    } catch (...) {
        removeQuietly(staging);
        throw;
    }
    try {
        native::renameNoReplace(staging, target);
    } catch (...) {
        removeQuietly(staging);
        // If the previous folder cannot be put back, that failure is the one to report: it
        // names where the user's folder now is.
        if (hadTarget)
            native::renameNoReplace(old, target);
        throw;
    }

    // The new copy is in place from here on; a failure leaves the rest of the previous folder
    // under its parked name rather than undoing a finished update.
    if (hadTarget)
        removeEntry(old, true);
}

namespace testing {

void failCopyAfter(int files, std::string description) {
    std::lock_guard lock(injectedMutex);
    injected = InjectedFailure{files, std::move(description)};
}

void clearInjectedFailures() {
    std::lock_guard lock(injectedMutex);
    injected.reset();
}

} // namespace testing

} // namespace tolvar::platform
