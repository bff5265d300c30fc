// The file layer of the Windows program, straight over the Win32 calls.
#include "tarnvel/file_io.h"
#include "tarnvel/file_io_probe.h"
#include "tarnvel/words.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "tarnvel/long_path.h"
#include "tarnvel/system_path.h"

namespace tarnvel {

// Either of the two values that mean no handle: CreateFileW fails with one, most other calls with the other.
FileHandleTraits::Value FileHandleTraits::none() noexcept { return INVALID_HANDLE_VALUE; }
// The owner's traits take the handle as it is held, never through a pointer to const.
// cppcheck-suppress constParameter
bool FileHandleTraits::holds(Value handle) noexcept { return handle && handle != INVALID_HANDLE_VALUE; }
void FileHandleTraits::close(Value handle) noexcept { CloseHandle(handle); }

// Whether the file goes with its handle, and by which class it was marked:
// only that class takes the mark off again.
struct File::WritingState {
    RemovalMark mark = RemovalMark::None;
};

// The source is opened overlapped, so Windows keeps no file pointer for it:
// each read carries its offset. It carries no event: with one read at a time
// on the handle, the handle itself is set when the read ends (and cleared as
// the next starts), which Microsoft allows where no two operations could be
// confused. (An event of its own cost Wine 60 us a read, a fifth of a 1 GB cut's.)
struct File::ReadingState {
    OVERLAPPED overlapped{};
    std::uint64_t offset = 0;
    bool pending = false;
};

File::File() noexcept = default;
File::~File() { close(); }
File::File(File&& other) noexcept = default;
File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = std::move(other.handle_);
        writing_ = std::move(other.writing_);
        reading_ = std::move(other.reading_);
    }
    return *this;
}

namespace {

using Handle = UniqueOwner<FileHandleTraits>;
using LocalText = UniqueOwner<ClosedBy<wchar_t*, LocalFree>>;

// A search, which fails with INVALID_HANDLE_VALUE and is given back to FindClose.
struct FindHandleTraits {
    using Value = HANDLE;
    static Value none() noexcept { return INVALID_HANDLE_VALUE; }
    static bool holds(Value search) noexcept { return search != INVALID_HANDLE_VALUE; }
    static void close(Value search) noexcept { FindClose(search); }
};

SystemError lastError() { return static_cast<SystemError>(GetLastError()); }

std::wstring widePath(std::u16string_view path) {
    const std::u16string system = systemPath(path);
    return {system.begin(), system.end()};
}

// One call moves at most this much, well inside a DWORD.
constexpr std::size_t kMaxCallBytes = std::size_t{1} << 30;

}  // namespace

bool File::isOpen() const { return static_cast<bool>(handle_); }

SystemError File::openForReading(std::u16string_view path) {
    close();
    auto reading = std::make_unique<ReadingState>();
    HANDLE handle = CreateFileW(widePath(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return lastError();
    handle_.reset(handle);
    reading_ = std::move(reading);
    return kNoError;
}

SystemError File::openForWriting(std::u16string_view path) {
    close();
    auto writing = std::make_unique<WritingState>();
    const std::wstring name = widePath(path);
    const auto open = [&](DWORD access) {
        // Reading the attributes is what the identity check needs.
        return CreateFileW(name.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES | access, FILE_SHARE_READ, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    };
    // DELETE lets the file be marked to go with this handle. A file one may
    // write but not delete, or one another program shares for writing only,
    // is still written; a failure then empties it instead.
    HANDLE handle = open(DELETE);
    if (handle == INVALID_HANDLE_VALUE &&
        (GetLastError() == ERROR_ACCESS_DENIED || GetLastError() == ERROR_SHARING_VIOLATION))
        handle = open(0);
    if (handle == INVALID_HANDLE_VALUE) return lastError();
    handle_.reset(handle);
    writing_ = std::move(writing);
    return kNoError;
}

namespace {

// The end of a file, and of a pipe whose writer has closed it, are no failure.
bool isEnd(SystemError error) { return error == ERROR_HANDLE_EOF || error == ERROR_BROKEN_PIPE; }

Transfer transferOf(BOOL succeeded, DWORD bytes) {
    if (succeeded) return {bytes, kNoError};
    const SystemError error = lastError();
    return {0, isEnd(error) ? kNoError : error};
}

}  // namespace

ReadStart File::startRead(std::span<char> buffer) {
    ReadingState& reading = *reading_;
    const std::size_t want = std::min(buffer.size(), kMaxCallBytes);
    reading.overlapped = {};
    reading.overlapped.Offset = static_cast<DWORD>(reading.offset);
    reading.overlapped.OffsetHigh = static_cast<DWORD>(reading.offset >> 32);
    // Done at once (a cache hit, usually), pending (a drive to wait for), or
    // failed at once, the end of the file among the failures.
    if (ReadFile(handle_.get(), buffer.data(), static_cast<DWORD>(want), nullptr, &reading.overlapped))
        return {false, finishRead()};
    if (GetLastError() != ERROR_IO_PENDING) return {false, transferOf(FALSE, 0)};
    reading.pending = true;
    return {true, {}};
}

NativeHandle File::readSignal() const { return handle_.get(); }

bool File::readEnded() const { return !reading_ || HasOverlappedIoCompleted(&reading_->overlapped); }

Transfer File::finishRead() {
    ReadingState& reading = *reading_;
    DWORD bytes = 0;
    const BOOL ended = GetOverlappedResult(handle_.get(), &reading.overlapped, &bytes, FALSE);
    const Transfer got = transferOf(ended, bytes);
    reading.pending = false;
    reading.offset += got.bytes;
    return got;
}

bool waitForSignal(NativeHandle signal, std::chrono::milliseconds most) {
    return WaitForSingleObject(signal, static_cast<DWORD>(most.count())) == WAIT_OBJECT_0;
}

void File::cancelRead() {
    if (reading_ && reading_->pending) CancelIoEx(handle_.get(), &reading_->overlapped);
}

SystemError File::writeAll(std::span<const char> bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const std::size_t want = std::min(bytes.size() - written, kMaxCallBytes);
        DWORD put = 0;
        if (!WriteFile(handle_.get(), bytes.data() + written, static_cast<DWORD>(want), &put, nullptr))
            return lastError();
        // A full disk may first accept part of a write; the next call says why.
        if (put == 0) return ERROR_WRITE_FAULT;
        written += put;
    }
    return kNoError;
}

SystemError File::truncate() {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_.get(), &size)) return lastError();
    if (size.QuadPart == 0) return kNoError;  // see the POSIX truncate below
    const LARGE_INTEGER start{};
    if (!SetFilePointerEx(handle_.get(), start, nullptr, FILE_BEGIN) || !SetEndOfFile(handle_.get()))
        return lastError();
    return kNoError;
}

SystemError File::identity(FileIdentity& out) const {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle_.get(), &info)) return lastError();
    out.volume = info.dwVolumeSerialNumber;
    out.index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    return kNoError;
}

bool File::onDisk() const { return GetFileType(handle_.get()) == FILE_TYPE_DISK; }

SystemError File::close() {
    writing_.reset();
    if (reading_ && reading_->pending) {
        // Only where a cut ends unexpectedly mid-read; a cut waits for its read itself.
        cancelRead();
        DWORD ignored = 0;
        GetOverlappedResult(handle_.get(), &reading_->overlapped, &ignored, TRUE);
    }
    reading_.reset();
    if (!isOpen()) return kNoError;
    return CloseHandle(handle_.release()) ? kNoError : lastError();
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
    const Handle handle(CreateFileW(widePath(path).c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) {
        facts.error = lastError();
        return facts;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    LARGE_INTEGER size{};
    if (GetFileType(handle.get()) != FILE_TYPE_DISK) {
        // A device or a pipe: nothing with a length to cut.
    } else if (!GetFileInformationByHandle(handle.get(), &info) || !GetFileSizeEx(handle.get(), &size)) {
        facts.error = lastError();
    } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        facts.regularFile = true;
        facts.bytes = static_cast<std::uint64_t>(size.QuadPart);
    }
    return facts;
}

ListedName lookUpName(std::u16string_view path) {
    const std::wstring name = widePath(path);
    WIN32_FIND_DATAW found{};
    if (!UniqueOwner<FindHandleTraits>(FindFirstFileW(name.c_str(), &found))) return {};
    const Handle file(CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return {true, !file && GetLastError() == ERROR_ACCESS_DENIED};
}

namespace {

// MinGW's headers for Windows 7 hide these; the values are Microsoft's.
// FileDispositionInfoEx, FILE_INFO_BY_HANDLE_CLASS 21, and its POSIX
// semantics: Windows 10 1607 and later, on file systems that take them.
constexpr auto kDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
struct DispositionInfoEx {
    DWORD Flags;
};
constexpr DWORD kDoNotDelete = 0x0;     // FILE_DISPOSITION_FLAG_DO_NOT_DELETE
constexpr DWORD kDelete = 0x1;          // FILE_DISPOSITION_FLAG_DELETE
constexpr DWORD kPosixSemantics = 0x2;  // FILE_DISPOSITION_FLAG_POSIX_SEMANTICS

SystemError& newerMarkRefusal() {
    static SystemError refusal = kNoError;
    return refusal;
}

SystemError setClassicDisposition(HANDLE handle, bool remove) {
    FILE_DISPOSITION_INFO disposition{static_cast<BOOLEAN>(remove)};
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition) ? kNoError
                                                                                                     : lastError();
}

SystemError setPosixDisposition(HANDLE handle, bool remove) {
    if (remove && newerMarkRefusal() != kNoError) return newerMarkRefusal();
    DispositionInfoEx disposition{remove ? kDelete | kPosixSemantics : kDoNotDelete};
    return SetFileInformationByHandle(handle, kDispositionInfoEx, &disposition, sizeof disposition) ? kNoError
                                                                                                    : lastError();
}

// The classic class keeps the name until the last handle to the file closes,
// so a scanner that opened the output keeps it there, refusing every open,
// after the cut has let go. The newer class is refused by FAT, exFAT and
// ReFS, and by Windows before 10 1709 (ERROR_INVALID_PARAMETER,
// ERROR_INVALID_FUNCTION or ERROR_NOT_SUPPORTED); the classic one is asked
// after any refusal, since a second refusal costs only the call.
SystemError markForRemoval(HANDLE handle, RemovalMark& mark) {
    mark = RemovalMark::None;
    if (setPosixDisposition(handle, true) == kNoError) {
        mark = RemovalMark::NameGoesWithThisHandle;
        return kNoError;
    }
    const SystemError error = setClassicDisposition(handle, true);
    if (error == kNoError) mark = RemovalMark::NameGoesWithTheLastHandle;
    return error;
}

}  // namespace

RemovalMark FileLayerProbe::markOf(const File& file) { return file.writing_ ? file.writing_->mark : RemovalMark::None; }

void FileLayerProbe::refuseTheNewerMark(SystemError code) { newerMarkRefusal() = code; }

bool File::removeWhenClosed() {
    if (!writing_) return false;
    return markForRemoval(handle_.get(), writing_->mark) == kNoError;
}

SystemError File::keepWhenClosed() {
    if (!writing_ || writing_->mark == RemovalMark::None) return kNoError;
    const SystemError error = writing_->mark == RemovalMark::NameGoesWithThisHandle
                                  ? setPosixDisposition(handle_.get(), false)
                                  : setClassicDisposition(handle_.get(), false);
    if (error == kNoError) writing_->mark = RemovalMark::None;
    return error;
}

// With POSIX semantics the close frees the name at once, whoever else holds
// the file; with the classic mark the name stays until they let go, and the
// next cut meets an old output still being removed.
SystemError File::discard() {
    if (!isOpen()) return kNoError;
    if (writing_ && writing_->mark != RemovalMark::None) return close();
    RemovalMark mark = RemovalMark::None;
    const SystemError error = markForRemoval(handle_.get(), mark);
    if (error != kNoError) {
        const LARGE_INTEGER start{};
        if (SetFilePointerEx(handle_.get(), start, nullptr, FILE_BEGIN)) SetEndOfFile(handle_.get());
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
    LocalText buffer;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(buffer.put()), 0, nullptr);
    std::u16string text(buffer.get(), buffer.get() + length);
    while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) text.pop_back();
    // Not every number has words on every system; the number alone still helps.
    return words::systemReason(text, code);
}

}  // namespace tarnvel
