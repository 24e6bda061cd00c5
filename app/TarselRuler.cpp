// The program: start-up, the event loop, shut-down. The order of both sequences is
// the design's and is spelled out here, not left to static construction and
// destruction:
//  - the translator exists before anything that reads texts, and the language file is
//    chosen before the first window or string holder is made;
//  - at exit the settings model is freed (and saves the settings file) first, the
//    string holders write their texts into the language file's image, and the
//    translator writes the file last;
//  - the main window is destroyed only after that, when no translator exists any
//    more, so its own texts never reach the language file.

#include "app/Application.h"
#include "app/MainFrm.h"
#include "foundation/CommonConsts.h"
#include "foundation/MouseHook.h"
#include "foundation/PrivateClipboardFormat.h"
#include "foundation/SLGDIPUtils.h"
#include "foundation/SLLangUtils.h"
#include "foundation/SLVclUtils.h"
#include "foundation/VBCursor.h"
#include "platform/Screen.h"
#include "platform/TerminationSignals.h"
#include "rulers/BaseRuler.h"
#include "rulers/RulerConsts.h"
#include "rulers/RulerInfos.h"

namespace {

void InitializeUnits() {
    InitializeSLLangUtils();
    RegisterPrivateClipboardFormat();
    RegisterRulerClasses();
    SetupTranslator();
}

// The reverse of the start-up: each step may still use what the later ones free.
void FinalizeUnits() {
    FinalizeRulerInfos();
    FinalizeBaseRuler();
    FinalizeRulerConsts();
    FinalizeVBCursor();
    FinalizeSLVclUtils();
    FinalizeSLGDIPUtils();
    FinalizeMouseHook();
    FinalizeSLLangUtils();
}

} // namespace

int main(int argc, char** argv) {
    // Instruments are measured and drawn on the screen's own pixels.
    platform::UseDevicePixels();
    TApplication application(argc, argv);
    // Logging out ends the program like closing its window, so the settings are saved.
    platform::QuitEventLoopOnTerminationSignals();
    InitializeUnits();

    // Creation runs the window's creation handler, then translates it.
    TComponentPtr<TMainForm> mainForm = NewComponent<TMainForm>(nullptr);
    mainForm->Show();
    const int exitCode = application.exec();

    FinalizeUnits();
    mainForm.reset();
    return exitCode;
}
