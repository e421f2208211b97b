#include "runtime/SequentialFiles.h"

#include "runtime/core/Failure.h"

#include <QFile>

#include <array>
#include <cerrno>
#include <cstdio>

namespace tolvar::rt::files {

namespace {
constexpr int MaxNumber = 255;

std::array<std::FILE*, MaxNumber + 1>& table() {
    static std::array<std::FILE*, MaxNumber + 1> files{};
    return files;
}

std::FILE* fileFor(int number) {
    if (number < 1 || number > MaxNumber || table()[static_cast<std::size_t>(number)] == nullptr) {
        raise(desc::BadFileNameOrNumber);
    }
    return table()[static_cast<std::size_t>(number)];
}

[[noreturn]] void raiseFromErrno(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        raise(desc::PathNotFound);
    case EACCES:
    case EPERM:
    case EROFS:
        raise(desc::PermissionDenied);
    case ENOSPC:
#ifdef EDQUOT // the Windows C run-time has no quota code of its own: a full quota is ENOSPC there
    case EDQUOT:
#endif
        raise(desc::DiskFull);
    case EMFILE:
    case ENFILE:
        raise(desc::TooManyFiles);
    default:
        raise(desc::PathFileAccessError);
    }
}
} // namespace

int freeFile() {
    for (int number = 1; number <= MaxNumber; ++number) {
        if (table()[static_cast<std::size_t>(number)] == nullptr) {
            return number;
        }
    }
    raise(desc::TooManyFiles);
}

void openForOutput(int number, const QString& path) {
    if (number < 1 || number > MaxNumber) {
        raise(desc::BadFileNameOrNumber);
    }
    if (table()[static_cast<std::size_t>(number)] != nullptr) {
        raise(desc::FileAlreadyOpen);
    }
    if (path.isEmpty()) {
        raise(desc::PathNotFound);
    }
    std::FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (file == nullptr) {
        raiseFromErrno(errno);
    }
    table()[static_cast<std::size_t>(number)] = file;
}

void printLine(int number, const QString& line) {
    std::FILE* file = fileFor(number);
    QByteArray bytes = line.toLocal8Bit();
    bytes.append("\r\n");
    // Each line reaches the disk before the call returns, so a process that ends at once
    // never leaves a line behind in a buffer.
    if (std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), file) !=
            static_cast<std::size_t>(bytes.size()) ||
        std::fflush(file) != 0) {
        raiseFromErrno(errno);
    }
}

void close(int number) {
    if (number < 1 || number > MaxNumber) {
        return;
    }
    std::FILE*& file = table()[static_cast<std::size_t>(number)];
    if (file != nullptr) {
        std::fclose(file);
        file = nullptr;
    }
}

void closeAll() {
    for (int number = 1; number <= MaxNumber; ++number) {
        close(number);
    }
}

} // namespace tolvar::rt::files
