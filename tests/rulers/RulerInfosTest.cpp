#include "rulers/RulerInfos.h"
#include "rulers/TestAppInfo.h"

#include "foundation/SLSysUtils.h"
#include "platform/desktop/Screen.h"
#include "rulers/TestInstruments.h"
#include "support/FileSizeLimit.h"
#include "support/ProgramCopy.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const fs::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
}

// A settings document with the given body inside the root element.
std::string Document(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<TAppInfo>" + body + "</TAppInfo>\r\n";
}

class RulerInfos : public ::testing::Test {
protected:
    fs::path Folder;
    fs::path File;

    void SetUp() override {
        // Registered in this order: box, disc, wide box.
        RulerClassList().Register(TTestBoxRuler::StaticClassInfo());
        RulerClassList().Register(TTestDiscRuler::StaticClassInfo());
        RulerClassList().Register(TTestWideBoxRuler::StaticClassInfo());
        Folder = fs::temp_directory_path() /
                 ("RulerInfosTest-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Folder);
        fs::create_directories(Folder);
        File = Folder / "TarselRuler.ini";
    }
    void TearDown() override {
        FinalizeBaseRuler();
        fs::remove_all(Folder);
    }

    // A model loaded from File, as the program creates it.
    std::unique_ptr<TFileAppInfo> Load() {
        auto info = std::make_unique<TFileAppInfo>(File.string());
        info->Load();
        return info;
    }
    std::unique_ptr<TFileAppInfo> LoadBody(const std::string& body) {
        WriteText(File, Document(body));
        return Load();
    }
};

const std::vector<std::string> kRegistrationOrder{"TTestBoxRuler", "TTestDiscRuler",
                                                  "TTestWideBoxRuler"};

} // namespace

TEST_F(RulerInfos, WithoutAFileEveryKindExistsInRegistrationOrderAndTheFirstBecomesCurrent) {
    auto info = Load();
    EXPECT_EQ(ClassNames(*info), kRegistrationOrder);
    EXPECT_FALSE(info->MouseSnap);
    EXPECT_EQ(info->Transparent, 178);
    EXPECT_TRUE(info->OptionInfo().AutoCheckUpdate);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(info->RulerObjectList().GetItem(i)->Selected);
    EXPECT_EQ(info->GetCurrentRuler(), info->RulerObjectList().GetItem(0));
    EXPECT_TRUE(info->RulerObjectList().GetItem(0)->Selected);
    EXPECT_FALSE(fs::exists(File)) << "loading never writes";
}

TEST_F(RulerInfos, SavingWritesTheWholeModelInTheDocumentForm) {
    auto info = Load();
    info->GetCurrentRuler();
    info->MouseSnap = true;
    info->Transparent = 255;
    info->OptionInfo().AutoCheckUpdate = false;
    TBaseRuler* disc = info->RulerObjectList().GetItem(1);
    disc->OffsetX = 12.5f;
    disc->OffsetY = -40;
    disc->Angle = 450;
    info->Save();

    const auto screen = platform::PrimaryScreenSize();
    const std::string x = std::to_string((screen.width() - 500) / 2);
    const std::string y = std::to_string((screen.height() - 500) / 2);
    ASSERT_EQ((screen.width() - 500) % 2, 0) << "the expected text assumes whole offsets";
    ASSERT_EQ((screen.height() - 500) % 2, 0);
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "<TAppInfo MouseSnap=\"1\" Transparent=\"255\">\r\n"
        "  <OptionInfo AutoCheckUpdate=\"0\"/>\r\n"
        "  <RulerObjectList>\r\n"
        "    <Items>\r\n"
        "      <TTestBoxRuler Angle=\"0\" Height=\"100\" OffsetX=\"" +
        x + "\" OffsetY=\"" + y +
        "\" Selected=\"1\" Width=\"200\"/>\r\n"
        "      <TTestDiscRuler Angle=\"450\" Height=\"300\" OffsetX=\"12.5\" OffsetY=\"-40\" "
        "Selected=\"0\" Width=\"300\"/>\r\n"
        "      <TTestWideBoxRuler Angle=\"0\" Height=\"100\" OffsetX=\"" +
        x + "\" OffsetY=\"" + y +
        "\" Selected=\"0\" Width=\"400\"/>\r\n"
        "    </Items>\r\n"
        "  </RulerObjectList>\r\n"
        "</TAppInfo>\r\n";
    EXPECT_EQ(ReadText(File), expected);

    // And the next run reads back exactly that state.
    auto next = Load();
    EXPECT_TRUE(next->MouseSnap);
    EXPECT_EQ(next->Transparent, 255);
    EXPECT_FALSE(next->OptionInfo().AutoCheckUpdate);
    EXPECT_EQ(next->GetCurrentRuler()->ClassName(), "TTestBoxRuler");
    EXPECT_EQ(next->RulerObjectList().GetItem(1)->Angle, 450);
    EXPECT_EQ(next->RulerObjectList().GetItem(1)->OffsetX, 12.5f);
}

TEST_F(RulerInfos, TheFilesInstrumentsComeFirstInFileOrderThenTheMissingKinds) {
    auto info = LoadBody(R"(<RulerObjectList><Items>
        <TTestWideBoxRuler Width="333"/>
        <ttestboxruler Width="250" Selected="1"/>
        <TNoSuchRuler Width="1"/>
        <TTestWideBoxRuler Width="444"/>
      </Items></RulerObjectList>)");
    EXPECT_EQ(ClassNames(*info), (std::vector<std::string>{"TTestWideBoxRuler", "TTestBoxRuler",
                                                           "TTestWideBoxRuler", "TTestDiscRuler"}));
    EXPECT_EQ(info->RulerObjectList().GetItem(0)->Width, 333);
    EXPECT_EQ(info->RulerObjectList().GetItem(0)->Height, 100) << "constructor defaults stay";
    EXPECT_EQ(info->RulerObjectList().GetItem(2)->Width, 444);
    EXPECT_EQ(info->GetCurrentRuler(), info->RulerObjectList().GetItem(1));
}

TEST_F(RulerInfos, AnEmptyOrMissingListLeavesOneOfEachKind) {
    EXPECT_EQ(ClassNames(*LoadBody("<RulerObjectList><Items/></RulerObjectList>")),
              kRegistrationOrder);
    EXPECT_EQ(ClassNames(*LoadBody("<RulerObjectList/>")), kRegistrationOrder);
    auto kept = LoadBody(R"(<OptionInfo AutoCheckUpdate="0"/>)");
    EXPECT_EQ(ClassNames(*kept), kRegistrationOrder);
    EXPECT_FALSE(kept->OptionInfo().AutoCheckUpdate);
    EXPECT_EQ(kept->RulerObjectList().GetItem(2)->Width, 400) << "the constructed instruments";
}

TEST_F(RulerInfos, TheCurrentInstrumentIsTheFirstSelectedOne) {
    auto info = LoadBody(R"(<RulerObjectList><Items>
        <TTestDiscRuler Selected="0"/>
        <TTestBoxRuler Selected="1" Width="201"/>
        <TTestBoxRuler Selected="1" Width="202"/>
      </Items></RulerObjectList>)");
    EXPECT_EQ(info->GetCurrentRuler()->Width, 201);

    info->SelectRulerClass(TTestDiscRuler::StaticClassInfo());
    EXPECT_EQ(info->GetCurrentRuler()->ClassName(), "TTestDiscRuler");
    info->SelectRulerClass(TTestBoxRuler::StaticClassInfo());
    EXPECT_TRUE(info->RulerObjectList().GetItem(1)->Selected);
    EXPECT_TRUE(info->RulerObjectList().GetItem(2)->Selected);
    EXPECT_FALSE(info->RulerObjectList().GetItem(3)->Selected)
        << "a class derived from the selected one does not count";
    EXPECT_EQ(info->GetCurrentRuler()->Width, 201);
}

TEST_F(RulerInfos, AValueThatDoesNotConvertStopsTheReadButEveryKindStillExists) {
    // Properties are read in name order: MouseSnap, OptionInfo, RulerObjectList,
    // Transparent. The second instrument fails at Height, so it and everything after it
    // in the file is lost.
    WriteText(File, R"(<?xml version="1.0" encoding="UTF-8"?>
<TAppInfo MouseSnap="1" Transparent="200">
  <OptionInfo AutoCheckUpdate="0"/>
  <RulerObjectList><Items>
    <TTestDiscRuler Width="320" Height="320"/>
    <TTestBoxRuler Angle="12" Height="abc" Width="300"/>
    <TTestWideBoxRuler Width="500"/>
  </Items></RulerObjectList>
</TAppInfo>
)");
    auto info = Load();
    EXPECT_TRUE(info->MouseSnap);
    EXPECT_FALSE(info->OptionInfo().AutoCheckUpdate);
    EXPECT_EQ(info->Transparent, 178) << "read after the list, so never reached";
    EXPECT_EQ(ClassNames(*info),
              (std::vector<std::string>{"TTestDiscRuler", "TTestBoxRuler", "TTestWideBoxRuler"}));
    EXPECT_EQ(info->RulerObjectList().GetItem(0)->Width, 320);
    EXPECT_EQ(info->RulerObjectList().GetItem(1)->Width, 200) << "a new one, not the broken one";
    EXPECT_EQ(info->RulerObjectList().GetItem(2)->Width, 400);
}

TEST_F(RulerInfos, AFileThatIsNotXmlLeavesTheDefaults) {
    WriteText(File, "this is not <xml");
    auto info = Load();
    EXPECT_EQ(ClassNames(*info), kRegistrationOrder);
    EXPECT_EQ(info->Transparent, 178);
}

// A damaged or hostile file cannot make the instruments unusable: values that would run
// painting or snapping away are replaced, ordinary ones stay as stored.
TEST_F(RulerInfos, LoadedPlacementsAreKeptFiniteAndWithinBounds) {
    auto info = LoadBody(R"(<RulerObjectList><Items>
        <TTestBoxRuler Angle="1E30" Height="-5" OffsetX="-1E12" OffsetY="1E39" Width="1E39"/>
        <TTestBoxRuler Angle="-725.5" Height="30" OffsetX="-3000.25" OffsetY="12000" Width="5E9"/>
        <TTestDiscRuler Angle="1E39" Width="-1E39" Height="99999"/>
      </Items></RulerObjectList>)");
    const TBaseRuler& hostile = *info->RulerObjectList().GetItem(0);
    EXPECT_EQ(hostile.Width, 200) << "infinite: the constructor's value";
    EXPECT_EQ(hostile.Height, -5) << "below the minimum stays until the next SetSize";
    EXPECT_EQ(hostile.OffsetX, -kMaxRulerOffset);
    EXPECT_EQ(hostile.OffsetY, (platform::PrimaryScreenSize().height() - 500) / 2.0f);
    EXPECT_GE(hostile.Angle, -360);
    EXPECT_LT(hostile.Angle, 360);

    const TBaseRuler& large = *info->RulerObjectList().GetItem(1);
    EXPECT_EQ(large.Angle, -725.5f) << "ordinary whole turns are kept";
    EXPECT_EQ(large.Height, 30);
    EXPECT_EQ(large.OffsetX, -3000.25f);
    EXPECT_EQ(large.OffsetY, 12000);
    EXPECT_EQ(large.Width, kMaxRulerExtent);

    const TBaseRuler& disc = *info->RulerObjectList().GetItem(2);
    EXPECT_EQ(disc.Angle, 0);
    EXPECT_EQ(disc.Width, 300);
    EXPECT_EQ(disc.Height, 99999);
}

// Saving replaces the file in one step: a reader of the old file (here a second name
// for it) never sees a half-written one, and no temporary file stays behind.
TEST_F(RulerInfos, SavingReplacesTheFileWholeAndKeepsItsOtherNames) {
    WriteText(
        File,
        Document(
            R"(<RulerObjectList><Items><TTestDiscRuler Width="350"/></Items></RulerObjectList>)"));
    const std::string old = ReadText(File);
    // A program that has the old file open goes on reading the old text, whole.
    std::ifstream reader(File, std::ios::binary);
    auto info = Load();
    info->Transparent = 99;
    info->Save();
    std::ostringstream readOn;
    readOn << reader.rdbuf();
    EXPECT_EQ(readOn.str(), old);
    EXPECT_NE(ReadText(File).find("Transparent=\"99\""), std::string::npos);
    EXPECT_EQ(Load()->RulerObjectList().GetItem(0)->Width, 350);

    // A second name of the same file sees every save.
    fs::create_hard_link(File, Folder / "shared-settings");
    info->Transparent = 98;
    info->Save();
    EXPECT_EQ(ReadText(Folder / "shared-settings"), ReadText(File));
    EXPECT_NE(ReadText(File).find("Transparent=\"98\""), std::string::npos);
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(Folder))
        ++entries;
    EXPECT_EQ(entries, 2);
}

// When the new text cannot be written (here the file size limit stops it half-way, as a
// full disk does), the previous settings survive whole.
TEST_F(RulerInfos, AFailedSaveKeepsEveryPreviousSetting) {
    WriteText(
        File,
        Document(
            R"(<RulerObjectList><Items><TTestDiscRuler Width="350"/></Items></RulerObjectList>)"));
    const std::string old = ReadText(File);
    auto info = Load();
    info->Transparent = 99;
    {
        TFileSizeLimit limit(old.size());
        EXPECT_NO_THROW(info->Save());
    }
    EXPECT_EQ(ReadText(File), old);
    info->Save();
    EXPECT_NE(ReadText(File).find("Transparent=\"99\""), std::string::npos);
}

TEST_F(RulerInfos, ASaveThatCannotBeWrittenIsDroppedSilently) {
    // A folder stands where the file should go: it can be neither written nor replaced.
    fs::create_directories(File / "keep");
    auto info = std::make_unique<TFileAppInfo>(File.string());
    EXPECT_NO_THROW(info->Save());
    EXPECT_TRUE(fs::is_directory(File / "keep"));
}

// The global model keeps its file beside the program: these run from a copy of the test
// program in a folder of their own.
TEST_F(RulerInfos, TheGlobalModelLoadsOnFirstUseAndSavesWhenFinalized) {
    const TTempFolder programFolder;
    if (!RunsInCopyOfTestProgram(programFolder))
        return;
    TAppInfo& first = AppInfo();
    EXPECT_EQ(&AppInfo(), &first);
    const fs::path file = first.GetFileName();
    EXPECT_EQ(file.extension(), ".ini");
    EXPECT_EQ(file.parent_path().string() + "/", TSLSysfn::GetModulePath());
    fs::remove(file);
    first.Transparent = 201;
    FinalizeRulerInfos();
    ASSERT_TRUE(fs::exists(file));
    EXPECT_NE(ReadText(file).find("Transparent=\"201\""), std::string::npos);
    EXPECT_EQ(AppInfo().Transparent, 201) << "the next first use reads it back";
    FinalizeRulerInfos();
    fs::remove(file);
    FinalizeRulerInfos(); // nothing to free, nothing written
    EXPECT_FALSE(fs::exists(file));
}

// exit() from deep inside the program (a lost display) must not run the save from static
// destruction, where the property tables it walks may already be freed.
TEST_F(RulerInfos, ExitingWithTheModelAliveNeitherSavesNorCrashes) {
    const TTempFolder programFolder;
    if (!RunsInCopyOfTestProgram(programFolder))
        return;
    const fs::path file = ChangeFileExt(TSLSysfn::GetModuleFileName(), ".ini");
    const pid_t child = ::fork();
    if (child == 0) {
        AppInfo().Transparent = 7;
        std::exit(1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_FALSE(fs::exists(file));
}
