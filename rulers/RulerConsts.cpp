#include "rulers/RulerConsts.h"

namespace {
constexpr const char* kWebsite = "http://www.tarsel-ruler.example";
constexpr const char* kChatHost = "http://chat.tarsel-ruler.example";
constexpr const char* kChatAccount = "80000001";

TSLLangStrPtr<TAppStr> TheAppStr;
} // namespace

TAppStr::TAppStr()
    : AboutCaptionFmt("关于%s"),
      AboutText("Tarsel桌面标尺是一把放在屏幕上的尺子。\r\n"
                "\r\n"
                "- 直尺、三角板、半圆量角器和圆形量角器，按厘米和角度刻度测量；\r\n"
                "- 用鼠标拖动、旋转和缩放，用方向键微调；\r\n"
                "- 吸附光标：在其他程序中沿尺边画线；\r\n"
                "- 可调的透明度，始终位于最前面。"),
      AboutVersionFmt("版本: %d.%d.%d.%d"), AppTitle("Tarsel桌面标尺"), CentimeterUnitName("厘米"),
      OnlineQQUrl(std::string(kChatHost) + "/msgrd?V=1&Uin=" + kChatAccount +
                  "&Site=www.tarsel-ruler.example&Menu=yes"),
      QuestionUrl(std::string(kWebsite) + "/guestbook/index.asp?boardid=7"),
      TutorialUrl(std::string(kWebsite) + "/html/list_442.html"),
      UpdateUrl(std::string(kWebsite) + "/download/checkupdate.asp"), WebsiteUrl(kWebsite) {}

const TClassInfo& TAppStr::StaticClassInfo() {
    static const TClassInfo info{"TAppStr",
                                 &TSLLangStr::StaticClassInfo(),
                                 {Published("AboutCaptionFmt", &TAppStr::AboutCaptionFmt),
                                  Published("AboutText", &TAppStr::AboutText),
                                  Published("AboutVersionFmt", &TAppStr::AboutVersionFmt),
                                  Published("AppTitle", &TAppStr::AppTitle),
                                  Published("CentimeterUnitName", &TAppStr::CentimeterUnitName),
                                  Published("OnlineQQUrl", &TAppStr::OnlineQQUrl),
                                  Published("QuestionUrl", &TAppStr::QuestionUrl),
                                  Published("TutorialUrl", &TAppStr::TutorialUrl),
                                  Published("UpdateUrl", &TAppStr::UpdateUrl),
                                  Published("WebsiteUrl", &TAppStr::WebsiteUrl)}};
    return info;
}

TAppStr& AppStr() {
    if (!TheAppStr)
        TheAppStr = NewLangStr<TAppStr>();
    return *TheAppStr;
}

void FinalizeRulerConsts() {
    FreeLangStr(TheAppStr);
}
