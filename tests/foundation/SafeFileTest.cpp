// Reading and replacing the program's own files: special files in their place are neither
// read nor replaced, reads are bounded, and a save in place reads as the old or the new text
// at every moment a kill could stop it.

#include "foundation/SafeFile.h"

#include "foundation/SLIniFile.h"
#include "foundation/XmlPersistent.h"
#include "support/SpecialFiles.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A special file made in the test's own folder, never a system one.
struct TSpecialFile {
    const char* Name;
    // Makes the file at path; false when this user cannot (device nodes need root).
    std::function<bool(const std::string& path)> Make;
};

const TSpecialFile kSpecialFiles[] = {
    {"null device", [](const std::string& path) { return MakeMemoryDevice(path, 3); }},
    {"zero device", [](const std::string& path) { return MakeMemoryDevice(path, 5); }},
    {"FIFO", MakeFifo},
    {"socket", MakeSocketFile},
};

struct stat StatOf(const std::string& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info;
}

int CountEntries(const fs::path& folder) {
    return static_cast<int>(std::distance(fs::directory_iterator(folder), {}));
}

TEST(SafeFile, ReadsARegularFileThroughItsLinkAndNothingElse) {
    TTempFolder folder;
    folder.WriteBytes("settings.xml", "<Settings/>");
    fs::create_symlink("settings.xml", folder.File("link.ini"));
    EXPECT_EQ(ReadSavedFile(folder.File("link.ini"), 100), "<Settings/>");
    EXPECT_EQ(ReadSavedFile(folder.File("missing.ini"), 100), std::nullopt);
    EXPECT_THROW(ReadSavedFile(folder.Path().string(), 100), EFOpenError) << "a folder";

    std::string notMade;
    for (const TSpecialFile& special : kSpecialFiles) {
        SCOPED_TRACE(special.Name);
        const std::string node = folder.File(std::string("node ") + special.Name);
        if (!special.Make(node)) {
            notMade += std::string(special.Name) + "; ";
            continue;
        }
        const std::string link = node + ".ini";
        fs::create_symlink(node, link);
        // A FIFO without a writer would hold a blocking open for ever.
        EXPECT_EQ(ReadSavedFile(link, 100), std::nullopt);
        EXPECT_EQ(ReadSavedFile(node, 100), std::nullopt);
    }
    if (!notMade.empty())
        GTEST_SKIP() << "only the super-user can make these: " << notMade;
}

TEST(SafeFile, AFileBeyondTheLimitIsRefusedBeforeItIsHeld) {
    TTempFolder folder;
    folder.WriteBytes("exact", std::string(10, 'x'));
    folder.WriteBytes("larger", std::string(11, 'x'));
    EXPECT_EQ(ReadSavedFile(folder.File("exact"), 10), std::string(10, 'x'));
    EXPECT_THROW(ReadSavedFile(folder.File("larger"), 10), EFileTooLarge);
    // A sparse file takes no disk but would take its whole size in memory.
    fs::resize_file(folder.File("larger"), std::uintmax_t{1} << 40);
    EXPECT_THROW(ReadSavedFile(folder.File("larger"), 1 << 20), EFileTooLarge);
}

TEST(SafeFile, ASpecialFileOrALinkToItIsLeftAsItIs) {
    TTempFolder folder;
    std::string notMade;
    for (const TSpecialFile& special : kSpecialFiles) {
        SCOPED_TRACE(special.Name);
        const std::string node = folder.File(std::string("node ") + special.Name);
        if (!special.Make(node)) {
            notMade += std::string(special.Name) + "; ";
            continue;
        }
        const std::string link = node + ".ini";
        fs::create_symlink(node, link);
        const struct stat before = StatOf(node);
        EXPECT_THROW(ReplaceFileContent(link, "<Settings/>"), EFileLeftAlone);
        EXPECT_THROW(ReplaceFileContent(node, "<Settings/>"), EFileLeftAlone);
        const struct stat after = StatOf(node);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_rdev, before.st_rdev);
        EXPECT_TRUE(fs::is_symlink(link));
    }
    const int entries = CountEntries(folder.Path());
    EXPECT_EQ(entries % 2, 0) << "a temporary file was left behind";
    if (!notMade.empty())
        GTEST_SKIP() << "only the super-user can make these: " << notMade;
}

TEST(SafeFile, AFileMarkedReadOnlyIsLeftAloneAndAMissingFolderIsAFailure) {
    TTempFolder folder;
    folder.WriteBytes("read-only", "old");
    fs::permissions(folder.File("read-only"), fs::perms::owner_read);
    EXPECT_THROW(ReplaceFileContent(folder.File("read-only"), "new"), EFileLeftAlone);
    EXPECT_EQ(folder.ReadBytes("read-only"), "old");
    try {
        ReplaceFileContent(folder.File("no folder/file"), "new");
        ADD_FAILURE() << "a file in a missing folder was written";
    } catch (const EFileLeftAlone&) {
        ADD_FAILURE() << "a real failure counted as a file left alone";
    } catch (const EFCreateError&) {
    }
}

// --- A save in place killed at any moment ------------------------------------------------------

// A settings-like text of about size bytes; every line carries the version, so that no mix
// of two versions equals either.
std::string Text(char version, std::size_t size) {
    std::string text = "<?xml version=\"1.0\"?>\r\n<Settings>\r\n";
    for (int line = 0; text.size() < size; ++line)
        text += "  <Item Version=\"" + std::string(1, version) + "\" Number=\"" +
                std::to_string(line) + "\"/>\r\n";
    return text + "</Settings>\r\n";
}

int StepsBeforeTheKill = 0;

// Saves in a child process that is killed at a step of the save in place (step > 0), or
// after the given time.
void SaveAndKill(const std::string& fileName, const std::string& text, int step,
                 std::chrono::microseconds after) {
    StepsBeforeTheKill = step;
    const pid_t child = ::fork();
    if (child == 0) {
        SetBetweenInPlaceStepsHookForTests([] {
            if (--StepsBeforeTheKill == 0)
                ::raise(SIGKILL);
        });
        try {
            ReplaceFileContent(fileName, text);
        } catch (...) {
        }
        ::_exit(0); // never on through the rest of the tests
    }
    if (step == 0) {
        std::this_thread::sleep_for(after);
        ::kill(child, SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (step > 0)
        EXPECT_TRUE(WIFSIGNALED(status)) << "the save did not reach step " << step;
}

TEST(SafeFile, ASaveInPlaceKilledAtAnyMomentReadsAsTheOldOrTheNewText) {
    struct Row {
        const char* proves;
        std::size_t oldSize;
        std::size_t newSize;
    };
    const Row rows[] = {
        {"a large file shrinks", 8 << 20, 2 << 20},
        {"a large file grows", 20 << 20, 25 << 20},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.proves);
        TTempFolder folder;
        const std::string fileName = folder.File("settings.ini");
        const std::string oldText = Text('o', row.oldSize);
        const std::string newText = Text('n', row.newSize);
        int readNew = 0;
        auto trial = [&](int step, std::chrono::microseconds after) {
            folder.WriteBytes("settings.ini", oldText);
            fs::remove(folder.File("second name"));
            fs::create_hard_link(fileName, folder.File("second name"));
            SaveAndKill(fileName, newText, step, after);
            const std::optional<std::string> read = ReadSavedFile(fileName, kMaxXmlFileBytes);
            ASSERT_TRUE(read == oldText || read == newText)
                << "step " << step << ", " << after.count() << " us: torn, "
                << fs::file_size(fileName) << " bytes";
            readNew += read == newText;
        };
        // At each step, the file reads as the text that step leaves whole.
        for (int step = 1; step <= 4; ++step) {
            trial(step, {});
            EXPECT_EQ(readNew, step > 2 ? step - 2 : 0) << "step " << step;
        }
        // And at moments spread over twice the time a whole save takes (a save in a child
        // that has just been forked is slower), most of them inside its large writes.
        folder.WriteBytes("settings.ini", oldText);
        const auto start = std::chrono::steady_clock::now();
        ReplaceFileContent(fileName, newText);
        const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - start);
        for (int fifth = 0; fifth < 10; ++fifth)
            trial(0, whole * fifth / 5);

        // The next save of a file left with its mark ends in the plain new text.
        ReplaceFileContent(fileName, newText);
        EXPECT_EQ(folder.ReadBytes("second name"), newText);
    }
}

// A text its reader would refuse is not written: the old file stays.
TEST(SafeFile, AnImageTooLargeToReadBackIsNotWritten) {
    TTempFolder folder;
    const std::string language = folder.File("language.lng");
    TSLMemIniFile ini(language);
    ini.WriteString("Language", "Name", "Deutsch");
    ini.UpdateFile();
    const std::string written = folder.ReadBytes("language.lng");
    // Read as UTF-8 within the limit, it would be written as UTF-16, twice as long.
    ini.WriteString("TAppStr", "Text", std::string(kMaxLanguageFileBytes / 2, 'x'));
    EXPECT_THROW(ini.UpdateFile(), EFCreateError);
    EXPECT_EQ(folder.ReadBytes("language.lng"), written);
}

} // namespace
