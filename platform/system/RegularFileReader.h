#pragma once
// Reading a file that a user or another program may have put in place of one of ours, in
// bounded memory and without ever waiting: whatever is no regular file (a device, a FIFO,
// a socket) is opened without blocking and never read. Failures are std::system_error
// carrying the system's error (EFBIG for a file beyond the caller's limit) and the name.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

class TRegularFileReader {
public:
    // The file fileName names, its symbolic links followed; nullopt when no file has that
    // name or it is no regular file. Its kind is taken from the open file itself, so nothing
    // can swap the file between a check and the open. A folder fails with EISDIR, a file
    // that cannot be opened with the open's error (EACCES, ELOOP, ...).
    static std::optional<TRegularFileReader> Open(const std::string& fileName);

    TRegularFileReader(TRegularFileReader&& other) noexcept;
    TRegularFileReader& operator=(TRegularFileReader&&) = delete;
    TRegularFileReader(const TRegularFileReader&) = delete;
    ~TRegularFileReader();

    // The file's length in bytes when it was opened.
    std::uint64_t Size() const { return FSize; }
    // Up to length bytes from offset; fewer only where the file ends.
    std::string ReadAt(std::uint64_t offset, std::size_t length) const;
    // The whole file; one of more than limit bytes fails with EFBIG before more than limit
    // bytes are held, also when it grows while it is read.
    std::string ReadAll(std::size_t limit) const;

private:
    TRegularFileReader(int fd, std::uint64_t size, std::string fileName);
    [[noreturn]] void Fail(int error) const;

    int FFd;
    std::uint64_t FSize;
    std::string FFileName;
};

// The whole content of fileName (TRegularFileReader::Open, then ReadAll); nullopt when there
// is no regular file of that name.
std::optional<std::string> ReadRegularFile(const std::string& fileName, std::size_t limit);

} // namespace platform
