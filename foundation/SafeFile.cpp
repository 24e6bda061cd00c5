#include "foundation/SafeFile.h"

#include "foundation/Exceptions.h"
#include "platform/system/RegularFileReader.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace {
constexpr const char* kOpenErrorFmt = "Cannot open file \"%s\". %s";
constexpr const char* kCreateErrorFmt = "Cannot create file \"%s\". %s";
constexpr const char* kKeepErrorFmt = "Cannot keep file \"%s\" as \"%s\". %s";
constexpr const char* kNotRegular = "Not a regular file";

void (*BetweenInPlaceStepsHook)() = nullptr;

// --- The mark of a save in place ------------------------------------------------------------
//
// While a save rewrites a file in place, the file ends in a mark that says where its content
// lies: first the old content at the start, then the new text in a slot beyond everything
// else. The mark is one line of kMarkSize bytes at an offset that is a multiple of
// kMarkSize; a page of the page cache is a multiple of that, so the mark never straddles two
// pages and a write of it is done whole or not at all, whatever moment a kill comes.
constexpr std::size_t kMarkSize = 64;
constexpr std::string_view kMarkStart = "\nSaving in place, content at ";
constexpr std::string_view kMarkMiddle = " (";
constexpr std::string_view kMarkEnd = " bytes)";
constexpr std::size_t kMarkField = 12; // hexadecimal digits: up to 256 TiB
constexpr const char* kMarkFmt = "\nSaving in place, content at %012llx (%012llx bytes)";

struct TContentPlace {
    std::uint64_t Offset = 0;
    std::uint64_t Length = 0;
};

// The mark's line, filled with blanks to its size.
std::string MarkText(TContentPlace place) {
    char text[kMarkSize] = {};
    std::snprintf(text, sizeof text, kMarkFmt, static_cast<unsigned long long>(place.Offset),
                  static_cast<unsigned long long>(place.Length));
    std::string mark(text);
    mark.resize(kMarkSize - 1, ' ');
    return mark + '\n';
}

std::optional<std::uint64_t> HexField(std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// The place a mark names, when text is a mark.
std::optional<TContentPlace> ParseMark(std::string_view text) {
    if (text.size() != kMarkSize || !text.starts_with(kMarkStart) || text.back() != '\n')
        return std::nullopt;
    text.remove_prefix(kMarkStart.size());
    const auto offset = HexField(text.substr(0, kMarkField));
    text.remove_prefix(kMarkField);
    if (!offset || !text.starts_with(kMarkMiddle))
        return std::nullopt;
    text.remove_prefix(kMarkMiddle.size());
    const auto length = HexField(text.substr(0, kMarkField));
    text.remove_prefix(kMarkField);
    if (!length || !text.starts_with(kMarkEnd))
        return std::nullopt;
    return TContentPlace{*offset, *length};
}

std::uint64_t RoundUpToMark(std::uint64_t offset) {
    return (offset + kMarkSize - 1) / kMarkSize * kMarkSize;
}

// Where the content of an open file lies: the whole file, or what its mark names. A mark
// may name old content that ends in the mark of an earlier killed save, so marks are
// followed until none is left; each one names a place before itself, so this ends.
TContentPlace FindContent(const platform::TRegularFileReader& file) {
    TContentPlace place{0, file.Size()};
    while (place.Length >= kMarkSize) {
        const std::uint64_t markAt = place.Offset + place.Length - kMarkSize;
        const std::optional<TContentPlace> named = ParseMark(file.ReadAt(markAt, kMarkSize));
        if (!named || named->Offset > markAt || named->Length > markAt - named->Offset)
            break;
        place = *named;
    }
    return place;
}

[[noreturn]] void FailReading(const std::string& fileName, int error) {
    const std::string reason = std::strerror(error);
    if (error == EFBIG)
        throw EFileTooLarge(FormatMessage(kOpenErrorFmt, fileName.c_str(), reason.c_str()));
    throw EFOpenError(FormatMessage(kOpenErrorFmt, fileName.c_str(), reason.c_str()));
}
} // namespace

std::optional<std::string> ReadSavedFile(const std::string& fileName, std::size_t limit) {
    try {
        const std::optional<platform::TRegularFileReader> file =
            platform::TRegularFileReader::Open(fileName);
        if (!file)
            return std::nullopt;
        const TContentPlace content = FindContent(*file);
        if (content.Length == file->Size())
            return file->ReadAll(limit);
        if (content.Length > limit)
            FailReading(fileName, EFBIG);
        return file->ReadAt(content.Offset, static_cast<std::size_t>(content.Length));
    } catch (const std::system_error& error) {
        FailReading(fileName, error.code().value());
    }
}

// --- Replacing a file's content ----------------------------------------------------------------

namespace {
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr mode_t kNewFileMode = 0666; // narrowed by the umask
constexpr int kMostLinkHops = 40;     // the system's own limit for a chain of symbolic links

// A file descriptor that is closed when it goes; Close reports the error that a late
// write-back of the file system may only show then.
class TOpenFile {
public:
    explicit TOpenFile(int fd) : FFd(fd) {}
    ~TOpenFile() {
        if (FFd >= 0)
            ::close(FFd);
    }
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

[[noreturn]] void FailWriting(const std::string& fileName, int error) {
    throw EFCreateError(FormatMessage(kCreateErrorFmt, fileName.c_str(), std::strerror(error)));
}

[[noreturn]] void LeaveAlone(const std::string& fileName, const char* why) {
    throw EFileLeftAlone(FormatMessage(kCreateErrorFmt, fileName.c_str(), why));
}

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
int WriteAt(int fd, std::string_view bytes, std::uint64_t offset) {
    for (std::size_t written = 0; written < bytes.size();) {
        const ssize_t n = ::pwrite(fd, bytes.data() + written, bytes.size() - written,
                                   static_cast<off_t>(offset + written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        written += static_cast<std::size_t>(n);
    }
    return 0;
}

int Flush(int fd) {
    return ::fsync(fd) == 0 ? 0 : errno;
}

int Cut(int fd, std::uint64_t length) {
    return ::ftruncate(fd, static_cast<off_t>(length)) == 0 ? 0 : errno;
}

void BetweenSteps() {
    if (BetweenInPlaceStepsHook != nullptr)
        BetweenInPlaceStepsHook();
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

// Disk space for the bytes from offset to end, without changing the file's length now, so
// that a full disk stops the save before the first byte of the old text changes. 0 where the
// file system takes no reservations: the writes before the new mark must then find the room.
int ReserveRoom(int fd, std::uint64_t offset, std::uint64_t end) {
    if (end <= offset || ::fallocate(fd, FALLOC_FL_KEEP_SIZE, static_cast<off_t>(offset),
                                     static_cast<off_t>(end - offset)) == 0)
        return 0;
    return errno == EOPNOTSUPP || errno == ENOSYS ? 0 : errno;
}

// Blanks from offset "from" up to "to", a piece at a time.
int WriteBlanks(int fd, std::uint64_t from, std::uint64_t to) {
    constexpr std::size_t kPiece = 64 * 1024;
    const std::string blanks(kPiece, ' ');
    for (std::uint64_t at = from; at < to; at += kPiece)
        if (const int error = WriteAt(
                fd, std::string_view(blanks).substr(0, std::min<std::uint64_t>(to - at, kPiece)),
                at))
            return error;
    return 0;
}

// Rewrites the file itself, where no new file can take its place. A write cut short by a
// kill leaves any prefix of its bytes (the system writes a page at a time), so no write
// below may touch a byte that the file's content at that moment is read from:
//
//   the old text (n bytes)  |  room up to max(n, m)  |  slot: the new text (m bytes)  | mark
//
//  1. The mark "the content is the first n bytes" goes beyond the end: the file reads as
//     the old text, with or without the mark.
//  2. The new text goes into the slot, and the room before it is filled so that step 4
//     needs no new disk space.
//  3. The mark is rewritten to name the slot: from this one write on, the file reads as the
//     new text.
//  4. The new text goes to the start, where nothing is read from any more.
//  5. The file is cut to the new text's length and reads as it is, without a mark.
// Each step is on the disk before the next begins. A failure before step 3 cuts the file
// back to the old text; one after it leaves a file that reads as the new text.
void WriteInPlace(const std::string& fileName, const std::string& bytes) {
    TOpenFile file(::open(fileName.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.Fd() < 0)
        FailWriting(fileName, errno);
    const int fd = file.Fd();
    struct stat now {};
    if (::fstat(fd, &now) != 0)
        FailWriting(fileName, errno);
    if (!S_ISREG(now.st_mode))
        LeaveAlone(fileName, kNotRegular);
    const auto oldLength = static_cast<std::uint64_t>(now.st_size);
    const std::uint64_t newLength = bytes.size();
    const std::uint64_t slot = std::max(oldLength, newLength);
    const std::uint64_t markAt = RoundUpToMark(slot + newLength);
    if (markAt >= std::uint64_t{1} << (4 * kMarkField))
        FailWriting(fileName, EFBIG); // beyond what the mark can name

    // The start is rewritten in step 4 and may hold holes; the rest is new.
    int error = ReserveRoom(fd, 0, std::min(oldLength, newLength));
    if (error == 0)
        error = ReserveRoom(fd, oldLength, markAt + kMarkSize);
    if (error == 0)
        error = WriteAt(fd, MarkText({0, oldLength}), markAt);
    if (error == 0) {
        BetweenSteps();
        error = WriteBlanks(fd, oldLength, slot);
    }
    if (error == 0)
        error = WriteAt(fd, bytes, slot);
    if (error == 0)
        error = Flush(fd);
    if (error == 0) {
        BetweenSteps();
        error = WriteAt(fd, MarkText({slot, newLength}), markAt);
    }
    if (error != 0) {
        Cut(fd, oldLength); // the mark goes; the old text was never touched
        FailWriting(fileName, error);
    }
    error = Flush(fd);
    if (error == 0) {
        BetweenSteps();
        error = WriteAt(fd, bytes, 0);
    }
    if (error == 0)
        error = Flush(fd);
    if (error == 0) {
        BetweenSteps();
        error = Cut(fd, newLength);
    }
    if (error == 0)
        error = Flush(fd);
    const int closeError = file.Close();
    if (error != 0 || closeError != 0)
        FailWriting(fileName, error != 0 ? error : closeError);
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

std::string TemporaryNameOf(const std::string& fileName) {
    return fileName + "." + std::to_string(::getpid()) + std::string(kTemporarySuffix);
}

// Gives the file fileName the further name keptName, replacing what is there: a link is made
// under a temporary name and renamed, so an older kept file goes only when the new one is
// in place. Nothing is copied. An empty string when done or when keptName is left alone
// on purpose, else the reason it could not be done.
std::string KeepAs(const std::string& fileName, const std::string& name) {
    const std::string keptName = FollowLinks(name);
    struct stat kept {};
    if (::stat(keptName.c_str(), &kept) == 0 &&
        (!S_ISREG(kept.st_mode) || (kept.st_mode & S_IWUSR) == 0))
        return {}; // a read-only file or a link to the null device: no copies wanted
    const std::string temporary = TemporaryNameOf(keptName);
    ::unlink(temporary.c_str());
    if (::link(fileName.c_str(), temporary.c_str()) != 0)
        return std::strerror(errno);
    if (::rename(temporary.c_str(), keptName.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return std::strerror(error);
    }
    return {};
}

[[noreturn]] void FailKeeping(const std::string& fileName, const std::string& keptName,
                              const std::string& reason) {
    throw EFileNotKept(
        FormatMessage(kKeepErrorFmt, fileName.c_str(), keptName.c_str(), reason.c_str()));
}

// The checks of a file about to be replaced; true when there is one.
bool CheckReplaceable(const std::string& fileName, struct stat& old) {
    if (::stat(fileName.c_str(), &old) != 0) {
        // A loop of symbolic links is somebody's file that cannot be reached: not ours to
        // replace by a new one. Any other error is for the write to report.
        if (errno == ELOOP)
            LeaveAlone(fileName, std::strerror(ELOOP));
        return false;
    }
    if (S_ISDIR(old.st_mode))
        FailWriting(fileName, EISDIR);
    // A device, a FIFO or a socket is never replaced by a file of ours.
    if (!S_ISREG(old.st_mode))
        LeaveAlone(fileName, kNotRegular);
    // The owner's write permission is the file's read-only mark; it binds the super-user
    // as well, whom access() would let write.
    if ((old.st_mode & S_IWUSR) == 0)
        LeaveAlone(fileName, std::strerror(EACCES));
    if (::access(fileName.c_str(), W_OK) != 0)
        FailWriting(fileName, errno); // EACCES, or EROFS on a read-only file system
    return true;
}
} // namespace

void ReplaceFileContent(const std::string& name, const std::string& bytes,
                        const std::string& keepOldAs) {
    const std::string fileName = FollowLinks(name);
    struct stat old {};
    const bool hadFile = CheckReplaceable(fileName, old);
    const bool keep = hadFile && !keepOldAs.empty();
    RemoveStaleTemporaries(fileName);
    // A rename would leave the file's other names with the old text.
    if (hadFile && old.st_nlink > 1) {
        WriteInPlace(fileName, bytes);
        if (keep)
            FailKeeping(fileName, keepOldAs, "The file has other hard links");
        return;
    }

    const std::string temporary = TemporaryNameOf(fileName);
    ::unlink(temporary.c_str());
    TOpenFile file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                          kNewFileMode));
    if (file.Fd() < 0 || (hadFile && !TakeOverOwnerAndMode(file.Fd(), old))) {
        const int error = errno;
        if (file.Fd() >= 0) {
            file.Close();
            ::unlink(temporary.c_str());
        }
        if (!hadFile)
            FailWriting(fileName, error);
        WriteInPlace(fileName, bytes);
        if (keep)
            FailKeeping(fileName, keepOldAs, std::strerror(error));
        return;
    }
    int error = WriteAt(file.Fd(), bytes, 0);
    if (error == 0)
        error = Flush(file.Fd());
    const int closeError = file.Close();
    if (error == 0)
        error = closeError;
    // The old file gets its kept name before the new one takes its place.
    const std::string whyNotKept = keep && error == 0 ? KeepAs(fileName, keepOldAs) : "";
    if (error == 0 && ::rename(temporary.c_str(), fileName.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        FailWriting(fileName, error);
    }
    FlushFolderOf(fileName);
    if (!whyNotKept.empty())
        FailKeeping(fileName, keepOldAs, whyNotKept);
}

void CheckWithinReadLimit(const std::string& fileName, std::size_t size, std::size_t limit) {
    if (size > limit)
        FailWriting(fileName, EFBIG);
}

void SetBetweenInPlaceStepsHookForTests(void (*hook)()) {
    BetweenInPlaceStepsHook = hook;
}
