#include "tarnvel/file_io.h"
#include "tarnvel/words.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "tarnvel/long_path.h"
#include "tarnvel/text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#endif

namespace tarnvel {

File::~File() { close(); }

File::File(File&& other) noexcept { *this = std::move(other); }

#ifdef _WIN32

namespace {

SystemError lastError() { return static_cast<SystemError>(GetLastError()); }

std::wstring widePath(std::u16string_view path) {
    const std::u16string system = systemPath(path);
    return {system.begin(), system.end()};
}

// One call moves at most this much, well inside a DWORD.
constexpr std::size_t kMaxCallBytes = std::size_t{1} << 30;

}  // namespace

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

bool File::isOpen() const { return handle_ != nullptr; }

SystemError File::openForReading(std::u16string_view path) {
    close();
    HANDLE handle =
        CreateFileW(widePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return lastError();
    handle_ = handle;
    return kNoError;
}

SystemError File::openForWriting(std::u16string_view path) {
    close();
    const std::wstring name = widePath(path);
    const auto open = [&](DWORD access) {
        // Reading the attributes is what the identity check needs.
        return CreateFileW(name.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES | access, FILE_SHARE_READ, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    };
    // DELETE lets discard() remove it through this handle. A file one may
    // write but not delete, or one another program shares for writing only,
    // is still written; a failure then empties it instead.
    HANDLE handle = open(DELETE);
    if (handle == INVALID_HANDLE_VALUE &&
        (GetLastError() == ERROR_ACCESS_DENIED || GetLastError() == ERROR_SHARING_VIOLATION))
        handle = open(0);
    if (handle == INVALID_HANDLE_VALUE) return lastError();
    handle_ = handle;
    return kNoError;
}

Transfer File::read(std::span<char> buffer) {
    Transfer done;
    while (done.bytes < buffer.size()) {
        const std::size_t want = std::min(buffer.size() - done.bytes, kMaxCallBytes);
        DWORD got = 0;
        if (!ReadFile(handle_, buffer.data() + done.bytes, static_cast<DWORD>(want), &got, nullptr)) {
            done.error = lastError();
            return done;
        }
        if (got == 0) break;
        done.bytes += got;
    }
    return done;
}

SystemError File::writeAll(std::span<const char> bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const std::size_t want = std::min(bytes.size() - written, kMaxCallBytes);
        DWORD put = 0;
        if (!WriteFile(handle_, bytes.data() + written, static_cast<DWORD>(want), &put, nullptr)) return lastError();
        // A full disk may first accept part of a write; the next call says why.
        if (put == 0) return ERROR_WRITE_FAULT;
        written += put;
    }
    return kNoError;
}

SystemError File::truncate() {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_, &size)) return lastError();
    if (size.QuadPart == 0) return kNoError;  // see the POSIX truncate below
    const LARGE_INTEGER start{};
    if (!SetFilePointerEx(handle_, start, nullptr, FILE_BEGIN) || !SetEndOfFile(handle_)) return lastError();
    return kNoError;
}

SystemError File::identity(FileIdentity& out) const {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle_, &info)) return lastError();
    out.volume = info.dwVolumeSerialNumber;
    out.index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    return kNoError;
}

SystemError File::close() {
    if (!handle_) return kNoError;
    HANDLE handle = std::exchange(handle_, nullptr);
    return CloseHandle(handle) ? kNoError : lastError();
}

ErrorKind errorKind(SystemError code) {
    switch (code) {
    case ERROR_ACCESS_DENIED: return ErrorKind::AccessDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ErrorKind::DiskFull;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE: return ErrorKind::InUse;
    // A card or stick pulled out, a disc taken away, a network share gone.
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY:
    case ERROR_BAD_NETPATH:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_NETNAME_DELETED:
    case ERROR_FILE_INVALID:
    case ERROR_MEDIA_CHANGED:
    case ERROR_NO_MEDIA_IN_DRIVE:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED: return ErrorKind::DeviceGone;
    default: return ErrorKind::Other;
    }
}

bool folderOrReadOnlyAt(std::u16string_view path) {
    const DWORD attributes = GetFileAttributesW(widePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0;
}

bool driveGone(std::u16string_view path) {
    const std::u16string_view root = pathRoot(path);
    return !root.empty() && GetFileAttributesW(widePath(root).c_str()) == INVALID_FILE_ATTRIBUTES;
}

FileFacts inspectFile(std::u16string_view path) {
    FileFacts facts;
    // A folder opens only with backup semantics; it is then told apart below
    // rather than reported as a denial it is not.
    HANDLE handle = CreateFileW(widePath(path).c_str(), FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        facts.error = lastError();
        return facts;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    LARGE_INTEGER size{};
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        // A device or a pipe: nothing with a length to cut.
    } else if (!GetFileInformationByHandle(handle, &info) || !GetFileSizeEx(handle, &size)) {
        facts.error = lastError();
    } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        facts.regularFile = true;
        facts.bytes = static_cast<std::uint64_t>(size.QuadPart);
    }
    CloseHandle(handle);
    return facts;
}

SystemError File::discard() {
    if (!handle_) return kNoError;
    FILE_DISPOSITION_INFO remove{TRUE};
    SystemError error = kNoError;
    if (!SetFileInformationByHandle(handle_, FileDispositionInfo, &remove, sizeof remove)) {
        error = lastError();
        const LARGE_INTEGER start{};
        if (SetFilePointerEx(handle_, start, nullptr, FILE_BEGIN)) SetEndOfFile(handle_);
    }
    close();
    return error;
}

SystemError roomFor(std::u16string_view path, std::uint64_t& bytes) {
    const std::wstring file = widePath(path);
    const auto slash = file.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"." : file.substr(0, slash + 1);
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr)) return lastError();
    bytes = available.QuadPart;
    WIN32_FILE_ATTRIBUTE_DATA existing{};
    if (GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &existing) &&
        !(existing.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        bytes += (std::uint64_t{existing.nFileSizeHigh} << 32) | existing.nFileSizeLow;
    return kNoError;
}

std::u16string systemErrorText(SystemError code) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::u16string text(buffer, buffer + length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) text.pop_back();
    // Not every number has words on every system; the number alone still helps.
    return words::systemReason(text, code);
}

#else

namespace {

SystemError lastError() { return static_cast<SystemError>(errno); }

std::string nativePath(std::u16string_view path) {
    const auto utf8 = toPath(path).u8string();
    return {utf8.begin(), utf8.end()};
}

int openRetrying(const std::string& path, int flags) {
    int fd = -1;
    do fd = ::open(path.c_str(), flags | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    return fd;
}

}  // namespace

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        writtenPath_ = std::move(other.writtenPath_);
    }
    return *this;
}

bool File::isOpen() const { return fd_ >= 0; }

SystemError File::openForReading(std::u16string_view path) {
    close();
    try {
        fd_ = openRetrying(nativePath(path), O_RDONLY);
    } catch (const std::exception&) {
        return EINVAL;  // a name this platform cannot spell
    }
    return fd_ < 0 ? lastError() : kNoError;
}

SystemError File::openForWriting(std::u16string_view path) {
    close();
    try {
        writtenPath_ = nativePath(path);
        fd_ = openRetrying(writtenPath_, O_WRONLY | O_CREAT);
    } catch (const std::exception&) {
        return EINVAL;
    }
    return fd_ < 0 ? lastError() : kNoError;
}

Transfer File::read(std::span<char> buffer) {
    Transfer done;
    while (done.bytes < buffer.size()) {
        const ssize_t got = ::read(fd_, buffer.data() + done.bytes, buffer.size() - done.bytes);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            done.error = lastError();
            return done;
        }
        if (got == 0) break;
        done.bytes += static_cast<std::size_t>(got);
    }
    return done;
}

SystemError File::writeAll(std::span<const char> bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t put = ::write(fd_, bytes.data() + written, bytes.size() - written);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return lastError();
        if (put == 0) return EIO;
        written += static_cast<std::size_t>(put);
    }
    return kNoError;
}

SystemError File::truncate() {
    struct stat info {};
    if (::fstat(fd_, &info) != 0) return lastError();
    // A device or a pipe has no length to cut back. An empty file is left
    // alone: ext4 takes emptying one for a rewrite and flushes all of the new
    // contents on close, which cost a 1 GB cut a third of its time (under
    // Wine too, whose SetEndOfFile is this call).
    if (!S_ISREG(info.st_mode) || info.st_size == 0) return kNoError;
    if (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0) return lastError();
    return kNoError;
}

SystemError File::identity(FileIdentity& out) const {
    struct stat info {};
    if (::fstat(fd_, &info) != 0) return lastError();
    out.volume = static_cast<std::uint64_t>(info.st_dev);
    out.index = static_cast<std::uint64_t>(info.st_ino);
    return kNoError;
}

SystemError File::close() {
    if (fd_ < 0) return kNoError;
    // Retrying after EINTR could close a descriptor another thread just got.
    return ::close(std::exchange(fd_, -1)) == 0 ? kNoError : lastError();
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
    int fd = -1;
    try {
        // Not blocking: a FIFO would otherwise wait here for a writer.
        fd = openRetrying(nativePath(path), O_RDONLY | O_NONBLOCK | O_NOCTTY);
    } catch (const std::exception&) {
        facts.error = EINVAL;
        return facts;
    }
    if (fd < 0) {
        facts.error = lastError();
        return facts;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        facts.error = lastError();
    else if (S_ISREG(info.st_mode)) {
        facts.regularFile = true;
        facts.bytes = static_cast<std::uint64_t>(info.st_size);
    }
    ::close(fd);
    return facts;
}

SystemError File::discard() {
    if (fd_ < 0) return kNoError;
    struct stat open {
    }, named{};
    SystemError error = kNoError;
    if (::fstat(fd_, &open) != 0) {
        error = lastError();
    } else if (S_ISREG(open.st_mode) && ::stat(writtenPath_.c_str(), &named) == 0 && named.st_dev == open.st_dev &&
               named.st_ino == open.st_ino && ::unlink(writtenPath_.c_str()) != 0) {
        // Devices stay, and so does a name that leads elsewhere by now: this
        // file then has no name left, and its space comes back on close.
        error = lastError();
        if (::ftruncate(fd_, 0) != 0) error = lastError();
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

#endif

}  // namespace tarnvel
