#include "platform/FolderOps.h"

#include "platform/FaultSeam.h"
#include "platform/FolderWalks.h"
#include "platform/FsFailure.h"
#include "platform/NativeFs.h"
#include "runtime/core/Failure.h"

#include <algorithm>
#include <iostream>
#include <mutex>
#include <optional>
#include <sstream>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;
namespace desc = tolvar::rt::desc;

namespace tolvar::platform {

using native::Folder;

namespace {

std::mutex seamMutex;
std::optional<seam::CopyFault> copyFault;
std::function<void(const char*)> stepHook;

bool isWithin(const fs::path& inner, const fs::path& outer) {
    std::error_code error;
    const fs::path in = fs::weakly_canonical(inner, error);
    if (error) {
        raiseFor(error, inner);
    }
    const fs::path out = fs::weakly_canonical(outer, error);
    if (error) {
        raiseFor(error, outer);
    }
    return std::mismatch(out.begin(), out.end(), in.begin(), in.end()).first == out.end();
}

// The folder that holds `path`, which must exist; it is named rather than whatever the caller
// would have failed to make in it.
Folder openParentOf(const fs::path& path) {
    const fs::path parent = path.has_parent_path() ? path.parent_path() : fs::path(".");
    if (!folderExists(parent)) {
        raiseAt(desc::PathNotFound, parent);
    }
    return Folder::open(parent);
}

// A trailing separator names the folder before it.
fs::path withoutTrailingSeparator(const fs::path& path) {
    return path.has_filename() ? path : path.parent_path();
}

// The names a replace works with inside the folder that holds its target.
struct Siblings {
    explicit Siblings(const fs::path& path)
        : target(path.filename()), staging(fs::path(target).concat(".tolvar-new")),
          parked(fs::path(target).concat(".tolvar-old")),
          lock(fs::path(target).concat(".tolvar-lock")) {}

    fs::path target, staging, parked, lock;
};

// Which entries this program made beside the target, by identity, so an entry that merely has
// one of the names is never taken for ours. Kept in the lock file as "new <id>" and "old <id>"
// lines; a run only ever adds a line or empties the record.
struct Made {
    std::string staging, parked;

    static Made readFrom(const native::LockFile& lock) {
        Made made;
        std::istringstream lines(lock.record());
        std::string role, identity;
        while (lines >> role >> identity) {
            if (role == "new") {
                made.staging = identity;
            } else if (role == "old") {
                made.parked = identity;
            }
        }
        return made;
    }

    std::string record() const {
        std::string text = "new " + staging + "\n";
        if (!parked.empty()) {
            text += "old " + parked + "\n";
        }
        return text;
    }
};

// Whether the entry `name` is one this program made; an entry of that name that is not raises
// "File already exists" naming it. A staging folder that is still empty may have been made in the
// instant before it was recorded, and holds nothing to lose either way.
bool isOurs(const Folder& holder, const fs::path& name, const std::string& identity,
            bool emptyIsOurs) {
    const fs::file_type type = holder.typeOf(name);
    if (type == fs::file_type::not_found) {
        return false;
    }
    if (!identity.empty() && holder.identityOf(name) == identity) {
        return true;
    }
    if (emptyIsOurs && type == fs::file_type::directory && holder.openChild(name).list().empty()) {
        return true;
    }
    raiseAt(desc::FileAlreadyExists, holder.pathOf(name));
}

// Brings what an interrupted replace left to one of its two sound ends: the previous folder back
// in place when the target is missing (the process stopped between the two renames), otherwise
// the target as it is, without the leftovers.
void recover(const Folder& holder, const Siblings& names, native::LockFile& lock) {
    const Made made = Made::readFrom(lock);
    bool parked = isOurs(holder, names.parked, made.parked, false);
    if (parked && holder.typeOf(names.target) == fs::file_type::not_found) {
        holder.rename(names.parked, names.target);
        parked = false;
    }
    if (isOurs(holder, names.staging, made.staging, true)) {
        walks::remove(holder, names.staging);
    }
    if (parked) {
        walks::remove(holder, names.parked);
    }
    lock.setRecord({});
}

void step(const char* name) {
    std::function<void(const char*)> hook;
    {
        std::lock_guard lock(seamMutex);
        hook = stepHook;
    }
    if (hook) {
        hook(name);
    }
}

// Cleanup on the way out of a failed replace: the failure already raised is the one to report,
// and whatever stays behind is recorded, so the next replace removes it.
void removeStaging(const Folder& holder, const Siblings& names, native::LockFile& lock) noexcept {
    try {
        walks::remove(holder, names.staging);
        lock.setRecord({});
    } catch (const std::exception&) {
    }
}

// The new copy is in place; what is left of the previous folder is housekeeping. The record of it
// stays when it cannot be removed (a file still held open, a read-only mount), and the next
// replace of the target removes it.
void removeParked(const Folder& holder, const Siblings& names, native::LockFile& lock) {
    step("clean");
    try {
        walks::remove(holder, names.parked);
    } catch (const std::exception& failure) {
        std::cerr << "The update is in place; the previous folder stays at '"
                  << holder.pathOf(names.parked).string()
                  << "' until the next update removes it: " << failure.what() << '\n';
        return;
    }
    lock.setRecord({});
}

} // namespace

namespace seam {

std::optional<CopyFault> copyFault() {
    std::lock_guard lock(seamMutex);
    return platform::copyFault;
}

} // namespace seam

bool folderExists(const fs::path& path) noexcept {
    std::error_code error;
    return fs::is_directory(path, error);
}

void deleteFolder(const fs::path& folderPath) {
    const fs::path folder = withoutTrailingSeparator(folderPath);
    if (!folderExists(folder)) {
        raiseAt(desc::PathNotFound, folder);
    }
    walks::remove(openParentOf(folder), folder.filename());
}

void copyFolder(const fs::path& source, const fs::path& destinationPath) {
    const fs::path destination = withoutTrailingSeparator(destinationPath);
    if (!folderExists(source)) {
        raiseAt(desc::PathNotFound, source);
    }
    if (isWithin(destination, source)) {
        raiseAt(desc::InvalidProcedureCall, destination);
    }
    const Folder holder = openParentOf(destination);
    holder.createFolder(destination.filename());
    walks::copyContents(Folder::open(source), holder.openChild(destination.filename()));
}

void replaceFolder(const fs::path& source, const fs::path& targetPath,
                   std::atomic<std::uint64_t>* filesCopied) {
    const fs::path target = withoutTrailingSeparator(targetPath);
    const Siblings names(target);
    if (!folderExists(source)) {
        raiseAt(desc::PathNotFound, source);
    }
    const Folder holder = openParentOf(target);
    // A copy made inside its own source would never end.
    if (isWithin(holder.pathOf(names.staging), source)) {
        raiseAt(desc::InvalidProcedureCall, holder.pathOf(names.staging));
    }
    std::optional<native::LockFile> lock = native::LockFile::tryTake(holder, names.lock);
    if (!lock) {
        raiseAt(UpdateInProgress, target);
    }
    recover(holder, names, *lock);
    const bool hadTarget = holder.typeOf(names.target) != fs::file_type::not_found;
    if (hadTarget && !folderExists(target)) {
        raiseAt(desc::FileAlreadyExists, target);
    }

    Made made;
    holder.createFolder(names.staging);
    try {
        made.staging = holder.identityOf(names.staging);
        lock->setRecord(made.record());
        step("copy");
        walks::copyContents(Folder::open(source), holder.openChild(names.staging), filesCopied);
        // Renamed in before its contents are on the device, the new copy could be found empty
        // after a power cut, with the previous one already gone.
        step("flush");
        holder.openChild(names.staging).flushWrites();
        if (hadTarget) {
            made.parked = holder.identityOf(names.target);
            lock->setRecord(made.record());
            step("park");
            holder.rename(names.target, names.parked);
        }
    } catch (...) {
        removeStaging(holder, names, *lock);
        throw;
    }
    try {
        step("install");
        holder.rename(names.staging, names.target);
    } catch (...) {
        // If the previous folder cannot be put back, that failure is the one to report: it
        // names where the user's folder now is, and the next replace puts it back.
        if (hadTarget) {
            holder.rename(names.parked, names.target);
        }
        removeStaging(holder, names, *lock);
        throw;
    }
    if (hadTarget) {
        removeParked(holder, names, *lock);
    } else {
        lock->setRecord({});
    }
}

namespace testing {

void failCopyAfter(int files, std::string description) {
    std::lock_guard lock(seamMutex);
    copyFault = seam::CopyFault{files, std::move(description)};
}

void onReplaceStep(std::function<void(const char*)> hook) {
    std::lock_guard lock(seamMutex);
    stepHook = std::move(hook);
}

void clearInjectedFailures() {
    std::lock_guard lock(seamMutex);
    copyFault.reset();
    stepHook = nullptr;
}

} // namespace testing

} // namespace tolvar::platform
