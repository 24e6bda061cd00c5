#pragma once
// The update check: one HTTP GET asks the update service whether a newer version than
// the running one exists, and the answer is offered to the user. Interactively (the
// menu command) a small waiting panel shows in the middle of the screen and every
// answer is shown; silently (ten minutes after start) nothing shows unless a newer
// version exists. The request runs on the GUI thread, so the program waits for it; the
// time-outs of THttpClientSettings bound that wait.

#include "app/HttpClient.h"
#include "foundation/BaseFrm.h"

#include <string>

class TPanel;
class TTimer;

class TCheckForUpdateForm : public TBaseForm {
public:
    explicit TCheckForUpdateForm(TComponent* owner, THttpClientSettings httpSettings = {});

    // Runs one check in a window of its own, which frees itself when it closes. Silent:
    // returns at once and the check runs from the event loop. Interactive: returns when
    // the check is over and its window has closed.
    static void Execute(const std::string& Title, const std::string& Url, int ProductId, int Major,
                        int Minor, int Release, int Build, bool Silent,
                        const THttpClientSettings& httpSettings = {});

    TPanel* pnlBack = nullptr;
    TTimer* tmrCheckUpdate = nullptr;

    int ProductId = 0;
    std::string Title;
    int Build = 0;
    bool Started = false; // a window checks once
    std::string Url;
    bool Shown = false;
    int Major = 0;
    int Minor = 0;
    int Release = 0;
    // Translatable texts of the window (published).
    std::string ResCheckFailured;
    std::string ResCheckingUpdateFmt;        // %s: the program's title
    std::string ResConfirmDownloadNewVerFmt; // %s: the program's title
    std::string ResCurrentIsNewestVersion;
    bool Silent = false;
    bool Abandoned = false; // the program ended while the check ran

    void FormCreate(TComponent* Sender);
    void FormShow(TComponent* Sender);
    void tmrCheckUpdateTimer(TComponent* Sender);
    void FormClose(TComponent* Sender, TCloseAction& Action);

    void CheckUpdate();
    // Sends the request and handles the reply; false when either failed or the program
    // ended meanwhile (Abandoned).
    bool Download(const std::string& address);
    void ProcessReply(const std::string& reply);

protected:
    void DefinePublishedStrings(std::vector<TPublishedString>& list) override;

private:
    THttpClientSettings FHttpSettings;
};
