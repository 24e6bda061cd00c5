// The update check as the user meets it: a real HTTP server on 127.0.0.1 answers, the
// message boxes are answered through the message-box layer's seam, and the desktop's
// openers are replaced by a recorder.

#include "app/CheckForUpdateFrm.h"
#include "app/UpdateService.h"
#include "foundation/SLVclUtils.h"
#include "support/LocalHttpServer.h"
#include "support/UrlRecorder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>

namespace {

const std::string Title = "Tarsel桌面标尺";
const std::string Marker(NewVersionMarker);
constexpr std::uint32_t kPromptFlags = MB_OK | MB_ICONINFORMATION;
constexpr std::uint32_t kConfirmFlags = MB_YESNO | MB_ICONQUESTION;

struct TShownBox {
    std::string Text;
    std::string Caption;
    std::uint32_t Flags = 0;
    bool PanelVisible = false; // the waiting panel was still on screen
};

bool WaitingPanelVisible() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->size() == QSize(398, 74))
            return true;
    return false;
}

bool CheckWindowExists() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->windowTitle() == QString::fromStdString(Title))
            return true;
    return false;
}

struct UpdateCheck : testing::Test {
    TLocalHttpServer server;
    TUrlRecorder opened;
    std::vector<TShownBox> boxes;
    int answer = IDNO;
    THttpClientSettings http;

    UpdateCheck() {
        http.TotalTimeout = std::chrono::milliseconds(500);
        TSLVclfn::SetMessageBoxPresenter(
            [this](const std::string& text, const std::string& caption, std::uint32_t flags) {
                boxes.push_back({text, caption, flags, WaitingPanelVisible()});
                return (flags & 0xF) == MB_OK ? IDOK : answer;
            });
    }
    ~UpdateCheck() override { TSLVclfn::SetMessageBoxPresenter({}); }

    std::string Url() const { return server.BaseUrl() + "/download/checkupdate.asp"; }

    // Runs one check to its end: an interactive one returns by itself, a silent one
    // runs from the event loop until its window is gone.
    void Run(bool silent, const std::string& url = {}) {
        TCheckForUpdateForm::Execute(Title, url.empty() ? Url() : url, TarselProductId, 1, 0, 0,
                                     110, silent, http);
        QElapsedTimer clock;
        clock.start();
        while (CheckWindowExists() && clock.elapsed() < 10000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_FALSE(CheckWindowExists()) << "the check's window stayed";
    }

    std::vector<std::string> ShownTexts() const {
        std::vector<std::string> texts;
        for (const TShownBox& box : boxes)
            texts.push_back(box.Text);
        return texts;
    }
};

using TextList = std::vector<std::string>;

TEST_F(UpdateCheck, SendsTheVersionOfTheProgramOnce) {
    Run(true);
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Target,
              "/download/checkupdate.asp?id=10&major=1&minor=0&release=0&build=110");
}

TEST_F(UpdateCheck, NewestVersionIsToldOnlyWhenAsked) {
    server.Reply(200, "OK", "0");
    Run(true);
    EXPECT_TRUE(boxes.empty());

    Run(false);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "当前已是最新版本。");
    EXPECT_EQ(boxes[0].Caption, "提示");
    EXPECT_EQ(boxes[0].Flags, kPromptFlags);
    EXPECT_FALSE(boxes[0].PanelVisible) << "the waiting panel must go before any message";
}

TEST_F(UpdateCheck, RepliesThatAreMessagesShowAsReceivedOnlyWhenAsked) {
    const std::vector<std::pair<std::string, TextList>> rows = {
        {"0\r\n", {"0\r\n"}},
        {"服务器维护中", {"服务器维护中"}},
        {"{34a00c5e-f5a0-4263-b37e-c6ed5ada5271}http://x/",
         {"{34a00c5e-f5a0-4263-b37e-c6ed5ada5271}http://x/"}},
        {" " + Marker + "http://x/", {" " + Marker + "http://x/"}},
        {"", {}}, // an empty reply closes the panel without a word
    };
    for (const auto& [reply, shown] : rows) {
        server.Reply(200, "OK", reply);
        boxes.clear();
        Run(true);
        EXPECT_TRUE(boxes.empty()) << "silent, reply '" << reply << "'";
        Run(false);
        EXPECT_EQ(ShownTexts(), shown) << "interactive, reply '" << reply << "'";
    }
    EXPECT_TRUE(opened.Opened.empty());
}

TEST_F(UpdateCheck, NewVersionIsOfferedInBothModesAndOpenedOnYes) {
    const std::string address = "http://www.example.com/download/TarselRuler 1.1.exe";
    server.Reply(200, "OK", Marker + address);
    for (bool silent : {true, false}) {
        boxes.clear();
        opened.Opened.clear();
        answer = IDNO;
        Run(silent);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].Text, Title + " 检查到有更新的版本，您现在就要下载吗？");
        EXPECT_EQ(boxes[0].Caption, "确认");
        EXPECT_EQ(boxes[0].Flags, kConfirmFlags);
        EXPECT_TRUE(opened.Opened.empty()) << "no opens nothing";

        answer = IDYES;
        Run(silent);
        ASSERT_EQ(opened.Opened.size(), 1u);
        EXPECT_EQ(opened.Opened[0].toString(), QUrl(QString::fromStdString(address)).toString());
    }
}

TEST_F(UpdateCheck, AnAddressThatIsNoWebAddressIsNeverOpened) {
    answer = IDYES;
    for (const std::string address : {"file:///usr/bin/xterm", "/usr/bin/xterm", "javascript:x"}) {
        server.Reply(200, "OK", Marker + address);
        boxes.clear();
        Run(true);
        EXPECT_TRUE(boxes.empty()) << address;
        Run(false);
        EXPECT_EQ(ShownTexts(), TextList{"检查更新失败。"}) << address;
    }
    EXPECT_TRUE(opened.Opened.empty());
}

TEST_F(UpdateCheck, FailuresCloseThePanelAndAreToldOnlyWhenAsked) {
    const std::vector<std::pair<const char*, std::function<std::string()>>> failures = {
        {"http error",
         [this] {
             server.Reply(500, "Internal Server Error", "0");
             return Url();
         }},
        {"not found",
         [this] {
             server.Reply(404, "Not Found", "0");
             return Url();
         }},
        {"refused",
         [] {
             return "http://127.0.0.1:" + std::to_string(TLocalHttpServer::ClosedPort()) + "/c.asp";
         }},
    };
    for (const auto& [name, prepare] : failures) {
        boxes.clear();
        Run(true, prepare());
        EXPECT_TRUE(boxes.empty()) << name;
        Run(false, prepare());
        EXPECT_EQ(ShownTexts(), TextList{"检查更新失败。"}) << name;
        ASSERT_FALSE(boxes.empty());
        EXPECT_FALSE(boxes[0].PanelVisible) << name;
    }
}

TEST_F(UpdateCheck, OverlongRepliesAreCutOrRefused) {
    // A message far longer than a message box can hold is shown cut.
    std::string message(MaxUpdateMessageChars + 4000, 'm');
    server.Reply(200, "OK", message);
    Run(false);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, std::string(MaxUpdateMessageChars, 'm') + "\u2026");

    // An address longer than any a browser opens is not opened: the check failed.
    answer = IDYES;
    boxes.clear();
    server.Reply(200, "OK",
                 Marker + "http://example.com/" + std::string(MaxDownloadAddressBytes, 'a'));
    Run(false);
    EXPECT_EQ(ShownTexts(), TextList{"检查更新失败。"});
    EXPECT_TRUE(opened.Opened.empty());

    // A reply beyond the body limit fails too.
    boxes.clear();
    server.ReplyLong(100u << 20);
    Run(false);
    EXPECT_EQ(ShownTexts(), TextList{"检查更新失败。"});
}

TEST_F(UpdateCheck, ServerThatNeverAnswersIsGivenUp) {
    server.NeverAnswer();
    Run(false);
    EXPECT_EQ(ShownTexts(), TextList{"检查更新失败。"});
}

} // namespace
