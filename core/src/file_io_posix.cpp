// The file layer over POSIX calls: the backend of the native and sanitizer
// builds of the core's tests, the benchmarks and the fuzz targets. The
// program itself uses file_io_win32.cpp.
#include "tarnvel/file_io.h"
#include "tarnvel/file_io_probe.h"
#include "tarnvel/words.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <system_error>
#include <utility>

#include "tarnvel/long_path.h"
#include "tarnvel/text.h"

namespace tarnvel {

FileHandleTraits::Value FileHandleTraits::none() noexcept { return -1; }
// cppcheck reads this file as if for Windows too, where the handle is a pointer.
// cppcheck-suppress [pointerPositive, constParameter]
bool FileHandleTraits::holds(Value descriptor) noexcept { return descriptor >= 0; }
void FileHandleTraits::close(Value descriptor) noexcept { ::close(descriptor); }

// What discard() removes, if it is still this file.
struct File::WritingState {
    std::string path;
};

// Reads here always end in their call; nothing to keep.
struct File::ReadingState {};

File::File() noexcept = default;
File::~File() = default;
File::File(File&& other) noexcept = default;
File& File::operator=(File&& other) noexcept = default;

namespace {

SystemError lastError() { return static_cast<SystemError>(errno); }

std::string nativePath(std::u16string_view path) {
    const auto utf8 = toPath(path).u8string();
    return {utf8.begin(), utf8.end()};
}

int openRetrying(const std::string& path, int flags) {
    int opened = -1;
    do opened = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    while (opened < 0 && errno == EINTR);
    return opened;
}

}  // namespace

bool File::isOpen() const { return static_cast<bool>(handle_); }

SystemError File::openForReading(std::u16string_view path) {
    close();
    try {
        handle_.reset(openRetrying(nativePath(path), O_RDONLY));
    } catch (const std::exception&) {
        return EINVAL;  // a name this platform cannot spell
    }
    return isOpen() ? kNoError : lastError();
}

SystemError File::openForWriting(std::u16string_view path) {
    close();
    try {
        auto writing = std::make_unique<WritingState>(WritingState{nativePath(path)});
        handle_.reset(openRetrying(writing->path, O_WRONLY | O_CREAT));
        if (!isOpen()) return lastError();
        writing_ = std::move(writing);
    } catch (const std::exception&) {
        return EINVAL;
    }
    return kNoError;
}

ReadStart File::startRead(std::span<char> buffer) {
    for (;;) {
        const ssize_t got = ::read(handle_.get(), buffer.data(), buffer.size());
        if (got >= 0) return {false, {static_cast<std::size_t>(got), kNoError}};
        if (errno != EINTR) return {false, {0, lastError()}};
    }
}

NativeHandle File::readSignal() const { return -1; }
bool File::readEnded() const { return true; }
Transfer File::finishRead() { return {}; }
void File::cancelRead() {}
// Nothing here ever pends.
bool waitForSignal(NativeHandle, std::chrono::milliseconds) { return true; }

SystemError File::writeAll(std::span<const char> bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t put = ::write(handle_.get(), bytes.data() + written, bytes.size() - written);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return lastError();
        if (put == 0) return EIO;
        written += static_cast<std::size_t>(put);
    }
    return kNoError;
}

SystemError File::truncate() {
    struct stat info {};
    if (::fstat(handle_.get(), &info) != 0) return lastError();
    // A device or a pipe has no length to cut back. An empty file is left
    // alone: ext4 takes emptying one for a rewrite and flushes all of the new
    // contents on close, which cost a 1 GB cut a third of its time (under
    // Wine too, whose SetEndOfFile is this call).
    if (!S_ISREG(info.st_mode) || info.st_size == 0) return kNoError;
    if (::ftruncate(handle_.get(), 0) != 0 || ::lseek(handle_.get(), 0, SEEK_SET) != 0) return lastError();
    return kNoError;
}

SystemError File::identity(FileIdentity& out) const {
    struct stat info {};
    if (::fstat(handle_.get(), &info) != 0) return lastError();
    out.volume = static_cast<std::uint64_t>(info.st_dev);
    out.index = static_cast<std::uint64_t>(info.st_ino);
    return kNoError;
}

bool File::onDisk() const {
    struct stat info {};
    return ::fstat(handle_.get(), &info) == 0 && S_ISREG(info.st_mode);
}

SystemError File::close() {
    writing_.reset();
    if (!isOpen()) return kNoError;
    // Retrying after EINTR could close a descriptor another thread just got.
    return ::close(handle_.release()) == 0 ? kNoError : lastError();
}

ErrorKind errorKind(SystemError code) {
    switch (code) {
    case EACCES:
    case EPERM:
    case EISDIR: return ErrorKind::AccessDenied;
    case ENOSPC:
    case EDQUOT: return ErrorKind::DiskFull;
    case EBUSY:
    case ETXTBSY: return ErrorKind::InUse;
    case ENODEV:
    case ENXIO:
    case ESTALE: return ErrorKind::DeviceGone;
    default: return ErrorKind::Other;
    }
}

bool folderOrReadOnlyAt(std::u16string_view path) {
    struct stat info {};
    try {
        if (::stat(nativePath(path).c_str(), &info) != 0) return false;
    } catch (const std::exception&) {
        return false;
    }
    return S_ISDIR(info.st_mode) || (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// Drives and shares are Windows' own; here every path hangs off one root.
bool driveGone(std::u16string_view) { return false; }

FileFacts inspectFile(std::u16string_view path) {
    FileFacts facts;
    UniqueOwner<FileHandleTraits> fd;
    try {
        // Not blocking: a FIFO would otherwise wait here for a writer.
        fd.reset(openRetrying(nativePath(path), O_RDONLY | O_NONBLOCK | O_NOCTTY));
    } catch (const std::exception&) {
        facts.error = EINVAL;
        return facts;
    }
    if (!fd) {
        facts.error = lastError();
        return facts;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        facts.error = lastError();
    else if (S_ISREG(info.st_mode)) {
        facts.regularFile = true;
        facts.bytes = static_cast<std::uint64_t>(info.st_size);
    }
    return facts;
}

ListedName lookUpName(std::u16string_view path) {
    struct stat info {};
    try {
        return {::lstat(nativePath(path).c_str(), &info) == 0, false};
    } catch (const std::exception&) {
        return {};
    }
}

// POSIX has no mark that removes a file when its process ends; this layer
// serves the tests only, and a failed or stopped cut still goes through discard().
bool File::removeWhenClosed() { return false; }

RemovalMark FileLayerProbe::markOf(const File&) { return RemovalMark::None; }
void FileLayerProbe::refuseTheNewerMark(SystemError) {}

SystemError File::keepWhenClosed() { return kNoError; }

SystemError File::discard() {
    if (!isOpen()) return kNoError;
    struct stat open {
    }, named{};
    SystemError error = kNoError;
    if (::fstat(handle_.get(), &open) != 0) {
        error = lastError();
    } else if (S_ISREG(open.st_mode) && writing_ && ::stat(writing_->path.c_str(), &named) == 0 &&
               named.st_dev == open.st_dev && named.st_ino == open.st_ino && ::unlink(writing_->path.c_str()) != 0) {
        // Devices stay, and so does a name that leads elsewhere by now: this
        // file then has no name left, and its space comes back on close.
        error = lastError();
        if (::ftruncate(handle_.get(), 0) != 0) error = lastError();
    }
    close();
    return error;
}

SystemError roomFor(std::u16string_view path, std::uint64_t& bytes) {
    std::string file;
    try {
        file = nativePath(path);
    } catch (const std::exception&) {
        return EINVAL;
    }
    const auto slash = file.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : file.substr(0, slash + 1);
    struct statvfs volume {};
    if (::statvfs(folder.c_str(), &volume) != 0) return lastError();
    bytes = std::uint64_t{volume.f_bavail} * volume.f_frsize;
    struct stat existing {};
    if (::stat(file.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        bytes += static_cast<std::uint64_t>(existing.st_size);
    return kNoError;
}

std::u16string systemErrorText(SystemError code) {
    const std::string text = std::generic_category().message(static_cast<int>(code));
    return asciiToUtf16(text) + u" (errno " + decimalText(code) + u")";
}

}  // namespace tarnvel
