#include "app/CheckForUpdateFrm.h"

#include "app/BackgroundHttpGet.h"
#include "app/Shell.h"
#include "app/TextFormat.h"
#include "app/UpdateService.h"
#include "foundation/SLVclUtils.h"
#include "platform/widgets/VclPanel.h"
#include "platform/widgets/VclTimer.h"

#include <QEventLoop>
#include <QTimer>
#include <QWidget>

namespace {

constexpr int kClientWidth = 398;
constexpr int kClientHeight = 74;
// The check starts from the event loop once the window is shown (and, interactively,
// waits there until the panel is drawn on the screen).
constexpr int kStartDelayMs = 1;
// An interactive check lets the waiting panel be read before it asks the service.
constexpr int kInteractivePauseMs = 500;
// How long the waiting panel may take to be mapped and exposed by a window manager.
constexpr int kDrawnBoundMs = 5000;
constexpr int kYesDefault = 1;

// Runs the event loop for ms; false when the application ended its event loops sooner.
bool RunEventLoopFor(int ms) {
    QEventLoop loop;
    bool elapsed = false;
    QTimer::singleShot(ms, &loop, [&] {
        elapsed = true;
        loop.quit();
    });
    loop.exec();
    return elapsed;
}

} // namespace

TCheckForUpdateForm::TCheckForUpdateForm(TComponent* owner, THttpClientSettings httpSettings)
    : TBaseForm(owner), FHttpSettings(std::move(httpSettings)) {
    SetName("CheckForUpdateForm");
    SetCaption("CheckForUpdateForm");
    SetBorderStyle(TBorderStyle::bsNone);
    SetPosition(TPosition::poScreenCenter);
    SetClientSize(kClientWidth, kClientHeight);

    pnlBack = new TPanel(this);
    pnlBack->SetName("pnlBack");
    pnlBack->SetParent(this);
    pnlBack->SetAlign(TAlign::alClient);
    pnlBack->SetCaption("正在检查更新，请稍候......");
    pnlBack->SetParentBackground(false);

    tmrCheckUpdate = new TTimer(this);
    tmrCheckUpdate->SetName("tmrCheckUpdate");
    tmrCheckUpdate->SetEnabled(false);
    tmrCheckUpdate->SetInterval(kStartDelayMs);
    tmrCheckUpdate->OnTimer = [this](TComponent* sender) { tmrCheckUpdateTimer(sender); };

    OnCreate = [this](TComponent* sender) { FormCreate(sender); };
    OnShow = [this](TComponent* sender) { FormShow(sender); };
    OnClose = [this](TComponent* sender, TCloseAction& action) { FormClose(sender, action); };
}

void TCheckForUpdateForm::DefinePublishedStrings(std::vector<TPublishedString>& list) {
    TBaseForm::DefinePublishedStrings(list);
    list.push_back(PublishedField("ResCheckFailured", ResCheckFailured));
    list.push_back(PublishedField("ResCheckingUpdateFmt", ResCheckingUpdateFmt));
    list.push_back(PublishedField("ResConfirmDownloadNewVerFmt", ResConfirmDownloadNewVerFmt));
    list.push_back(PublishedField("ResCurrentIsNewestVersion", ResCurrentIsNewestVersion));
}

void TCheckForUpdateForm::Execute(const std::string& Title, const std::string& Url, int ProductId,
                                  int Major, int Minor, int Release, int Build, bool Silent,
                                  const THttpClientSettings& httpSettings) {
    auto form = NewComponent<TCheckForUpdateForm>(nullptr, httpSettings);
    form->Title = Title;
    form->pnlBack->SetCaption(FormatText(form->ResCheckingUpdateFmt, {Title}));
    form->Url = Url;
    form->ProductId = ProductId;
    form->Major = Major;
    form->Minor = Minor;
    form->Release = Release;
    form->Build = Build;
    form->Silent = Silent;
    // Window switchers name the window by the program, as they name the main window.
    form->SetWindowName(Title);
    // From here on the window frees itself when it closes (FormClose).
    if (Silent) {
        // Shown, so the check starts from its show event, but never on the screen.
        form->Widget()->setAttribute(Qt::WA_DontShowOnScreen);
        form->SetBounds(0, 0, 0, 0);
        form.release()->Show();
    } else {
        form->ShowModal();
        form.release();
    }
}

void TCheckForUpdateForm::FormCreate(TComponent*) {
    ResCheckFailured = "检查更新失败。";
    ResCheckingUpdateFmt = "%s 正在检查更新，请稍候......";
    ResConfirmDownloadNewVerFmt = "%s 检查到有更新的版本，您现在就要下载吗？";
    ResCurrentIsNewestVersion = "当前已是最新版本。";
    Shown = false;
}

void TCheckForUpdateForm::FormShow(TComponent*) {
    if (Shown)
        return;
    Shown = true;
    tmrCheckUpdate->SetEnabled(true);
}

void TCheckForUpdateForm::tmrCheckUpdateTimer(TComponent*) {
    tmrCheckUpdate->SetEnabled(false);
    CheckUpdate();
}

void TCheckForUpdateForm::CheckUpdate() {
    if (Started)
        return;
    Started = true;
    const std::string address = UpdateRequestAddress(Url, ProductId, Major, Minor, Release, Build);
    if (!Download(address)) {
        // The waiting panel has no button, so a failed check must not leave it up: say
        // so and close. A silent check closes as unseen as it ran, and so does a check
        // that the end of the program cut short.
        Hide();
        if (!Silent && !Abandoned)
            TSLVclfn::ShowPrompt(ResCheckFailured);
    }
    Close();
}

bool TCheckForUpdateForm::Download(const std::string& address) {
    try {
        // The panel is on the screen and has been read before the answer replaces it. The
        // event loop runs meanwhile, and while the service takes its time.
        if (!Silent) {
            WaitUntilDrawn(kDrawnBoundMs);
            if (!RunEventLoopFor(kInteractivePauseMs))
                throw EHttpAbandoned("The program is ending");
        }
        const std::string reply = TBackgroundHttpGet(address, FHttpSettings).WaitForReply();
        Hide();
        ProcessReply(reply);
        return true;
    } catch (const EHttpAbandoned&) {
        Abandoned = true;
        return false;
    } catch (...) {
        return false;
    }
}

void TCheckForUpdateForm::ProcessReply(const std::string& reply) {
    const TUpdateReply answer = ParseUpdateReply(reply);
    switch (answer.Kind) {
    case TUpdateReplyKind::NewestVersion:
        if (!Silent)
            TSLVclfn::ShowPrompt(ResCurrentIsNewestVersion);
        break;
    case TUpdateReplyKind::NewVersion:
        // Only a web address goes to the desktop: whatever else a broken or hostile
        // service sends (a local file, a program) is never opened, and counts as a
        // failed check.
        if (!IsWebAddress(answer.Text))
            throw EHttpError("The update service sent no web address: " + answer.Text);
        // Asked in silent checks too: a newer version is the one thing they report.
        if (TSLVclfn::ShowConfirm(FormatText(ResConfirmDownloadNewVerFmt, {Title}), false,
                                  kYesDefault) == IDYES)
            ShellOpen(answer.Text);
        break;
    case TUpdateReplyKind::Message:
        if (!answer.Text.empty() && !Silent)
            TSLVclfn::ShowPrompt(ShownUpdateMessage(answer.Text));
        break;
    }
}

void TCheckForUpdateForm::FormClose(TComponent*, TCloseAction& Action) {
    Action = TCloseAction::caFree;
}
