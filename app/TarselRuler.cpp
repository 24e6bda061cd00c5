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
// The shut-down runs once, whatever ends the program: closing the main window, Esc, a
// termination signal (also with a modal window open), or a broken connection to the X
// server, after which Qt or Xlib may call exit() from inside the event loop.

#include "app/Application.h"
#include "app/MainFrm.h"
#include "foundation/CommonConsts.h"
#include "foundation/MouseHook.h"
#include "foundation/PrivateClipboardFormat.h"
#include "foundation/SLGDIPUtils.h"
#include "foundation/SLLangUtils.h"
#include "foundation/SLVclUtils.h"
#include "foundation/VBCursor.h"
#include "platform/DisplayLoss.h"
#include "platform/Screen.h"
#include "platform/TerminationSignals.h"
#include "rulers/BaseRuler.h"
#include "rulers/RulerConsts.h"
#include "rulers/RulerInfos.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {

bool UnitsFinalized = false;

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

void ShutDown() {
    if (!std::exchange(UnitsFinalized, true))
        FinalizeUnits();
}

// The shut-down from inside exit(), which Qt's X connection and Xlib call when the
// connection to the X server breaks. Static destruction has by then freed everything made
// after this hook was registered (function-local statics go in the reverse order of their
// making), so only the steps that keep something run, in their designed order, over the
// property tables built before the hook; then the process ends without the rest of static
// destruction, which would free the remaining single instances through what is gone.
void ShutDownInsideExit() {
    if (std::exchange(UnitsFinalized, true))
        return;            // main has shut down and returned
    FinalizeRulerInfos();  // saves the settings file
    FinalizeRulerConsts(); // the user-interface strings into the language file's image
    FinalizeSLVclUtils();  // the message-box captions likewise
    FinalizeSLLangUtils(); // writes the language file
    std::fflush(nullptr);
    std::_Exit(EXIT_FAILURE); // the code that Qt and Xlib end with
}

// Hooks ShutDownInsideExit to exit(). The property tables it walks are built first, so
// that they outlive the hook whether or not their objects have been made yet.
void ShutDownAlsoInsideExit() {
    TAppInfo::StaticClassInfo();
    TOptionInfo::StaticClassInfo();
    TRulerObjectList::StaticClassInfo();
    TAppStr::StaticClassInfo();
    TShowDialogStr::StaticClassInfo();
    std::atexit(ShutDownInsideExit);
}

} // namespace

int main(int argc, char** argv) {
    // Instruments are measured and drawn on the screen's own pixels.
    platform::UseDevicePixels();
    TApplication application(argc, argv);
    // Logging out ends the program like closing its window, so the settings are saved;
    // so does losing the display.
    platform::QuitEventLoopOnTerminationSignals();
    platform::EndEventLoopOnDisplayLoss();
    InitializeUnits();
    ShutDownAlsoInsideExit();

    // Creation runs the window's creation handler, then translates it.
    TComponentPtr<TMainForm> mainForm = NewComponent<TMainForm>(nullptr);
    mainForm->Show();
    const int exitCode = application.exec();

    ShutDown();
    mainForm.reset();
    return exitCode;
}
