// Start-up choice of the language file, and the settings-file base: where the settings lie,
// loading over the defaults, saving at the end, and the old file surviving a failed save.
#include "foundation/CommonConsts.h"

#include "foundation/SLLangUtils.h"
#include "foundation/SLSysUtils.h"
#include "foundation/SafeFile.h"
#include "support/FileSizeLimit.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <optional>
#include <pwd.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// A program installed as <root>/bin/TarselRuler with a language folder index at
// <root>/Languages/Language.ini.
struct TInstalledProgram {
    TTempFolder Root;
    std::string Program = Root.File("bin/TarselRuler");

    TInstalledProgram() { Root.WriteBytes("bin/TarselRuler", "program"); }
    void WriteIndex(const std::string& text) const {
        Root.WriteBytes("Languages/Language.ini", text);
    }
};

class CommonConstsSetup : public ::testing::Test {
protected:
    void SetUp() override { InitializeSLLangUtils(); }
    void TearDown() override { FinalizeSLLangUtils(); }
    TInstalledProgram Install;
};
} // namespace

TEST_F(CommonConstsSetup, WithoutIndexTheFileBesideTheProgramIsOnlyRead) {
    Install.Root.WriteBytes("bin/TarselRuler.lng", "[TAppStr]\r\nAppTitle=Beside\r\n");
    SetupTranslator(Install.Program);
    EXPECT_EQ(Translator->GetFileName(), Install.Root.File("bin/TarselRuler.lng"));
    EXPECT_TRUE(Translator->GetReadOnly());
    std::string value;
    EXPECT_TRUE(Translator->ReadString("TAppStr", "AppTitle", value));
    EXPECT_EQ(value, "Beside");
}

TEST_F(CommonConstsSetup, DefaultEntryAndMissingFolderKeepTheReadOnlyFile) {
    for (const char* index : {"[Language]\r\n", "[Language]\r\nLanguagePath=*\r\n",
                              "[Language]\r\nLanguagePath=Klingon\r\n"}) {
        Install.WriteIndex(index);
        std::string folder;
        GetLanguagePath(Install.Program, folder);
        EXPECT_EQ(folder, Install.Root.File("bin/")) << index;
        SetupTranslator(Install.Program);
        EXPECT_TRUE(Translator->GetReadOnly()) << index;
    }
    // An index that names a folder but is far too large (sparse, no disk taken) is not read.
    Install.WriteIndex("[Language]\r\nLanguagePath=Deutsch\r\n");
    Install.Root.WriteBytes("Languages/Deutsch/readme.txt", "");
    fs::resize_file(Install.Root.File("Languages/Language.ini"), std::uintmax_t{1} << 30);
    std::string folder;
    GetLanguagePath(Install.Program, folder);
    EXPECT_EQ(folder, Install.Root.File("bin/"));
}

TEST_F(CommonConstsSetup, NamedFolderGivesAWritableFileEvenBeforeItExists) {
    Install.WriteIndex("[language]\r\nlanguagepath = \"English\" \r\n");
    Install.Root.WriteBytes("Languages/English/readme.txt", "");
    SetupTranslator(Install.Program);
    EXPECT_EQ(Translator->GetFileName(), Install.Root.File("Languages/English/TarselRuler.lng"));
    EXPECT_FALSE(Translator->GetReadOnly());
    FinalizeSLLangUtils();
    TSLMemIniFile written(Install.Root.File("Languages/English/TarselRuler.lng"));
    EXPECT_EQ(written.ReadString("Language", "Name", ""), "Default");
    EXPECT_EQ(written.ReadString("Common", "0", ""), "0");
}

namespace {
// A small file system of its own mounted on a folder (a tmpfs; the super-user may mount
// one in most containers), unmounted when it goes.
class TSmallDisk {
public:
    TSmallDisk(const fs::path& folder, const char* size) : FFolder(folder) {
        fs::create_directories(folder);
        const std::string options = std::string("size=") + size;
        FMounted = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~TSmallDisk() {
        if (FMounted)
            ::umount2(FFolder.c_str(), MNT_DETACH);
    }
    TSmallDisk(const TSmallDisk&) = delete;
    TSmallDisk& operator=(const TSmallDisk&) = delete;

    bool Mounted() const { return FMounted; }
    // Writes a filler file until the disk has no room left.
    void Fill() const {
        std::ofstream filler(FFolder / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size())))
            filler.flush();
    }

private:
    fs::path FFolder;
    bool FMounted = false;
};
} // namespace

// In writable mode the language file is the translator's own work; a disk that is full
// when the program ends must not cost it a line of it, and the failure is said once.
TEST_F(CommonConstsSetup, AFullDiskLeavesTheLanguageFileAsItWas) {
    Install.WriteIndex("[Language]\r\nLanguagePath=Deutsch\r\n");
    const fs::path folder = Install.Root.Path() / "Languages/Deutsch";
    const fs::path language = folder / "TarselRuler.lng";
    std::string work = "[Language]\r\nName=Deutsch\r\nRightToLeft=0\r\n\r\n[TAppStr]\r\n";
    for (int line = 0; line < 200; ++line)
        work += "Text" + std::to_string(line) + "=Eine übersetzte Zeile\r\n";
    TSmallDisk disk(folder, "64k");
    Install.Root.WriteBytes("Languages/Deutsch/TarselRuler.lng", work);
    std::optional<TFileSizeLimit> limit;
    if (disk.Mounted()) {
        disk.Fill();
    } else {
        // Not allowed to mount here: the file size limit makes the write fail instead.
        limit.emplace(work.size());
    }
    SetupTranslator(Install.Program);
    ASSERT_FALSE(Translator->GetReadOnly());
    Translator->WriteString("TAppStr", "AppTitle", "Lineal");
    testing::internal::CaptureStderr();
    FinalizeSLLangUtils();
    const std::string said = testing::internal::GetCapturedStderr();
    limit.reset();
    EXPECT_TRUE(said.starts_with("The language file was not saved: ")) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_EQ(Install.Root.ReadBytes("Languages/Deutsch/TarselRuler.lng"), work)
        << (disk.Mounted() ? "on a full tmpfs" : "with a file size limit");
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_FALSE(entry.path().extension() == ".tmp") << entry.path();
}

namespace {

// A settings model as a program would declare it, kept in a folder of the test's choosing.
class TTestSettings : public TBaseAppInfo {
public:
    explicit TTestSettings(std::string fileName) : FFileName(std::move(fileName)) {}

    static const TClassInfo& StaticClassInfo() {
        static const TClassInfo info{"TTestSettings",
                                     &TBaseAppInfo::StaticClassInfo(),
                                     {Published("Transparent", &TTestSettings::Transparent),
                                      Published("MouseSnap", &TTestSettings::MouseSnap),
                                      Published("Zoom", &TTestSettings::Zoom)}};
        return info;
    }
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    std::string GetFileName() const override { return FFileName; }

    std::uint8_t Transparent = 178;
    bool MouseSnap = false;
    float Zoom = 1.5f;

private:
    std::string FFileName;
};

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

struct stat StatOf(const fs::path& file) {
    struct stat info {};
    ::lstat(file.c_str(), &info);
    return info;
}

const std::string kSavedDefaults = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                   "<TTestSettings MouseSnap=\"0\" Transparent=\"178\" "
                                   "Zoom=\"1.5\"></TTestSettings>\r\n";

class CommonConstsTest : public ::testing::Test {
protected:
    void SetUp() override {
        FSavedSeparator = DecimalSeparator();
        SetDecimalSeparator('.');
        Folder = fs::temp_directory_path() /
                 ("commonconsts-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Folder);
        fs::create_directories(Folder);
        File = Folder / "ruler.ini";
    }
    void TearDown() override {
        SetDecimalSeparator(FSavedSeparator);
        fs::remove_all(Folder);
    }

    fs::path Folder;
    fs::path File;

private:
    char FSavedSeparator = '.';
};

} // namespace

TEST_F(CommonConstsTest, TheSettingsFileIsTheProgramFileWithTheExtensionIni) {
    // The test program's name has no extension, so ".ini" is appended.
    TBaseAppInfo info;
    EXPECT_EQ(info.GetFileName(), TSLSysfn::GetModuleFileName() + ".ini");
    EXPECT_EQ(fs::path(info.GetFileName()).parent_path().string() + "/", TSLSysfn::GetModulePath());
}

TEST_F(CommonConstsTest, ANewModelLoadsOverItsDefaultsAndSavesWhenFreed) {
    WriteAll(File, R"(<Whatever Transparent="200" mousesnap="1" Unknown="x"/>)");
    {
        auto settings = CreateAppInfo<TTestSettings>(File.string());
        EXPECT_EQ(settings->Transparent, 200);
        EXPECT_TRUE(settings->MouseSnap);
        EXPECT_EQ(settings->Zoom, 1.5f) << "a value the file lacks keeps its default";
        settings->Zoom = 2;
    }
    EXPECT_EQ(ReadAll(File), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                             "<TTestSettings MouseSnap=\"1\" Transparent=\"200\" "
                             "Zoom=\"2\"></TTestSettings>\r\n");
}

TEST_F(CommonConstsTest, ADeletedFileBringsBackTheDefaultsAndAFullNewFile) {
    { CreateAppInfo<TTestSettings>(File.string())->Transparent = 10; }
    fs::remove(File);
    {
        auto settings = CreateAppInfo<TTestSettings>(File.string());
        EXPECT_EQ(settings->Transparent, 178);
    }
    EXPECT_EQ(ReadAll(File), kSavedDefaults);
}

TEST_F(CommonConstsTest, BadFilesStopTheLoadSilentlyKeepingWhatWasRead) {
    struct Row {
        const char* proves;
        const char* content;
        int transparent;
        bool mouseSnap;
    };
    // Property order: MouseSnap, Transparent, Zoom.
    const Row rows[] = {
        {"not XML at all", "this is no settings file", 178, false},
        {"a value that does not convert", R"(<T MouseSnap="1" Transparent="x" Zoom="3"/>)", 178,
         true},
        {"a float with the other separator", R"(<T MouseSnap="1" Transparent="9" Zoom="3,5"/>)", 9,
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.proves);
        WriteAll(File, row.content);
        TTestSettings settings(File.string());
        EXPECT_NO_THROW(settings.Load());
        EXPECT_EQ(settings.Transparent, row.transparent);
        EXPECT_EQ(settings.MouseSnap, row.mouseSnap);
        EXPECT_EQ(settings.Zoom, 1.5f);
        EXPECT_EQ(settings.UpdateCount(), 0);
    }
}

TEST_F(CommonConstsTest, AFailedSaveLeavesTheOldFileWhole) {
    const std::string old = R"(<TTestSettings MouseSnap="1" Transparent="42" Zoom="3"/>)";
    struct Row {
        const char* proves;
        std::function<void(TTestSettings&)> save;
    };
    const Row rows[] = {
        {"the disk fills up half-way through the write",
         [](TTestSettings& settings) {
             TFileSizeLimit limit(40); // the new text is longer than this
             settings.Save();
         }},
        {"the disk fills up while the file is rewritten in place",
         [this](TTestSettings& settings) {
             const fs::path blocker = File.string() + "." + std::to_string(::getpid()) + ".tmp";
             fs::create_directories(blocker / "occupied");
             {
                 TFileSizeLimit limit(40);
                 settings.Save();
             }
             fs::remove_all(blocker);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.proves);
        WriteAll(File, old);
        TTestSettings settings(File.string());
        settings.Transparent = 1;
        EXPECT_NO_THROW(row.save(settings));
        EXPECT_EQ(ReadAll(File), old);
        EXPECT_EQ(std::distance(fs::directory_iterator(Folder), fs::directory_iterator()), 1)
            << "no temporary file is left behind";
    }
}

namespace {
// The unprivileged account that the super-user's tests act as.
struct TOrdinaryUser {
    uid_t Uid = 65534;
    gid_t Gid = 65534;
    TOrdinaryUser() {
        if (const passwd* nobody = ::getpwnam("nobody")) {
            Uid = nobody->pw_uid;
            Gid = nobody->pw_gid;
        }
    }
};

// Runs work in a child process, as the ordinary user when this process is the
// super-user; the child's exit code, or -1 when it did not exit.
int RunAsOrdinaryUser(const std::function<int()>& work) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0) {
            const TOrdinaryUser user;
            if (::setgroups(0, nullptr) != 0 || ::setgid(user.Gid) != 0 || ::setuid(user.Uid) != 0)
                ::_exit(99);
        }
        ::_exit(work());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int CountEntries(const fs::path& folder) {
    return static_cast<int>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}
} // namespace

// A prepared settings file in a shared installation: the user may write the file but not
// the folder, so no temporary file can be made beside it.
TEST_F(CommonConstsTest, AWritableFileInAFolderTheUserMayNotWriteIsRewrittenInPlace) {
    WriteAll(
        File,
        R"(<TTestSettings MouseSnap="1" Transparent="42" Zoom="3" Extra="long enough to be longer than the new text"/>)");
    if (::geteuid() == 0) {
        const TOrdinaryUser user;
        ASSERT_EQ(::chown(File.c_str(), user.Uid, user.Gid), 0);
    } else {
        fs::permissions(Folder, fs::perms::owner_read | fs::perms::owner_exec);
    }
    const int exitCode = RunAsOrdinaryUser([this] {
        if (::access(Folder.c_str(), W_OK) == 0)
            return 2; // the folder must be closed to the user
        TTestSettings settings(File.string());
        settings.Load();
        settings.Transparent = 7;
        settings.Save();
        return 0;
    });
    fs::permissions(Folder, fs::perms::owner_all);
    ASSERT_EQ(exitCode, 0);
    EXPECT_EQ(ReadAll(File), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                             "<TTestSettings MouseSnap=\"1\" Transparent=\"7\" "
                             "Zoom=\"3\"></TTestSettings>\r\n")
        << "the shorter new text is cut to its length";
    EXPECT_EQ(CountEntries(Folder), 1);
}

TEST_F(CommonConstsTest, SavingKeepsTheOwnerAndEveryHardLink) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only the super-user can give a file to another owner";
    const TOrdinaryUser user;
    const fs::path otherName = Folder / "shared.ini";
    struct Row {
        const char* proves;
        bool hardLink;
    };
    for (const Row row : {Row{"the file is replaced", false},
                          Row{"a second name keeps pointing at the file", true}}) {
        SCOPED_TRACE(row.proves);
        fs::remove(otherName);
        WriteAll(File, "old");
        ASSERT_EQ(::chown(File.c_str(), user.Uid, user.Gid), 0);
        ASSERT_EQ(::chmod(File.c_str(), 0640), 0);
        if (row.hardLink)
            fs::create_hard_link(File, otherName);
        TTestSettings(File.string()).Save();
        struct stat saved {};
        ASSERT_EQ(::stat(File.c_str(), &saved), 0);
        EXPECT_EQ(ReadAll(File), kSavedDefaults);
        EXPECT_EQ(saved.st_uid, user.Uid);
        EXPECT_EQ(saved.st_gid, user.Gid);
        EXPECT_EQ(saved.st_mode & 07777, 0640u);
        if (row.hardLink) {
            EXPECT_EQ(saved.st_nlink, 2u);
            EXPECT_EQ(ReadAll(otherName), kSavedDefaults);
        }
    }
}

TEST_F(CommonConstsTest, AFileMarkedReadOnlyIsNeverReplacedEvenByTheSuperUser) {
    const std::string old = "<TTestSettings Transparent=\"42\"/>";
    WriteAll(File, old);
    fs::permissions(File, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    TTestSettings settings(File.string());
    settings.Transparent = 1;
    EXPECT_NO_THROW(settings.Save());
    EXPECT_EQ(ReadAll(File), old);
    EXPECT_THROW(ReplaceFileContent(File.string(), "new"), EFCreateError);
    EXPECT_EQ(CountEntries(Folder), 1);
}

// A save killed between writing its temporary file and renaming it leaves that file; the
// next save removes it unless the process that wrote it still runs.
TEST_F(CommonConstsTest, LeftoversOfKilledSavesAreRemoved) {
    auto temporaryOf = [this](pid_t pid) {
        return fs::path(File.string() + "." + std::to_string(pid) + ".tmp");
    };
    auto writeOwnTemporary = [&] {
        std::ofstream(temporaryOf(::getpid())) << "<TTestSettings Transp";
    };
    const pid_t killed = ::fork();
    if (killed == 0) {
        writeOwnTemporary();
        ::raise(SIGKILL);
    }
    ::waitpid(killed, nullptr, 0);
    const pid_t running = ::fork();
    if (running == 0) {
        writeOwnTemporary();
        ::pause();
        ::_exit(0);
    }
    for (int wait = 0; wait < 500 && !fs::exists(temporaryOf(running)); ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(fs::exists(temporaryOf(killed)));

    TTestSettings(File.string()).Save();
    EXPECT_FALSE(fs::exists(temporaryOf(killed)));
    EXPECT_TRUE(fs::exists(temporaryOf(running))) << "it may be saving right now";
    EXPECT_EQ(ReadAll(File), kSavedDefaults);
    ::kill(running, SIGKILL);
    ::waitpid(running, nullptr, 0);
}

TEST_F(CommonConstsTest, AFileThatCouldNotBeReadInFullIsKeptBesideTheNewOne) {
    const fs::path kept = File.string() + ".bad";
    { CreateAppInfo<TTestSettings>(File.string()); }
    EXPECT_FALSE(fs::exists(kept)) << "a file read in full needs no copy";
    struct Row {
        const char* proves;
        const char* content;
    };
    for (const Row row :
         {Row{"a typo in a hand-edited value",
              R"(<TTestSettings MouseSnap="1" Transparent="4O" Zoom="3"/>)"},
          Row{"a cut-off file", "<?xml version=\"1.0\"?>\r\n<TTestSettings Mouse"}}) {
        SCOPED_TRACE(row.proves);
        WriteAll(File, row.content);
        {
            auto settings = CreateAppInfo<TTestSettings>(File.string());
            settings->Zoom = 2;
        }
        EXPECT_EQ(ReadAll(kept), row.content) << "the copy is replaced each time";
        TTestSettings reread(File.string());
        reread.Load();
        EXPECT_EQ(reread.Zoom, 2) << "the new file is complete";
    }
}

// A file beyond the reader's limit is refused like any unreadable file, and kept.
TEST_F(CommonConstsTest, AFileTooLargeToReadGivesTheDefaultsAndIsKeptBesideTheNewOne) {
    const std::string start = R"(<TTestSettings Transparent="42"/>)";
    WriteAll(File, start);
    fs::resize_file(File, kMaxXmlFileBytes + 1); // sparse: no disk taken
    const struct stat oversized = StatOf(File);
    {
        auto settings = CreateAppInfo<TTestSettings>(File.string());
        EXPECT_EQ(settings->Transparent, 178);
    }
    const fs::path kept = File.string() + ".bad";
    ASSERT_EQ(fs::file_size(kept), kMaxXmlFileBytes + 1);
    EXPECT_EQ(StatOf(kept).st_ino, oversized.st_ino) << "kept by a second name, not copied";
    std::ifstream copy(kept, std::ios::binary);
    std::string head(start.size(), '\0');
    copy.read(head.data(), static_cast<std::streamsize>(head.size()));
    EXPECT_EQ(head, start);
    EXPECT_EQ(ReadAll(File), kSavedDefaults);
}

// A FIFO or a device in the file's place, and a read-only file, are kept without a word;
// a save that fails says why in one line on the standard error.
TEST_F(CommonConstsTest, FilesLeftAloneOnPurposeAreSilentAFailedSaveSaysWhy) {
    struct Row {
        const char* proves;
        std::function<bool(const fs::path&)> make; // false: not possible for this user
        bool saysWhy;
    };
    const Row rows[] = {
        {"a FIFO", [](const fs::path& f) { return ::mkfifo(f.c_str(), 0666) == 0; }, false},
        {"a link to a null device",
         [](const fs::path& f) {
             const fs::path node = f.string() + ".node";
             if (::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
                 return false;
             fs::create_symlink(node.filename(), f);
             return true;
         },
         false},
        {"a read-only file",
         [](const fs::path& f) {
             WriteAll(f, "<TTestSettings/>");
             fs::permissions(f, fs::perms::owner_read);
             return true;
         },
         false},
        {"a folder in the file's place", [](const fs::path& f) { return fs::create_directory(f); },
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.proves);
        fs::remove_all(Folder);
        fs::create_directories(Folder);
        if (!row.make(File))
            continue;
        const struct stat before = StatOf(File);
        testing::internal::CaptureStderr();
        {
            auto settings = CreateAppInfo<TTestSettings>(File.string());
            EXPECT_EQ(settings->Transparent, 178);
            settings->Transparent = 1;
        }
        const std::string said = testing::internal::GetCapturedStderr();
        if (row.saysWhy) {
            // A folder cannot be read either; it is said once, at the load.
            EXPECT_TRUE(said.starts_with("The settings file was not read: ")) << said;
            EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        } else {
            EXPECT_EQ(said, "");
        }
        const struct stat after = StatOf(File);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_FALSE(fs::exists(File.string() + ".bad"));
    }
}

TEST_F(CommonConstsTest, SavingKeepsTheFilesPermissionsAndFollowsALink) {
    WriteAll(File, "old");
    fs::permissions(File, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const fs::path link = Folder / "link.ini";
    fs::create_symlink(File, link);

    TTestSettings settings(link.string());
    settings.Save();
    EXPECT_TRUE(fs::is_symlink(link)) << "the link stays a link";
    EXPECT_EQ(ReadAll(File), kSavedDefaults);
    EXPECT_EQ(fs::status(File).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(CommonConstsTest, TwoCopiesEachWriteTheWholeFileAndTheLastOneWins) {
    auto first = CreateAppInfo<TTestSettings>(File.string());
    auto second = CreateAppInfo<TTestSettings>(File.string());
    first->Transparent = 1;
    second->Transparent = 2;
    second.reset();
    first.reset();
    TTestSettings reread(File.string());
    reread.Load();
    EXPECT_EQ(reread.Transparent, 1);
}

// Files the program cannot read, or cannot keep or write back, are left as they were and
// cost at most one line that names the real reason; the save itself never suffers from
// the ".bad" copy.
TEST_F(CommonConstsTest, FilesThatCannotBeReadOrKeptLoseNothingAndSayWhyOnce) {
    const fs::path bad = File.string() + ".bad";
    const std::string saved = R"(<TTestSettings MouseSnap="1" Transparent="42" Zoom="3"/>)";
    struct Row {
        const char* proves;
        std::function<bool()> make; // false: not possible here
        const char* says;           // the line's start and its reason; empty: silent
        const char* reason;
        bool fileKept;                  // else it holds the settings saved
        std::optional<std::string> bad; // what the ".bad" holds afterwards
        bool asOrdinaryUser = false;
    };
    const Row rows[] = {
        {"a file the user may write but not read",
         [&] {
             WriteAll(File, saved);
             fs::permissions(File, fs::perms::owner_write);
             const TOrdinaryUser user;
             return ::chown(File.c_str(), user.Uid, user.Gid) == 0 || ::geteuid() != 0;
         },
         "The settings file was not read: ", "Permission denied", true, std::nullopt, true},
        {"a loop of symbolic links",
         [&] {
             fs::create_symlink("loop.ini", File);
             fs::create_symlink(File.filename(), Folder / "loop.ini");
             return true;
         },
         "The settings file was not read: ", "Too many levels of symbolic links", true,
         std::nullopt},
        {"text with no settings in it, kept",
         [&] {
             WriteAll(File, "hello world");
             return true;
         },
         "", "", false, "hello world"},
        {"a \".bad\" marked read-only stays and the save goes on",
         [&] {
             WriteAll(File, "hello world");
             WriteAll(bad, "older");
             fs::permissions(bad, fs::perms::owner_read);
             return true;
         },
         "", "", false, "older"},
        {"a \".bad\" that cannot be written: said, and the save goes on",
         [&] {
             WriteAll(File, "<TTestSettings Zoom=\"x\"/>");
             return fs::create_directory(bad);
         },
         "The unreadable settings file was not kept: ", "Is a directory", false, std::nullopt},
        {"a read-only file system",
         [&] {
             if (::mount("tmpfs", Folder.c_str(), "tmpfs", 0, "size=1m") != 0)
                 return false;
             WriteAll(File, saved);
             return ::mount(nullptr, Folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
         },
         "The settings were not saved: ", "Read-only file system", true, std::nullopt},
    };
    std::string notSetUp;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.proves);
        fs::remove_all(Folder);
        fs::create_directories(Folder);
        if (!row.make()) {
            ::umount2(Folder.c_str(), MNT_DETACH);
            notSetUp += std::string(row.proves) + "; ";
            continue;
        }
        const struct stat before = StatOf(File);
        const std::string content = fs::is_symlink(File) ? "" : ReadAll(File);
        auto run = [&] {
            CreateAppInfo<TTestSettings>(File.string())->Transparent = 1;
            return 0;
        };
        testing::internal::CaptureStderr();
        if (row.asOrdinaryUser)
            EXPECT_EQ(RunAsOrdinaryUser(run), 0);
        else
            run();
        const std::string said = testing::internal::GetCapturedStderr();
        if (*row.says == '\0') {
            EXPECT_EQ(said, "");
        } else {
            EXPECT_TRUE(said.starts_with(row.says)) << said;
            EXPECT_NE(said.find(row.reason), std::string::npos) << said;
            EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        }
        if (row.fileKept) {
            EXPECT_EQ(StatOf(File).st_ino, before.st_ino);
            EXPECT_EQ(fs::is_symlink(File) ? "" : ReadAll(File), content);
        } else {
            TTestSettings reread(File.string());
            reread.Load();
            EXPECT_EQ(reread.Transparent, 1) << "the settings were saved";
        }
        if (row.bad)
            EXPECT_EQ(ReadAll(bad), *row.bad);
        else if (!fs::is_directory(bad))
            EXPECT_FALSE(fs::exists(bad));
        ::umount2(Folder.c_str(), MNT_DETACH);
    }
    if (!notSetUp.empty())
        GTEST_SKIP() << "not possible for this user: " << notSetUp;
}
