#pragma once

#include <memory>
#include <optional>
#include <string>

// What the platform readers read, set up for one scope the way each backend finds it.

// The registry holds what the export file (".reg") says, and nothing else. On POSIX the file
// itself stands in for the registry. On Windows the platform's own importer loads it below a key
// of this test process, which then stands in for HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, so the
// machine's own registry is never touched.
class ScopedRegistry {
public:
    explicit ScopedRegistry(const std::string& file);
    ScopedRegistry(const ScopedRegistry&) = delete;
    ScopedRegistry& operator=(const ScopedRegistry&) = delete;
    ~ScopedRegistry();

private:
    struct Stand;
    std::unique_ptr<Stand> stand_;
};

// The root of the current drive holds the file `name` with `contents`, or with no contents holds
// no file of that name. On POSIX the root is a fresh folder named by TOLVAR_ROOT. On Windows the
// current directory moves to the temporary folder's drive, whose root gets the file; when that
// root already has a file of the name or cannot be written, ready() is false and nothing there
// is touched.
class ScopedDriveRootFile {
public:
    ScopedDriveRootFile(const std::string& name, const std::optional<std::string>& contents);
    ScopedDriveRootFile(const ScopedDriveRootFile&) = delete;
    ScopedDriveRootFile& operator=(const ScopedDriveRootFile&) = delete;
    ~ScopedDriveRootFile();

    bool ready() const;

private:
    struct Stand;
    std::unique_ptr<Stand> stand_;
};
