#pragma once
// The About box: the logo on the left, the product name in large bold type, the version
// line, the web address and a read-only, scrolling text of the product's features. The
// caller gives every text in one TAboutRec; one button ("确定") closes the box, and so
// do Enter and Esc.

#include "foundation/BaseDialogFrm.h"

#include <string>

class TImage;
class TLabel;
class TMemo;

struct TAboutRec {
    std::string Caption; // the window's caption
    std::string Product; // lblProduct
    std::string Build;   // lblBuild: the version line
    std::string URL;     // lblURL
    std::string Feature; // memFeature, lines separated by CR LF
};

class TAboutForm : public TBaseDialogForm {
public:
    explicit TAboutForm(TComponent* owner);

    // Shows the box modally with the record's texts and frees it when it closes.
    static void Execute(const TAboutRec& about);

    TPanel* Panel2 = nullptr;
    TImage* imgLogo = nullptr;
    TPanel* Panel4 = nullptr;
    TPanel* Panel3 = nullptr;
    TLabel* lblProduct = nullptr;
    TLabel* lblBuild = nullptr;
    TLabel* lblURL = nullptr;
    TMemo* memFeature = nullptr;

    // Fills the window from the record. It runs after the window's translation, so the
    // record's texts win over the language file's.
    void FormShow(TComponent* Sender);

    TAboutRec AboutRec;
};
