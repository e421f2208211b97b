#include "platform/FsFailure.h"

#include "runtime/core/Failure.h"

#include <string>

namespace tolvar::platform {

namespace desc = rt::desc;

void raiseAt(const char* description, const std::filesystem::path& path) {
    rt::raise(std::string(description) + ": '" + path.string() + "'");
}

void raiseFor(std::error_code error, const std::filesystem::path& path) {
    using std::errc;
    error = native::portableError(error);
    if (error == errc::no_such_file_or_directory || error == errc::not_a_directory) {
        raiseAt(desc::PathNotFound, path);
    }
    if (error == errc::permission_denied || error == errc::operation_not_permitted ||
        error == errc::read_only_file_system) {
        raiseAt(desc::PermissionDenied, path);
    }
    if (error == errc::file_exists || error == errc::directory_not_empty) {
        raiseAt(desc::FileAlreadyExists, path);
    }
    if (error == errc::no_space_on_device) {
        raiseAt(desc::DiskFull, path);
    }
    if (error == errc::too_many_files_open || error == errc::too_many_files_open_in_system) {
        raiseAt(desc::TooManyFiles, path);
    }
    raiseAt(desc::PathFileAccessError, path);
}

} // namespace tolvar::platform
