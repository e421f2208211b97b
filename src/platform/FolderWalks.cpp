#include "platform/FolderWalks.h"

#include "platform/FaultSeam.h"
#include "platform/FsFailure.h"
#include "platform/Workers.h"
#include "runtime/core/Failure.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace tolvar::platform::walks {

using native::Folder;

namespace {

// A folder of a walk is finished once its own listing has been walked and every job and
// subfolder that listing gave rise to is done; whichever thread completes the last of them runs
// the folder's closing step, and then counts the folder as done in its parent. So each folder is
// closed after everything inside it, innermost first, and lets go of its open handles at once
// rather than at the end of the walk.
class Countdown {
public:
    explicit Countdown(std::shared_ptr<Countdown> parent) : parent_(std::move(parent)) {
        if (parent_) {
            parent_->expect();
        }
    }
    Countdown(const Countdown&) = delete;
    Countdown& operator=(const Countdown&) = delete;
    virtual ~Countdown() = default;

    void expect() { pending_.fetch_add(1, std::memory_order_relaxed); }

    void done() {
        if (pending_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            close();
            if (parent_) {
                parent_->done();
            }
        }
    }

private:
    virtual void close() = 0;

    // The walk of the folder's own listing is the first thing pending.
    std::atomic<int> pending_{1};
    std::shared_ptr<Countdown> parent_;
};

// Files are copied on a second thread while the walk creates the folders and links: with the
// file system's own cost per new file being most of a copy, two threads nearly halve it.
class CopyWalk {
public:
    explicit CopyWalk(std::atomic<std::uint64_t>* filesCopied)
        : injected_(seam::copyFault()), filesCopied_(filesCopied), workers_(2) {}

    void copy(Folder from, Folder to) {
        walk(std::make_shared<Pair>(std::move(from), std::move(to), nullptr));
        workers_.wait();
    }

private:
    struct Pair : Countdown {
        Pair(Folder source, Folder copy, std::shared_ptr<Countdown> parent)
            : Countdown(std::move(parent)), from(std::move(source)), to(std::move(copy)) {}

        // Only once everything is in: a read-only folder cannot be filled, and each entry added
        // to a folder moves its modification time.
        void close() override {
            to->takeAttributesOf(*from);
            from.reset();
            to.reset();
        }

        std::optional<Folder> from;
        std::optional<Folder> to;
    };

    void walk(const std::shared_ptr<Pair>& pair) {
        for (const native::Entry& entry : pair->from->list()) {
            if (workers_.failed()) {
                return;
            }
            copyEntry(pair, entry);
        }
        pair->done();
    }

    void copyEntry(const std::shared_ptr<Pair>& pair, const native::Entry& entry) {
        switch (entry.type) {
        case fs::file_type::directory:
            pair->to->createFolder(entry.name);
            walk(std::make_shared<Pair>(pair->from->openChild(entry.name),
                                        pair->to->openChild(entry.name), pair));
            break;
        case fs::file_type::regular:
            pair->expect();
            workers_.post([this, pair, name = entry.name] {
                countFile();
                pair->to->copyFileFrom(*pair->from, name);
                if (filesCopied_) {
                    filesCopied_->fetch_add(1, std::memory_order_relaxed);
                }
                pair->done();
            });
            break;
        case fs::file_type::symlink:
            pair->to->copyLinkFrom(*pair->from, entry.name);
            break;
        default:
            // FIFOs, sockets and devices have no contents to ship; copying one would block or
            // produce something the product cannot use, and skipping it silently would install
            // a folder that differs from the one shipped. The run fails instead.
            raiseAt(rt::desc::PathFileAccessError, pair->from->pathOf(entry.name));
        }
    }

    void countFile() {
        if (injected_ && copiedFiles_.fetch_add(1) == injected_->afterFiles) {
            rt::raise(injected_->description);
        }
    }

    std::optional<seam::CopyFault> injected_;
    std::atomic<int> copiedFiles_{0};
    std::atomic<std::uint64_t>* filesCopied_;
    Workers workers_;
};

// Removing a file is mostly waiting: file systems mounted with discard free each file's blocks on
// the device before unlink returns. So files are removed on several threads; each folder goes as
// soon as it is empty.
class RemoveWalk {
public:
    RemoveWalk() : workers_(4) {}

    void remove(const Folder& folder, const fs::path& name) {
        const fs::file_type type = folder.typeOf(name);
        if (type == fs::file_type::not_found) {
            raiseAt(rt::desc::PathNotFound, folder.pathOf(name));
        }
        if (type != fs::file_type::directory) {
            folder.remove(name, type);
            return;
        }
        walk(std::make_shared<Emptied>(folder.openChild(name, true), folder, name, nullptr));
        workers_.wait();
    }

private:
    struct Emptied : Countdown {
        Emptied(Folder self, const Folder& holder, fs::path ownName,
                std::shared_ptr<Countdown> parent)
            : Countdown(std::move(parent)), folder(std::move(self)), container(&holder),
              name(std::move(ownName)) {}

        void close() override {
            folder.reset();
            container->remove(name, fs::file_type::directory);
        }

        std::optional<Folder> folder;
        // The parent's open folder, kept open until this one is removed from it.
        const Folder* container;
        fs::path name;
    };

    // The whole listing is read before anything in it is removed, so no file system has to list
    // a folder that changes under it.
    void walk(const std::shared_ptr<Emptied>& emptied) {
        std::vector<fs::path> subfolders;
        for (native::Entry& entry : emptied->folder->list()) {
            if (entry.type == fs::file_type::directory) {
                subfolders.push_back(std::move(entry.name));
                continue;
            }
            emptied->expect();
            workers_.post([emptied, entry = std::move(entry)] {
                emptied->folder->remove(entry.name, entry.type);
                emptied->done();
            });
        }
        for (const fs::path& subfolder : subfolders) {
            if (workers_.failed()) {
                return;
            }
            walk(std::make_shared<Emptied>(emptied->folder->openChild(subfolder, true),
                                           *emptied->folder, subfolder, emptied));
        }
        emptied->done();
    }

    Workers workers_;
};

} // namespace

void copyContents(Folder from, Folder to, std::atomic<std::uint64_t>* filesCopied) {
    CopyWalk(filesCopied).copy(std::move(from), std::move(to));
}

void remove(const Folder& folder, const fs::path& name) {
    RemoveWalk().remove(folder, name);
}

} // namespace tolvar::platform::walks
