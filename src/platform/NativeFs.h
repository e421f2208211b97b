#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// What the folder walks need from the operating system. A walk holds each folder open while it
// works in it and names that folder's entries relative to it, never by a path from the top: a
// writer who swaps a listed subfolder for a link, or a folder for a file, can then neither send a
// removal outside the tree nor a copy into another folder. Exactly one backend is compiled in.
namespace tolvar::platform::native {

struct Entry {
    std::filesystem::path name;
    // A link (on Windows a directory junction too) is a link, never what it leads to.
    std::filesystem::file_type type;
};

class LockFile;

class Folder {
public:
    // Links in the path are followed: the product directory the user chose may well be one.
    static Folder open(const std::filesystem::path& path);

    Folder(Folder&& other) noexcept;
    Folder& operator=(Folder&& other) noexcept;
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder();

    // Where the folder was when it was opened, for messages.
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path pathOf(const std::filesystem::path& name) const { return path_ / name; }

    // The entry itself, not_found when nothing is there.
    std::filesystem::file_type typeOf(const std::filesystem::path& name) const;
    // What tells the entry itself (not what a link leads to) from every other entry on the
    // machine for as long as it exists, whatever it is renamed to.
    std::string identityOf(const std::filesystem::path& name) const;
    std::vector<Entry> list() const;

    // A subfolder, refused with "Path/File access error" when a link or anything but a folder
    // has taken its name. With `forRemoval` the subfolder is first made listable and writable
    // (POSIX owner permissions, the Windows read-only attribute), as deleting it needs.
    Folder openChild(const std::filesystem::path& name, bool forRemoval = false) const;
    void createFolder(const std::filesystem::path& name) const;
    // A file, a link (itself) or an empty folder; read-only entries included.
    void remove(const std::filesystem::path& name, std::filesystem::file_type type) const;
    // Renames within this folder, failing with "File already exists" rather than replacing.
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) const;

    // A new file of this folder with the same contents, permission bits and times as the file
    // `name` of `source`; never written through a link or over an existing entry.
    void copyFileFrom(const Folder& source, const std::filesystem::path& name) const;
    // Recreates source's link `name` here with the same target and times, or fails naming it
    // where the platform cannot; never copies what the link leads to.
    void copyLinkFrom(const Folder& source, const std::filesystem::path& name) const;
    // This folder's permission bits and times become those of `source`; applied once its
    // contents are in, so a read-only source folder can still be filled.
    void takeAttributesOf(const Folder& source) const;

    // Everything written below this folder so far is on the storage device when this returns.
    void flushWrites() const;

private:
    friend class LockFile;
    Folder(std::intptr_t handle, std::filesystem::path path);

    std::intptr_t handle_;
    std::filesystem::path path_;
};

// A small file of a folder that one process at a time holds, and that keeps a short record for
// whoever holds it next. The operating system lets go of the hold when the holder dies, however
// it dies; the record stays.
class LockFile {
public:
    // Nothing when another process holds it. `folder` must outlive the lock.
    static std::optional<LockFile> tryTake(const Folder& folder, const std::filesystem::path& name);

    LockFile(LockFile&& other) noexcept;
    LockFile& operator=(LockFile&&) = delete;
    LockFile(const LockFile&) = delete;
    LockFile& operator=(const LockFile&) = delete;
    // Lets go; the file is removed when its record is empty.
    ~LockFile();

    // What the last holder recorded, at most a few kilobytes.
    std::string record() const;
    // Replaces the record; it is on the storage device when this returns.
    void setRecord(const std::string& text);

private:
    LockFile(std::intptr_t handle, const Folder& folder, std::filesystem::path name);

    std::intptr_t handle_;
    const Folder* folder_;
    std::filesystem::path name_;
    bool empty_ = false;
};

} // namespace tolvar::platform::native
