#pragma once
// Reading and replacing the program's own text files (the settings file, the language file)
// so that neither an unusual file in their place nor a kill at any moment does harm.

#include "foundation/Exceptions.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The whole content of fileName, its symbolic links followed. nullopt when no file has that
// name or it is no regular file (a device, a FIFO, a socket): such a file is opened without
// waiting and never read, and its kind is taken from the open file itself. A file of more
// than limit bytes fails with EFileTooLarge before more than limit bytes are held; a folder
// or a file that cannot be read fails with EFOpenError.
std::optional<std::string> ReadRegularFile(const std::string& fileName, std::size_t limit);

// Makes bytes the whole content of fileName so that no failure, full disk or kill leaves
// a half-written file: the new text goes to "<name>.<pid>.tmp" beside it, reaches the disk
// and is renamed over the old file. Where that temporary file cannot be made (a folder the
// user may not write to) or the file has other hard links, the file is rewritten in place
// instead, with room for the whole text taken first; a shorter text is padded with blank
// (the text's own blank: " " for UTF-8, its two bytes for UTF-16) to the old length until
// it is on disk, so a kill never leaves the old text's tail behind the new one. A symbolic
// link is written through; the file keeps its owner and mode. Leftover temporary files of
// earlier saves whose process no longer runs are removed. A file without its owner's write
// permission (marked read-only) and a file that is no regular file are never replaced, not
// even by the super-user: EFileLeftAlone. Any other failure is an EFCreateError.
void ReplaceFileContent(const std::string& fileName, const std::string& bytes,
                        std::string_view blank = " ");

// ReplaceFileContent with the content of the regular file sourceName, copied piece by
// piece, so a file of any size is copied in bounded memory.
void CopyFileContent(const std::string& fileName, const std::string& sourceName,
                     std::string_view blank = " ");

// Tests stop the process here, in a save in place after the padded text is on disk and
// before the file is cut to its new length, to show that the file reads at that moment.
void SetBeforeTruncateHookForTests(void (*hook)());
