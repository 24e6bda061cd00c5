// Reading and replacing the program's own files: special files in their place are neither
// read nor replaced, reads are bounded, and a save in place reads whole at every moment.

#include "foundation/SafeFile.h"

#include "foundation/SLIniFile.h"
#include "support/SpecialFiles.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <pugixml.hpp>
#include <sys/stat.h>
#include <sys/wait.h>
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
    EXPECT_EQ(ReadRegularFile(folder.File("link.ini"), 100), "<Settings/>");
    EXPECT_EQ(ReadRegularFile(folder.File("missing.ini"), 100), std::nullopt);
    EXPECT_THROW(ReadRegularFile(folder.Path().string(), 100), EFOpenError) << "a folder";

    for (const TSpecialFile& special : kSpecialFiles) {
        SCOPED_TRACE(special.Name);
        const std::string node = folder.File(std::string("node ") + special.Name);
        if (!special.Make(node)) {
            std::printf("skipped for this user: %s\n", special.Name);
            continue;
        }
        const std::string link = node + ".ini";
        fs::create_symlink(node, link);
        // A FIFO without a writer would hold a blocking open for ever.
        EXPECT_EQ(ReadRegularFile(link, 100), std::nullopt);
        EXPECT_EQ(ReadRegularFile(node, 100), std::nullopt);
    }
}

TEST(SafeFile, AFileBeyondTheLimitIsRefusedBeforeItIsHeld) {
    TTempFolder folder;
    folder.WriteBytes("exact", std::string(10, 'x'));
    folder.WriteBytes("larger", std::string(11, 'x'));
    EXPECT_EQ(ReadRegularFile(folder.File("exact"), 10), std::string(10, 'x'));
    EXPECT_THROW(ReadRegularFile(folder.File("larger"), 10), EFileTooLarge);
    // A sparse file takes no disk but would take its whole size in memory.
    fs::resize_file(folder.File("larger"), std::uintmax_t{1} << 40);
    EXPECT_THROW(ReadRegularFile(folder.File("larger"), 1 << 20), EFileTooLarge);
}

TEST(SafeFile, ASpecialFileOrALinkToItIsLeftAsItIs) {
    TTempFolder folder;
    for (const TSpecialFile& special : kSpecialFiles) {
        SCOPED_TRACE(special.Name);
        const std::string node = folder.File(std::string("node ") + special.Name);
        if (!special.Make(node))
            continue;
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

// A copy goes piece by piece, in place too (a hard link keeps the file where it is).
TEST(SafeFile, CopiesAFileOfManyPiecesOverANewOrAnExistingFile) {
    TTempFolder folder;
    std::string large;
    for (int i = 0; large.size() < 300000; ++i)
        large += std::to_string(i) + ' ';
    folder.WriteBytes("source", large);
    CopyFileContent(folder.File("new copy"), folder.File("source"));
    EXPECT_EQ(folder.ReadBytes("new copy"), large);
    folder.WriteBytes("linked copy", std::string(500000, '#'));
    fs::create_hard_link(folder.File("linked copy"), folder.File("other name"));
    CopyFileContent(folder.File("linked copy"), folder.File("source"));
    EXPECT_EQ(folder.ReadBytes("other name"), large);
}

// The save in place of a shorter text, killed after the padded text reached the disk and
// before the file was cut: the file holds the new text and blanks, and reads as the new
// text. Settings (XML) and the language file (UTF-16 INI) each pad with their own blank.
void KillBeforeTheCut(const std::function<void()>& save) {
    const pid_t child = ::fork();
    if (child == 0) {
        SetBeforeTruncateHookForTests([] { ::raise(SIGKILL); });
        save();
        ::_exit(0); // never reached when the save is in place
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the save did not stop where it cuts the file";
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
}

TEST(SafeFile, ASaveInPlaceKilledBeforeTheCutLeavesAFileThatReads) {
    TTempFolder folder;
    const std::string oldXml = "<Settings Transparent=\"42\">" + std::string(5000, ' ') +
                               "<Items><A/><B/><C/></Items></Settings>\r\n";
    folder.WriteBytes("settings.ini", oldXml);
    fs::create_hard_link(folder.File("settings.ini"), folder.File("second name"));
    KillBeforeTheCut([&] {
        ReplaceFileContent(folder.File("settings.ini"), "<Settings Transparent=\"7\"/>\r\n");
    });
    const std::string torn = folder.ReadBytes("settings.ini");
    EXPECT_EQ(torn.size(), oldXml.size());
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(torn.c_str())) << torn.substr(0, 80);
    EXPECT_STREQ(document.document_element().attribute("Transparent").value(), "7");
    EXPECT_FALSE(document.document_element().first_child());

    // Unkilled, the same save ends with the file cut to the new text.
    ReplaceFileContent(folder.File("settings.ini"), "<Settings Transparent=\"7\"/>\r\n");
    EXPECT_EQ(folder.ReadBytes("second name"), "<Settings Transparent=\"7\"/>\r\n");

    TSLMemIniFile language(folder.File("language.lng"));
    for (int i = 0; i < 200; ++i)
        language.WriteString("TAppStr", "Text" + std::to_string(i), "一段文字");
    language.UpdateFile();
    fs::create_hard_link(folder.File("language.lng"), folder.File("language link"));
    TSLMemIniFile shorter(folder.File("language.lng"));
    shorter.EraseSection("TAppStr");
    shorter.WriteString("Language", "Name", "中文");
    KillBeforeTheCut([&] { shorter.UpdateFile(); });
    EXPECT_GT(fs::file_size(folder.File("language.lng")), 2000u) << "not killed before the cut";
    TSLMemIniFile reread(folder.File("language.lng"));
    EXPECT_EQ(reread.ReadString("Language", "Name", ""), "中文");
    EXPECT_EQ(reread.ReadString("TAppStr", "Text0", "absent"), "absent");
}

} // namespace
