#pragma once
// The few file operations a cut needs, straight over the system's own calls:
// each failure comes back with the code the system set at that very call,
// before any other library call can overwrite it.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "tarnvel/unique_owner.h"

namespace tarnvel {

// GetLastError() on Windows, errno elsewhere; 0 is success.
using SystemError = std::uint32_t;
inline constexpr SystemError kNoError = 0;

// Volume and file index: one file however it is reached (another drive
// letter, a network name of this machine, a hard link).
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileIdentity&) const = default;
};

#ifdef _WIN32
using NativeHandle = void*;  // HANDLE
#else
using NativeHandle = int;  // a descriptor
#endif

// Each file layer defines these for its own kind of handle.
struct FileHandleTraits {
    using Value = NativeHandle;
    static Value none() noexcept;
    static bool holds(Value handle) noexcept;
    static void close(Value handle) noexcept;
};

struct Transfer {
    std::size_t bytes = 0;
    SystemError error = kNoError;
};

// One read as the system started it. On Windows the source is read
// overlapped, so a read that must wait for its drive (a share, a USB disk, a
// cloud file being downloaded) may still be under way when the call returns,
// and the window runs meanwhile. Elsewhere a read always ends in its call.
struct ReadStart {
    bool pending = false;
    Transfer got;  // unless pending: the bytes (none at the end) or the error
};

class File {
public:
    File() noexcept;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Others may go on reading and writing it: a recording that another
    // program is still writing can be cut.
    SystemError openForReading(std::u16string_view path);
    // Created when missing and never emptied here, so that sameness with the
    // source can be checked before anything is lost. Others may read it, but
    // no one else may write it while the cut runs.
    SystemError openForWriting(std::u16string_view path);

    // One read of up to buffer.size() bytes from where the last one ended.
    // While it is pending, the buffer must stay as it is until finishRead().
    ReadStart startRead(std::span<char> buffer);
    // What the system sets once a pending read has ended: on Windows, the file's own handle.
    NativeHandle readSignal() const;
    bool readEnded() const;
    // The pending read's result, once readEnded(): a read stopped by
    // cancelRead() fails with the system's code for an aborted operation,
    // unless it had ended already.
    Transfer finishRead();
    // Asks the system to end the pending read early; it may take as long as
    // the drive's own time-out (a share whose network is gone).
    void cancelRead();
    SystemError writeAll(std::span<const char> bytes);
    // Empties the file and starts writing again at its first byte.
    SystemError truncate();
    SystemError identity(FileIdentity& out) const;
    // A file on a disk, as against a pipe or a device, which can never be the output.
    bool onDisk() const;
    // A read still pending is cancelled and waited for first, so that the
    // system never writes into a buffer or a record that is gone: the buffer
    // of a read must outlive its file.
    SystemError close();
    // Removes a file opened for writing and closes it. Where it cannot be
    // removed, it is emptied at least, and the reason comes back.
    SystemError discard();
    // A file opened for writing goes when its handle closes, however the
    // process ends: killed, crashed, or cut short by a shutdown. Where the
    // file system takes it, its name goes at that close even while another
    // program still holds the file; elsewhere it stays until that program
    // lets go. False where it cannot be so marked (it was opened without the
    // right to delete it, and on POSIX, which has no such mark: there
    // discard() alone removes it).
    bool removeWhenClosed();
    // Undoes removeWhenClosed() the way it was marked: the file stays once closed.
    SystemError keepWhenClosed();

    bool isOpen() const;

private:
    // What one file layer alone keeps about a file opened for writing, and
    // about one opened for reading (on the heap, where the system may write
    // into it while the read is pending, however the File moves).
    struct WritingState;
    struct ReadingState;
    friend struct FileLayerProbe;

    UniqueOwner<FileHandleTraits> handle_;
    std::unique_ptr<WritingState> writing_;
    std::unique_ptr<ReadingState> reading_;
};

// Waits up to `most` for a pending read's signal (File::readSignal()); true once it is set.
bool waitForSignal(NativeHandle signal, std::chrono::milliseconds most);

// The failures a user can do something about, whatever the platform's code.
enum class ErrorKind { Other, AccessDenied, DiskFull, InUse, DeviceGone };
ErrorKind errorKind(SystemError code);

// A folder or a read-only file at the path: no rights would let a new file be written there.
bool folderOrReadOnlyAt(std::u16string_view path);

// A path on a drive letter or a network share that is no longer there:
// the card pulled out, the share disconnected.
bool driveGone(std::u16string_view path);

// A path as the system sees it, through a handle that reads nothing: opened
// for its attributes only and shared every way, so that a program writing it
// (a recording) is not disturbed and its size is the file's own, not the
// directory entry's, which lags behind such a file on Windows.
struct FileFacts {
    SystemError error = kNoError;  // it could not be opened or queried
    bool regularFile = false;      // false: a folder, a device or a pipe
    std::uint64_t bytes = 0;
};
FileFacts inspectFile(std::u16string_view path);

// A name its folder still lists (FindFirstFileW), and whether the file
// behind it refuses even an open for its attributes alone, shared every way:
// Windows refuses every open of a file that is delete-pending, while a file
// one may not write still opens for that much. POSIX has no such state.
struct ListedName {
    bool listed = false;
    bool attributesRefused = false;
};
ListedName lookUpName(std::u16string_view path);

// The bytes a file at path could take: the free space of its drive left to
// this user, with the file's present length, which rewriting it frees.
SystemError roomFor(std::u16string_view path, std::uint64_t& bytes);

// The system's own words for a code, in English or the C library's locale;
// the window passes its own, in the user's language.
std::u16string systemErrorText(SystemError code);

}  // namespace tarnvel
