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
#include "platform/desktop/DisplayLoss.h"
#include "platform/desktop/Screen.h"
#include "platform/system/StandardStreams.h"
#include "platform/system/TerminationSignals.h"
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

// One step of the shut-down.
struct TShutDownStep {
    void (*Finalize)();
    // The step keeps something (a file, or texts in the language file's image), so it also
    // runs inside exit(); a step that only frees is left out there.
    bool Keeps;
    // The property tables the step's saving walks; built at start-up, before the hook on
    // exit() is registered, so that they outlive it.
    void (*BuildTables)();
};

// The shut-down order, the reverse of the start-up: each step may still use what the later
// ones free.
constexpr TShutDownStep kShutDownOrder[] = {
    {FinalizeRulerInfos, true, // saves the settings file
     [] {
         TAppInfo::StaticClassInfo();
         TOptionInfo::StaticClassInfo();
         TRulerObjectList::StaticClassInfo();
     }},
    {FinalizeBaseRuler, false, nullptr},
    {FinalizeRulerConsts, true, // the user-interface strings into the language file's image
     [] { TAppStr::StaticClassInfo(); }},
    {FinalizeVBCursor, false, nullptr},
    {FinalizeSLVclUtils, true, // the message-box captions likewise
     [] { TShowDialogStr::StaticClassInfo(); }},
    {FinalizeSLGDIPUtils, false, nullptr},
    {FinalizeMouseHook, false, nullptr},
    {FinalizeSLLangUtils, true, nullptr}, // writes the language file
};

// Walks the shut-down order once, whichever end comes first; inside exit() only the steps
// that keep something.
void ShutDown(bool insideExit = false) {
    if (std::exchange(UnitsFinalized, true))
        return;
    for (const TShutDownStep& step : kShutDownOrder)
        if (step.Keeps || !insideExit)
            step.Finalize();
}

// The shut-down from inside exit(), which Qt's X connection and Xlib call when the
// connection to the X server breaks. Static destruction has by then freed everything made
// after this hook was registered (function-local statics go in the reverse order of their
// making), so only the steps that keep something run, in their designed order, over the
// property tables built before the hook; then the process ends without the rest of static
// destruction, which would free the remaining single instances through what is gone.
// After main has shut down and returned, there is nothing left to do.
void ShutDownInsideExit() {
    if (UnitsFinalized)
        return;
    ShutDown(true);
    std::fflush(nullptr);
    std::_Exit(EXIT_FAILURE); // the code that Qt and Xlib end with
}

// Hooks ShutDownInsideExit to exit(), after building the property tables it walks, so
// that they outlive the hook whether or not their objects have been made yet.
void ShutDownAlsoInsideExit() {
    for (const TShutDownStep& step : kShutDownOrder)
        if (step.BuildTables)
            step.BuildTables();
    std::atexit(ShutDownInsideExit);
}

} // namespace

int main(int argc, char** argv) {
    // Started with its standard error closed, the program would give that number to its X
    // connection and write its warnings into it.
    platform::OpenClosedStandardStreams();
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
