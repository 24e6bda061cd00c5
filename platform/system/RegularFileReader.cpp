#include "platform/system/RegularFileReader.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace platform {
namespace {
// A file that grows while it is read is read on in pieces of this many bytes.
constexpr std::size_t kGrowthPiece = 64 * 1024;
// A FIFO or a device must not block the open, and a terminal must not become the program's
// controlling terminal.
constexpr int kOpenFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

[[noreturn]] void ThrowFileError(const std::string& fileName, int error) {
    throw std::system_error(error, std::generic_category(), fileName);
}
} // namespace

std::optional<TRegularFileReader> TRegularFileReader::Open(const std::string& fileName) {
    const int fd = ::open(fileName.c_str(), kOpenFlags);
    if (fd < 0) {
        // ENXIO: a socket, or a device without its driver. Neither holds a text.
        if (errno == ENOENT || errno == ENOTDIR || errno == ENXIO)
            return std::nullopt;
        ThrowFileError(fileName, errno);
    }
    TRegularFileReader file(fd, 0, fileName);
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        file.Fail(errno);
    if (S_ISDIR(info.st_mode))
        file.Fail(EISDIR);
    if (!S_ISREG(info.st_mode))
        return std::nullopt;
    // Reads of a regular file never wait anyway; the flag only mattered for the open.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file.FSize = static_cast<std::uint64_t>(info.st_size);
    return file;
}

TRegularFileReader::TRegularFileReader(int fd, std::uint64_t size, std::string fileName)
    : FFd(fd), FSize(size), FFileName(std::move(fileName)) {}

TRegularFileReader::TRegularFileReader(TRegularFileReader&& other) noexcept
    : FFd(std::exchange(other.FFd, -1)), FSize(other.FSize), FFileName(std::move(other.FFileName)) {
}

TRegularFileReader::~TRegularFileReader() {
    if (FFd >= 0)
        ::close(FFd);
}

void TRegularFileReader::Fail(int error) const {
    ThrowFileError(FFileName, error);
}

std::string TRegularFileReader::ReadAt(std::uint64_t offset, std::size_t length) const {
    std::string bytes(length, '\0');
    std::size_t got = 0;
    while (got < length) {
        const ssize_t n =
            ::pread(FFd, bytes.data() + got, length - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            Fail(errno);
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

std::string TRegularFileReader::ReadAll(std::size_t limit) const {
    if (FSize > limit)
        Fail(EFBIG);
    // One byte beyond the length tells a file that grew since it was opened.
    std::string bytes = ReadAt(0, static_cast<std::size_t>(FSize) + 1);
    while (bytes.size() > FSize) {
        if (bytes.size() > limit)
            Fail(EFBIG);
        const std::size_t wanted = std::min(kGrowthPiece, limit + 1 - bytes.size());
        const std::string more = ReadAt(bytes.size(), wanted);
        bytes += more;
        if (more.size() < wanted)
            break;
    }
    return bytes;
}

std::optional<std::string> ReadRegularFile(const std::string& fileName, std::size_t limit) {
    const std::optional<TRegularFileReader> file = TRegularFileReader::Open(fileName);
    if (!file)
        return std::nullopt;
    return file->ReadAll(limit);
}

} // namespace platform
