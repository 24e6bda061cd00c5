// System helpers: number texts of saved files, angles, folders and the version record.
#include "foundation/Exceptions.h"
#include "foundation/SLSysUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Restores the decimal separator that a test changes.
class SeparatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        FSaved = DecimalSeparator();
        SetDecimalSeparator('.');
    }
    void TearDown() override { SetDecimalSeparator(FSaved); }

private:
    char FSaved = '.';
};

using NumberTextTest = SeparatorTest;

fs::path FreshFolder(const std::string& name) {
    const fs::path folder =
        fs::temp_directory_path() / ("slsysfn-" + std::to_string(::getpid()) + "-" + name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

struct TVersion {
    std::uint16_t Major = 0, Minor = 0, Release = 0, Build = 0;
    bool operator==(const TVersion&) const = default;
};

TVersion VersionOf(const std::string& fileName, TVersion start) {
    TSLSysfn::GetFileVersion(fileName, start.Major, start.Minor, start.Release, start.Build);
    return start;
}

} // namespace

TEST_F(NumberTextTest, FloatsAreWrittenWithFifteenSignificantDigits) {
    struct Row {
        const char* proves;
        long double value;
        const char* text;
    };
    const Row rows[] = {
        {"a single is widened before rounding", 0.1f, "0.100000001490116"},
        {"a whole number has no separator", 64, "64"},
        {"zero", 0, "0"},
        {"negative", -2.5, "-2.5"},
        {"the smallest plain magnitude", 0.0001L, "0.0001"},
        {"below it the exponent form", 0.00001L, "1E-5"},
        {"exponent form with digits", -1.25e-7L, "-1.25E-7"},
        {"fifteen integer digits stay plain", 123456789012345.0L, "123456789012345"},
        {"sixteen integer digits", 1234567890123456.0L, "1.23456789012346E15"},
        {"large exponent without plus or zeros", 1e100L, "1E100"},
        {"rounding carries into a new digit", 9.9999999999999999L, "10"},
        {"a double third", 1.0 / 3, "0.333333333333333"},
        {"single 359.9", 359.9f, "359.899993896484"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(FloatToStr(row.value), row.text) << row.proves;

    SetDecimalSeparator(',');
    EXPECT_EQ(FloatToStr(-0.75L), "-0,75");
    EXPECT_EQ(FloatToStr(1.5e-9L), "1,5E-9");
}

TEST_F(NumberTextTest, TextsConvertBackOrFailWithTheMessage) {
    EXPECT_EQ(StrToFloat("0.100000001490116"), 0.100000001490116L);
    EXPECT_EQ(static_cast<float>(StrToFloat("0.100000001490116")), 0.1f);
    EXPECT_EQ(StrToFloat(" -1.5E3 "), -1500);
    EXPECT_EQ(StrToFloat("+.5"), 0.5);
    EXPECT_EQ(StrToFloat("7e-2"), 0.07L);
    for (const char* bad : {"", " ", "1,5", "1.5.2", "1e", "e5", "0x10", "1 5", "abc", "."}) {
        try {
            StrToFloat(bad);
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const EConvertError& error) {
            EXPECT_EQ(error.Message(),
                      std::string("'") + bad + "' is not a valid floating point value");
        }
    }
    SetDecimalSeparator(',');
    EXPECT_EQ(StrToFloat("1,5"), 1.5);
    EXPECT_THROW(StrToFloat("1.5"), EConvertError);

    EXPECT_EQ(StrToInt("-7876885"), -7876885);
    EXPECT_EQ(StrToInt(" 42"), 42);
    EXPECT_EQ(StrToInt("-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(StrToInt("$FF"), 255);
    EXPECT_EQ(StrToInt("0xFFFFFFFF"), -1);
    EXPECT_EQ(StrToInt64("-9000000000"), -9000000000);
    for (const char* bad : {"", "True", "2147483648", "1.0", "12 ", "--1", "$", "0x1FFFFFFFF"}) {
        try {
            StrToInt(bad);
            ADD_FAILURE() << "accepted '" << bad << "'";
        } catch (const EConvertError& error) {
            EXPECT_EQ(error.Message(), std::string("'") + bad + "' is not a valid integer value");
        }
    }
    EXPECT_THROW(StrToInt64("9223372036854775808"), EConvertError);
}

TEST(SLSysfnAngles, ConversionsAndNormalisationInSinglePrecision) {
    EXPECT_EQ(TSLSysfn::DegToRad(180), 3.1415927f);
    EXPECT_EQ(TSLSysfn::RadToDeg(TSLSysfn::DegToRad(180)), 180.0f);
    EXPECT_EQ(TSLSysfn::DegToRad(0), 0.0f);

    struct Row {
        float degrees;
        float normalised;
    };
    const Row rows[] = {{725, 5},
                        {-90, 270},
                        {360, 0},
                        {0, 0},
                        {-0.00001f, 360.0f} /* the single sum rounds up to 360 */,
                        {359.5f, 359.5f},
                        {-720, 0}};
    for (const Row& row : rows)
        EXPECT_EQ(TSLSysfn::NormalizeAngle(row.degrees), row.normalised) << row.degrees;

    // Arguments the turn-by-turn walk could not finish still return, inside one turn.
    for (float wild : {std::numeric_limits<float>::infinity(),
                       std::numeric_limits<float>::quiet_NaN(), 1e20f, -9e9f}) {
        const float result = TSLSysfn::NormalizeAngle(wild);
        EXPECT_TRUE(result >= 0 && result <= 360) << wild;
    }
}

TEST(SLSysfnFiles, ForceFileDirectoriesCreatesEveryMissingFolder) {
    const fs::path folder = FreshFolder("force");
    const fs::path deep = folder / "a" / "b" / "c" / "file.txt";
    TSLSysfn::ForceFileDirectories(deep.string());
    EXPECT_TRUE(fs::is_directory(deep.parent_path()));
    EXPECT_FALSE(fs::exists(deep)) << "only the folders are made";

    const auto before = fs::last_write_time(deep.parent_path());
    TSLSysfn::ForceFileDirectories(deep.string());
    EXPECT_EQ(fs::last_write_time(deep.parent_path()), before);

    try {
        TSLSysfn::ForceFileDirectories("file.txt");
        ADD_FAILURE() << "no error";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message(), "Unable to create directory");
    }

    // A folder the file system refuses (a file stands in the way) is left missing silently.
    std::ofstream(folder / "plain");
    EXPECT_NO_THROW(TSLSysfn::ForceFileDirectories((folder / "plain" / "x" / "y.txt").string()));
    EXPECT_FALSE(fs::exists(folder / "plain" / "x"));
    fs::remove_all(folder);
}

TEST(SLSysfnFiles, ModuleAndTemporaryFolders) {
    const std::string module = TSLSysfn::GetModulePath();
    ASSERT_FALSE(module.empty());
    EXPECT_EQ(module.back(), '/');
    EXPECT_TRUE(fs::exists(module + "SLSysfnTest")) << module;
    EXPECT_EQ(TSLSysfn::GetModuleFileName(), module + "SLSysfnTest");

    const std::string temp = TSLSysfn::GetTempPath();
    EXPECT_EQ(temp.back(), '/');
    EXPECT_TRUE(fs::is_directory(temp));
    EXPECT_EQ(TSLSysfn::GetTempDirectory(), temp);
}

TEST(SLSysfnFiles, ChangeFileExtReplacesOnlyTheNamesExtension) {
    EXPECT_EQ(ChangeFileExt("/opt/tools/ruler.exe", ".ini"), "/opt/tools/ruler.ini");
    EXPECT_EQ(ChangeFileExt("/opt/tools/ruler", ".ini"), "/opt/tools/ruler.ini");
    EXPECT_EQ(ChangeFileExt("/opt/v1.2/ruler", ".ini"), "/opt/v1.2/ruler.ini");
    EXPECT_EQ(ChangeFileExt("/opt/ruler.tar.gz", ".ini"), "/opt/ruler.tar.ini");
    EXPECT_EQ(ChangeFileExt("ruler.", ".lng"), "ruler.lng");
}

TEST(SLSysfnVersion, TheStampedVersionIsReadFromRealFiles) {
    const TVersion untouched{7, 7, 7, 7};
    const TVersion stamped{1, 0, 0, 1}; // the project version of the build
    EXPECT_EQ(VersionOf("", untouched), stamped) << "an empty name reads this program";
    EXPECT_EQ(VersionOf(TSLSysfn::GetModuleFileName(), untouched), stamped);

    const fs::path folder = FreshFolder("version");
    const fs::path text = folder / "notes.txt";
    std::ofstream(text) << "no version here";
    EXPECT_EQ(VersionOf(text.string(), untouched), untouched);
    EXPECT_EQ(VersionOf((folder / "missing").string(), untouched), untouched);
    EXPECT_EQ(VersionOf(folder.string(), untouched), untouched);
    EXPECT_EQ(VersionOf("/bin/sh", untouched), untouched) << "an ELF file without the record";

    // A damaged copy of this program: cut after its headers, then with a garbled section table.
    const std::string self = TSLSysfn::GetModuleFileName();
    std::ifstream in(self, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const fs::path cut = folder / "cut";
    std::ofstream(cut, std::ios::binary) << bytes.substr(0, 2000);
    EXPECT_EQ(VersionOf(cut.string(), untouched), untouched);
    const fs::path garbled = folder / "garbled";
    std::string damaged = bytes;
    for (std::size_t i = 0x28; i < 0x40; ++i)
        damaged[i] = '\xFF'; // section table offset, sizes and count
    std::ofstream(garbled, std::ios::binary) << damaged;
    EXPECT_EQ(VersionOf(garbled.string(), untouched), untouched);
    fs::remove_all(folder);
}
