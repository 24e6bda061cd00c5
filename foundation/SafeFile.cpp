#include "foundation/SafeFile.h"

#include "foundation/Exceptions.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {
constexpr const char* kOpenErrorFmt = "Cannot open file \"%s\". %s";
constexpr const char* kCreateErrorFmt = "Cannot create file \"%s\". %s";
constexpr const char* kNotRegular = "Not a regular file";
// Reads, copies and blank padding go in pieces of this many bytes.
constexpr std::size_t kChunk = 64 * 1024;
// Flags of every open of an existing file: a FIFO or a device must not block the open, and
// a terminal must not become the program's controlling terminal.
constexpr int kOpenExisting = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

void (*BeforeTruncateHook)() = nullptr;

// A file descriptor that is closed when it goes; Close reports the error that a late
// write-back of the file system may only show then.
class TOpenFile {
public:
    explicit TOpenFile(int fd) : FFd(fd) {}
    ~TOpenFile() {
        if (FFd >= 0)
            ::close(FFd);
    }
    TOpenFile(TOpenFile&& other) noexcept : FFd(std::exchange(other.FFd, -1)) {}
    TOpenFile(const TOpenFile&) = delete;
    TOpenFile& operator=(const TOpenFile&) = delete;

    int Fd() const { return FFd; }
    int Close() {
        const int result = ::close(std::exchange(FFd, -1));
        return result == 0 ? 0 : errno;
    }

private:
    int FFd;
};

[[noreturn]] void FailReading(const std::string& fileName, int error) {
    throw EFOpenError(FormatMessage(kOpenErrorFmt, fileName.c_str(), std::strerror(error)));
}

// The file opened for reading, or -1 when there is none or it is no regular file. The kind
// is taken from the opened file itself, so nothing can swap the file between a check and
// the open.
TOpenFile OpenRegularForReading(const std::string& fileName, struct stat& info) {
    TOpenFile file(::open(fileName.c_str(), O_RDONLY | kOpenExisting));
    if (file.Fd() < 0) {
        // ENXIO: a socket, or a device without its driver. Neither holds a text.
        if (errno == ENOENT || errno == ENOTDIR || errno == ENXIO)
            return TOpenFile(-1);
        FailReading(fileName, errno);
    }
    if (::fstat(file.Fd(), &info) != 0)
        FailReading(fileName, errno);
    if (S_ISDIR(info.st_mode))
        FailReading(fileName, EISDIR);
    if (!S_ISREG(info.st_mode))
        return TOpenFile(-1);
    // Reads of a regular file never wait anyway; the flag only mattered for the open.
    ::fcntl(file.Fd(), F_SETFL, ::fcntl(file.Fd(), F_GETFL) & ~O_NONBLOCK);
    return file;
}

// 0 or the error; *got is the number of bytes read, fewer than wanted only at the end.
int ReadUpTo(int fd, char* data, std::size_t wanted, std::size_t* got) {
    *got = 0;
    while (*got < wanted) {
        const ssize_t n = ::read(fd, data + *got, wanted - *got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            break;
        *got += static_cast<std::size_t>(n);
    }
    return 0;
}
} // namespace

std::optional<std::string> ReadRegularFile(const std::string& fileName, std::size_t limit) {
    struct stat info {};
    TOpenFile file = OpenRegularForReading(fileName, info);
    if (file.Fd() < 0)
        return std::nullopt;
    const auto tooLarge = [&] {
        throw EFileTooLarge(FormatMessage(kOpenErrorFmt, fileName.c_str(), std::strerror(EFBIG)));
    };
    if (static_cast<std::uintmax_t>(info.st_size) > limit)
        tooLarge();
    // One byte beyond the limit tells a file that grew since fstat.
    std::string bytes(static_cast<std::size_t>(info.st_size) + 1, '\0');
    std::size_t got = 0;
    for (;;) {
        std::size_t piece = 0;
        if (const int error = ReadUpTo(file.Fd(), bytes.data() + got, bytes.size() - got, &piece))
            FailReading(fileName, error);
        got += piece;
        if (got < bytes.size())
            break;
        if (got > limit)
            tooLarge();
        bytes.resize(std::min(bytes.size() + kChunk, limit + 1));
    }
    bytes.resize(got);
    return bytes;
}

// --- Replacing a file's content ----------------------------------------------------------------

namespace {
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr mode_t kNewFileMode = 0666; // narrowed by the umask
constexpr int kMostLinkHops = 40;     // the system's own limit for a chain of symbolic links

[[noreturn]] void FailWriting(const std::string& fileName, int error) {
    throw EFCreateError(FormatMessage(kCreateErrorFmt, fileName.c_str(), std::strerror(error)));
}

[[noreturn]] void LeaveAlone(const std::string& fileName, const char* why) {
    throw EFileLeftAlone(FormatMessage(kCreateErrorFmt, fileName.c_str(), why));
}

// What a save writes: its length, and how it is written at the start of a file, followed
// by blanks up to padTo where that is beyond the content. 0 or the error that stopped it.
struct TContent {
    off_t Size = 0;
    std::function<int(int fd, off_t padTo)> WriteTo;
};

// The file a name stands for. A chain of symbolic links is followed to its end, also when
// that end does not exist yet, so that the links stay links.
std::string FollowLinks(std::string fileName) {
    for (int hop = 0; hop < kMostLinkHops; ++hop) {
        std::error_code error;
        if (!std::filesystem::is_symlink(fileName, error))
            break;
        const std::filesystem::path target = std::filesystem::read_symlink(fileName, error);
        if (error)
            break;
        fileName = target.is_absolute()
                       ? target.string()
                       : (std::filesystem::path(fileName).parent_path() / target).string();
    }
    return fileName;
}

// 0 or the error that stopped writing.
int WriteAt(int fd, std::string_view bytes, off_t offset) {
    for (std::size_t written = 0; written < bytes.size();) {
        const ssize_t n = ::pwrite(fd, bytes.data() + written, bytes.size() - written,
                                   offset + static_cast<off_t>(written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        written += static_cast<std::size_t>(n);
    }
    return 0;
}

// Repeats blank from "from" up to "to" (a last partial blank is cut short).
int WriteBlanks(int fd, off_t from, off_t to, std::string_view blank) {
    std::string piece;
    while (piece.size() < kChunk)
        piece += blank;
    for (off_t at = from; at < to;) {
        const auto length = static_cast<std::size_t>(std::min<off_t>(to - at, kChunk));
        if (const int error = WriteAt(fd, std::string_view(piece).substr(0, length), at))
            return error;
        at += static_cast<off_t>(length);
    }
    return 0;
}

TContent BytesContent(const std::string& bytes, std::string_view blank) {
    const auto size = static_cast<off_t>(bytes.size());
    return {size, [&bytes, blank, size](int fd, off_t padTo) {
                // A short padding goes out with the text in one write, so that not even
                // a kill between two writes leaves the old tail behind the new text.
                if (padTo > size && padTo - size <= static_cast<off_t>(kChunk)) {
                    std::string padded = bytes;
                    while (padded.size() < static_cast<std::size_t>(padTo))
                        padded += blank;
                    padded.resize(static_cast<std::size_t>(padTo));
                    return WriteAt(fd, padded, 0);
                }
                const int error = WriteAt(fd, bytes, 0);
                return error != 0 ? error : WriteBlanks(fd, size, padTo, blank);
            }};
}

// The bytes of an open regular file, as they stand when it was opened.
TContent FileContent(int source, off_t size, std::string_view blank) {
    return {size, [source, size, blank](int fd, off_t padTo) {
                std::string piece(kChunk, '\0');
                for (off_t at = 0; at < size;) {
                    std::size_t got = 0;
                    const auto wanted =
                        static_cast<std::size_t>(std::min<off_t>(size - at, kChunk));
                    if (const int error = ReadUpTo(source, piece.data(), wanted, &got))
                        return error;
                    if (got == 0)
                        return EIO; // the file shrank under the copy
                    if (const int error = WriteAt(fd, std::string_view(piece).substr(0, got), at))
                        return error;
                    at += static_cast<off_t>(got);
                }
                return WriteBlanks(fd, size, padTo, blank);
            }};
}

bool ProcessRuns(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// "<name>.<pid>.tmp" files beside fileName that a save killed before its rename left
// behind: this process's own, and those of processes that no longer run. A process that
// still runs may be saving right now, so its file stays.
void RemoveStaleTemporaries(const std::string& fileName) {
    const std::filesystem::path file(fileName);
    const std::string prefix = file.filename().string() + ".";
    std::filesystem::path folder = file.parent_path();
    if (folder.empty())
        folder = ".";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(prefix) || !name.ends_with(kTemporarySuffix))
            continue;
        const std::string_view digits = std::string_view(name).substr(
            prefix.size(), name.size() - prefix.size() - kTemporarySuffix.size());
        pid_t pid = 0;
        const auto [end, parseError] =
            std::from_chars(digits.data(), digits.data() + digits.size(), pid);
        if (digits.empty() || parseError != std::errc() || end != digits.data() + digits.size() ||
            pid <= 0)
            continue;
        if (pid != ::getpid() && ProcessRuns(pid))
            continue;
        if (entry.is_regular_file(error) && !entry.is_symlink(error))
            ::unlink(entry.path().c_str());
    }
}

// Rewrites the file itself. The space for the whole new text is taken before the first
// byte changes, so a full disk leaves the old text as it was. A shorter text is written
// padded with blanks to the old length, which reaches the disk before the file is cut
// short: XML allows blanks after the root element and the language file's lines, so the
// file reads whole at every moment a kill could stop the save.
void WriteInPlace(const std::string& fileName, const TContent& content) {
    TOpenFile file(::open(fileName.c_str(), O_WRONLY | kOpenExisting));
    if (file.Fd() < 0)
        FailWriting(fileName, errno);
    struct stat now {};
    if (::fstat(file.Fd(), &now) != 0)
        FailWriting(fileName, errno);
    if (!S_ISREG(now.st_mode))
        LeaveAlone(fileName, kNotRegular);
    int error = 0;
    if (content.Size > now.st_size) {
        error = ::posix_fallocate(file.Fd(), 0, content.Size);
        if (error == EOPNOTSUPP || error == ENOSYS)
            error = 0; // a file system without reservations: the write below must do
    }
    if (error == 0)
        error = content.WriteTo(file.Fd(), std::max(content.Size, now.st_size));
    if (error == 0 && content.Size < now.st_size) {
        if (::fsync(file.Fd()) != 0)
            error = errno;
        if (error == 0 && BeforeTruncateHook != nullptr)
            BeforeTruncateHook();
        if (error == 0 && ::ftruncate(file.Fd(), content.Size) != 0)
            error = errno;
    }
    if (error == 0 && ::fsync(file.Fd()) != 0)
        error = errno;
    const int closeError = file.Close();
    if (error == 0)
        error = closeError;
    if (error != 0)
        FailWriting(fileName, error);
}

// Gives a new file the old one's owner and mode. False when it cannot have the owner
// (only the super-user may give a file away).
bool TakeOverOwnerAndMode(int fd, const struct stat& old) {
    struct stat created {};
    if (::fstat(fd, &created) != 0)
        return false;
    if ((created.st_uid != old.st_uid || created.st_gid != old.st_gid) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0)
        return false;
    return ::fchmod(fd, old.st_mode & 07777) == 0; // after fchown, which drops set-id bits
}

// Flushes the folder's entry of a rename; a folder that cannot be opened is let be.
void FlushFolderOf(const std::string& fileName) {
    std::string folder = std::filesystem::path(fileName).parent_path().string();
    if (folder.empty())
        folder = ".";
    TOpenFile directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.Fd() >= 0)
        ::fsync(directory.Fd());
}
} // namespace

namespace {
void Replace(const std::string& name, const TContent& content) {
    const std::string fileName = FollowLinks(name);
    struct stat old {};
    const bool hadFile = ::stat(fileName.c_str(), &old) == 0;
    if (hadFile) {
        if (S_ISDIR(old.st_mode))
            FailWriting(fileName, EISDIR);
        // A device, a FIFO or a socket is never replaced by a file of ours.
        if (!S_ISREG(old.st_mode))
            LeaveAlone(fileName, kNotRegular);
        // The owner's write permission is the file's read-only mark; it binds the
        // super-user as well, whom access() would let write.
        if ((old.st_mode & S_IWUSR) == 0)
            LeaveAlone(fileName, std::strerror(EACCES));
        if (::access(fileName.c_str(), W_OK) != 0)
            FailWriting(fileName, EACCES);
    }
    RemoveStaleTemporaries(fileName);
    // A rename would leave the file's other names with the old text.
    if (hadFile && old.st_nlink > 1)
        return WriteInPlace(fileName, content);

    const std::string temporary =
        fileName + "." + std::to_string(::getpid()) + std::string(kTemporarySuffix);
    ::unlink(temporary.c_str());
    TOpenFile file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                          kNewFileMode));
    if (file.Fd() < 0) {
        if (hadFile)
            return WriteInPlace(fileName, content);
        FailWriting(fileName, errno);
    }
    if (hadFile && !TakeOverOwnerAndMode(file.Fd(), old)) {
        file.Close();
        ::unlink(temporary.c_str());
        return WriteInPlace(fileName, content);
    }
    int error = content.WriteTo(file.Fd(), content.Size);
    if (error == 0 && ::fsync(file.Fd()) != 0)
        error = errno;
    const int closeError = file.Close();
    if (error == 0)
        error = closeError;
    if (error == 0 && ::rename(temporary.c_str(), fileName.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        FailWriting(fileName, error);
    }
    FlushFolderOf(fileName);
}
} // namespace

void ReplaceFileContent(const std::string& fileName, const std::string& bytes,
                        std::string_view blank) {
    Replace(fileName, BytesContent(bytes, blank));
}

void CopyFileContent(const std::string& fileName, const std::string& sourceName,
                     std::string_view blank) {
    struct stat info {};
    TOpenFile source = OpenRegularForReading(sourceName, info);
    if (source.Fd() < 0)
        FailReading(sourceName, ENOENT);
    Replace(fileName, FileContent(source.Fd(), info.st_size, blank));
}

void SetBeforeTruncateHookForTests(void (*hook)()) {
    BeforeTruncateHook = hook;
}
