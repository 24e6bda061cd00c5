#pragma once
// The exception classes of the program. Every failure is an exception whose what() is the
// message text the user or the caller sees, exactly as the program words it.

#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// Text to number conversions, unknown set members, assigning unrelated objects.
class EConvertError : public Exception {
    using Exception::Exception;
};
// Bad list indexes ("List index out of bounds (%d)").
class EListError : public Exception {
    using Exception::Exception;
};
// Reading or writing a published property that cannot be reached.
class EPropertyError : public Exception {
    using Exception::Exception;
};
// A value or object of the wrong kind.
class EInvalidCast : public Exception {
    using Exception::Exception;
};
// An operation that is not allowed in the object's current state.
class EInvalidOperation : public Exception {
    using Exception::Exception;
};
// Input/output and file-system failures.
class EInOutError : public Exception {
    using Exception::Exception;
};
// Stream failures; the two file kinds carry the file name and the system's reason.
class EStreamError : public Exception {
    using Exception::Exception;
};
class EFOpenError : public EStreamError {
    using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
    using EStreamError::EStreamError;
};
// A file the program leaves as it is on purpose rather than replacing it: one marked
// read-only, or one that is no regular file (a device, a FIFO, a socket; a link to the null
// device is the usual way of keeping no settings). Not a failure worth reporting.
class EFileLeftAlone : public EFCreateError {
    using EFCreateError::EFCreateError;
};
// A file larger than its reader takes (an unbounded read could fill the memory).
class EFileTooLarge : public EFOpenError {
    using EFOpenError::EFOpenError;
};
// A file that was saved but whose old content could not be kept under another name, as
// the save was asked to (the unreadable settings file's ".bad").
class EFileNotKept : public EStreamError {
    using EStreamError::EStreamError;
};
// A stream that holds fewer bytes than its content says it does ("Stream read error").
class EReadError : public EStreamError {
    using EStreamError::EStreamError;
};
// A document that the XML parser rejects.
class EXmlParseError : public Exception {
    using Exception::Exception;
};
// A picture file that no reader can decode (the message is the file name).
class EInvalidGraphic : public Exception {
    using Exception::Exception;
};

// printf-style formatting of message texts such as "List index out of bounds (%d)".
template <class... Args> std::string FormatMessage(const char* format, Args&&... args) {
    const int length = std::snprintf(nullptr, 0, format, std::forward<Args>(args)...);
    if (length <= 0)
        return format;
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, std::forward<Args>(args)...);
    text.resize(static_cast<std::size_t>(length));
    return text;
}
