#include "platform/FolderOps.h"

#include "platform/NativeFs.h"
#include "runtime/core/Failure.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <utility>

namespace fs = std::filesystem;
namespace desc = tolvar::rt::desc;

namespace tolvar::platform {

void raiseAt(const char* description, const fs::path& path) {
    rt::raise(std::string(description) + ": '" + path.string() + "'");
}

void raiseFor(std::error_code error, const fs::path& path) {
    using std::errc;
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
    const fs::file_status status = fs::symlink_status(path, error);
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

// The single copy routine: walks the source folder and copies entry by entry, so each kind of
// entry has one place where it is copied.
class CopyWalk {
public:
    explicit CopyWalk(bool overwrite)
        : overwrite_(overwrite), injected_(currentInjectedFailure()) {}

    // `to` must already exist; it receives source's entries, then its permissions and times.
    void copyContents(const fs::path& from, const fs::path& to) {
        std::error_code error;
        for (fs::directory_iterator it(from, error), end; !error && it != end; it.increment(error))
            copyEntry(*it, to / it->path().filename());
        if (error)
            raiseFor(error, from);
        native::copyFolderAttributes(from, to);
    }

private:
    void copyEntry(const fs::directory_entry& entry, const fs::path& to) {
        std::error_code error;
        const fs::file_type type = entry.symlink_status(error).type();
        if (error)
            raiseFor(error, entry.path());
        switch (type) {
        case fs::file_type::directory:
            if (!overwrite_ || !fs::is_directory(entryStatus(to)))
                createFolder(to);
            copyContents(entry.path(), to);
            break;
        case fs::file_type::regular:
            makeRoomFor(to);
            countFile();
            native::copyFile(entry.path(), to);
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
    void makeRoomFor(const fs::path& to) {
        const fs::file_status status = entryStatus(to);
        if (status.type() == fs::file_type::not_found)
            return;
        if (!overwrite_ || fs::is_directory(status))
            raiseAt(desc::FileAlreadyExists, to);
        std::error_code error;
        fs::remove(to, error);
        if (error)
            raiseFor(error, to);
    }

    void countFile() {
        if (injected_ && copiedFiles_ == injected_->afterFiles)
            rt::raise(injected_->description);
        ++copiedFiles_;
    }

    bool overwrite_;
    std::optional<InjectedFailure> injected_;
    int copiedFiles_ = 0;
};

// Removes whatever is at the path, links as links.
void removeEntry(const fs::path& path, bool force) {
    const fs::file_status status = entryStatus(path);
    const bool folder = fs::is_directory(status);
    if (status.type() != fs::file_type::symlink) {
        const fs::perms granted = status.permissions();
        if (!force && (granted & fs::perms::owner_write) == fs::perms::none)
            raiseAt(desc::PermissionDenied, path);
        // Force makes entries removable the way the platform needs; a folder must also be listed
        // and entered to be emptied.
        const fs::perms needed = folder ? fs::perms::owner_all : fs::perms::owner_write;
        if (force && (granted & needed) != needed) {
            std::error_code error;
            fs::permissions(path, needed, fs::perm_options::add, error);
            if (error)
                raiseFor(error, path);
        }
    }
    std::error_code error;
    if (folder) {
        for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error))
            removeEntry(it->path(), force);
        if (error)
            raiseFor(error, path);
    }
    fs::remove(path, error);
    if (error)
        raiseFor(error, path);
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
