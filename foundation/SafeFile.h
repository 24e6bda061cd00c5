#pragma once
// Reading and replacing the program's own text files (the settings file, the language file)
// so that neither an unusual file in their place nor a kill at any moment does harm.

#include "foundation/Exceptions.h"

#include <cstddef>
#include <optional>
#include <string>

// The content of fileName as the last complete save left it, its symbolic links followed.
// nullopt when no file has that name or it is no regular file (a device, a FIFO, a socket:
// opened without waiting and never read). A save in place that was killed leaves a mark at
// the file's end that names where the old or the new content lies; that content is read.
// Content of more than limit bytes fails with EFileTooLarge before more than limit bytes are
// held; a folder or a file that cannot be read fails with EFOpenError (the system's reason).
std::optional<std::string> ReadSavedFile(const std::string& fileName, std::size_t limit);

// Makes bytes the whole content of fileName so that no failure, full disk or kill leaves
// a half-written file: the new text goes to "<name>.<pid>.tmp" beside it, reaches the disk
// and is renamed over the old file. Where that temporary file cannot be made (a folder the
// user may not write to) or the file has other hard links, the file is rewritten in place
// instead: the new text first waits beyond the old one, behind a mark that ReadSavedFile
// follows, so the file reads as the old or the new text at every moment (see WriteInPlace).
// A symbolic link is written through; the file keeps its owner and mode. Leftover
// temporary files of earlier saves whose process no longer runs are removed. A file
// without its owner's write permission (marked read-only), a file that is no regular file
// and a name that no file can be reached through (a loop of symbolic links) are never
// replaced, not even by the super-user: EFileLeftAlone. Any other failure is an
// EFCreateError carrying the system's reason.
//
// keepOldAs: when not empty, the old file is kept under that name (replacing an older file
// there) by a second hard link, never by a copy, and only where the file is replaced by
// a rename. When that cannot be done the new text is saved all the same and then
// EFileNotKept says why; a kept name that is marked read-only or no regular file is left
// as it is without a word.
void ReplaceFileContent(const std::string& fileName, const std::string& bytes,
                        const std::string& keepOldAs = {});

// Fails with EFCreateError (the system's "File too large") when a text of size bytes would
// be more than the limit its reader takes, so that no file is written that reads as
// unreadable.
void CheckWithinReadLimit(const std::string& fileName, std::size_t size, std::size_t limit);

// Tests stop the process here, between the steps of a save in place, to show that the file
// reads as the old or the new text at each of those moments.
void SetBetweenInPlaceStepsHookForTests(void (*hook)());
