#pragma once
// How text files of the desktop (language files, their folder index) are turned into
// our UTF-8 strings and back. A file may carry a byte-order mark for UTF-16 (either
// byte order) or UTF-8; an unmarked file is in the locale's code page, which is UTF-8
// here. Language files made on a Chinese desktop arrive unmarked in GB18030, so an
// unmarked file that is mostly not UTF-8 (more bytes that begin no UTF-8 character than
// UTF-8 characters beyond ASCII) is read as GB18030. A UTF-8 file with a few stray bytes
// stays UTF-8: each stray byte becomes U+FFFD and the rest of the file is read as written.

#include <string>

namespace platform {

// The whole content of a text file, decoded to UTF-8 without a byte-order mark.
std::string DecodeTextFileBytes(const std::string& bytes);

// UTF-8 text as UTF-16 little-endian bytes behind a byte-order mark (FF FE).
std::string EncodeUtf16LeWithBom(const std::string& utf8);

} // namespace platform
