// Start-up choice of the language file, and the settings-file base: where the settings lie,
// loading over the defaults, saving at the end, and the old file surviving a failed save.
#include "foundation/CommonConsts.h"

#include "foundation/SLLangUtils.h"
#include "foundation/SLSysUtils.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
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

// Lowers the largest file this process may write, so that a write fails half-way as on a
// full disk; restores the limit when it goes.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes) {
        FOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &FOld);
        rlimit lowered = FOld;
        lowered.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~TFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &FOld);
        std::signal(SIGXFSZ, FOldHandler);
    }

private:
    rlimit FOld{};
    void (*FOldHandler)(int) = nullptr;
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
        {"the temporary file cannot be created",
         [this](TTestSettings& settings) {
             const fs::path blocker = File.string() + "." + std::to_string(::getpid()) + ".tmp";
             fs::create_directories(blocker / "occupied");
             settings.Save();
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

TEST_F(CommonConstsTest, SavingIntoAReadOnlyFolderIsDroppedAndTheOldFileStays) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "folder permissions do not bind the super-user";
    const std::string old = "<TTestSettings Transparent=\"42\"/>";
    WriteAll(File, old);
    fs::permissions(Folder, fs::perms::owner_read | fs::perms::owner_exec);
    TTestSettings settings(File.string());
    settings.Transparent = 1;
    EXPECT_NO_THROW(settings.Save());
    fs::permissions(Folder, fs::perms::owner_all);
    EXPECT_EQ(ReadAll(File), old);
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
