// The program's own instrument kinds in the registry and in a settings file.
#include "rulers/RulerInfos.h"
#include "rulers/TestAppInfo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class RulerClasses : public ::testing::Test {
protected:
    fs::path File =
        fs::temp_directory_path() / ("RulerClassesTest-" + std::to_string(::getpid()) + ".ini");

    void SetUp() override { RegisterRulerClasses(); }
    void TearDown() override {
        FinalizeBaseRuler();
        fs::remove(File);
    }
    std::unique_ptr<TFileAppInfo> Load() {
        auto info = std::make_unique<TFileAppInfo>(File.string());
        info->Load();
        return info;
    }
};

const std::vector<std::string> kDesignedOrder{"TRectangleRuler", "TTriangleRuler",
                                              "TProtractorRuler180", "TProtractorRuler360"};

} // namespace

TEST_F(RulerClasses, TheFourKindsAreRegisteredOnceInTheDesignedOrder) {
    RegisterRulerClasses();
    ASSERT_EQ(RulerClassList().GetCount(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(RulerClassList().GetItem(i).Name(), kDesignedOrder[i]);
}

TEST_F(RulerClasses, WithoutAFileTheStraightRulerIsCurrentAndSavedAsSelected) {
    auto info = Load();
    EXPECT_EQ(ClassNames(*info), kDesignedOrder);
    EXPECT_EQ(info->GetCurrentRuler()->ClassName(), "TRectangleRuler");
    info->Save();
    std::ifstream in(File, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const std::string saved = text.str();
    for (const std::string& name : kDesignedOrder) {
        const auto at = saved.find("<" + name + " ");
        ASSERT_NE(at, std::string::npos) << name;
        const std::string element = saved.substr(at, saved.find("/>", at) - at);
        EXPECT_NE(element.find(name == "TRectangleRuler" ? "Selected=\"1\"" : "Selected=\"0\""),
                  std::string::npos)
            << element;
    }
}

TEST_F(RulerClasses, TheFilesInstrumentsComeFirstAndTheMissingKindsFollow) {
    {
        std::ofstream out(File, std::ios::binary);
        out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<TAppInfo><RulerObjectList><Items>"
               "<TProtractorRuler360/><TRectangleRuler Width=\"90\" Height=\"30\"/>"
               "</Items></RulerObjectList></TAppInfo>\r\n";
    }
    auto info = Load();
    EXPECT_EQ(ClassNames(*info),
              (std::vector<std::string>{"TProtractorRuler360", "TRectangleRuler", "TTriangleRuler",
                                        "TProtractorRuler180"}));
    EXPECT_EQ(info->RulerObjectList().GetItem(1)->Width, 128);
    EXPECT_EQ(info->RulerObjectList().GetItem(1)->Height, 64);
}
