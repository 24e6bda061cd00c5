#pragma once
// The program's one main window: borderless, always on top, stretched over the whole
// virtual desktop. Only the current instrument shows and only it takes the mouse; the
// rest of the desktop stays visible and clickable through the window. The window hands
// every mouse event and paint to the current instrument, nudges it (or the pointer)
// with the arrow keys, bridges the desktop-wide mouse hook to its snapping, carries the
// right-click menu with its commands and arms the automatic update check.
//
// Coordinates: the window's client frame is the virtual desktop's, so on a desktop
// whose top-left monitor starts at (0, 0) window and screen pixels agree.

#include "app/InstrumentFrame.h"
#include "app/PopupMenu.h"
#include "foundation/BaseFrm.h"
#include "platform/widgets/HintWindow.h"
#include "rulers/RulerHost.h"

#include <cstdint>

class TAction;
class TActionList;
class TClassInfo;
class TMouseHook;
class TTimer;

class TMainForm : public TBaseForm, public TRulerHost {
public:
    // The automatic update check runs once, this long after start.
    static constexpr int kAutoCheckUpdateDelayMs = 600000;

    explicit TMainForm(TComponent* owner);
    ~TMainForm() override;

    // --- Components (owned by the window, named as the language file knows them) ---
    TActionList* alMain = nullptr;
    TAction* acRulerTypeRectangle = nullptr;
    TAction* acRulerTypeTriangle = nullptr;
    TAction* acRulerTypeProtractor180 = nullptr;
    TAction* acRulerTypeProtractor360 = nullptr;
    TAction* acFileExit = nullptr;
    TAction* acMouseSnap = nullptr;
    TAction* acTransparent0 = nullptr;
    TAction* acTransparent10 = nullptr;
    TAction* acTransparent20 = nullptr;
    TAction* acTransparent30 = nullptr;
    TAction* acTransparent40 = nullptr;
    TAction* acTransparent50 = nullptr;
    TAction* acTransparent60 = nullptr;
    TAction* acTransparent70 = nullptr;
    TAction* acTransparent80 = nullptr;
    TAction* acTransparent90 = nullptr;
    TAction* acHelpAbout = nullptr;
    TAction* acHelpWebsite = nullptr;
    TAction* acHelpTopic = nullptr;
    TAction* acHelpTutorialUrl = nullptr;
    TAction* acHelpUpdate = nullptr;
    TAction* acHelpQuestion = nullptr;
    TAction* acHelpQQ = nullptr;
    TPopupMenu* ppMain = nullptr;
    TSubmenuItem* tbsmTransparent = nullptr;
    TSubmenuItem* tbsmHelp = nullptr;
    TTimer* tmrCheckUpdate = nullptr;

    // The creation handler and the translation, then the first frame.
    void DoCreate() override;

    // --- Window events ---
    void FormCreate(TComponent* Sender);
    void FormPaint(TComponent* Sender);
    void FormKeyDown(TComponent* Sender, std::uint16_t& Key, TShiftState Shift);
    void FormMouseDown(TComponent* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void FormMouseMove(TComponent* Sender, TShiftState Shift, int X, int Y);
    void FormMouseUp(TComponent* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);

    // --- Bridges from the desktop-wide mouse hook (screen pixels, by reference) ---
    void MouseHookLButtonDown(TMouseHook* Sender, TMouseButton Button, TShiftState Shift, int& X,
                              int& Y);
    void MouseHookMove(TMouseHook* Sender, TShiftState Shift, int& X, int& Y);
    void MouseHookLButtonUp(TMouseHook* Sender, TMouseButton Button, TShiftState Shift, int& X,
                            int& Y);

    // --- Update check ---
    void tmrCheckUpdateTimer(TComponent* Sender);
    void CheckForUpdate(bool Silent);

    // --- Commands ---
    void SelectRulerType(const TClassInfo& rulerClass);
    void SetTransparency(int Percent);
    void alMainUpdate(TAction* Action, bool& Handled);

    // The window's alpha value: 255 opaque, 0 invisible. It shows as the whole window's
    // opacity where the window system can blend (a compositing manager runs).
    std::uint8_t AlphaBlendValue() const { return FAlphaBlendValue; }
    void SetAlphaBlendValue(std::uint8_t value);

    // Shows the current instrument as it is now: its picture and the window's shape are
    // brought up to date at once, the pixels are painted at the next turn of the event
    // loop.
    void Invalidate();

    // --- What the instrument uses of its window ---
    void SetCursor(int cursorId) override;
    void ShowHint(const std::string& text, const TGPPoint& screenPoint) override;
    void HideHint() override;
    TGPPoint CursorPos() const override;
    void Repaint() override;

private:
    void CreateActions();
    TAction* NewAction(const char* name, const char* caption,
                       std::function<void(TComponent*)> execute);
    void CreateMenu();
    void BindMouseHook();

    // The bounds rule of every change shown: the window covers the virtual desktop,
    // unless it covers exactly the primary monitor already. Never called inside a paint.
    // Both return whether the window's bounds changed.
    bool KeepOverDesktop();
    // After any change of the monitors the window covers the virtual desktop as it is
    // now, also when it covered exactly the primary monitor before. The instruments keep
    // their place on the screen when the window's origin moves.
    bool CoverDesktop();
    // The one way the window follows the current instrument, taken by every change (a
    // drag step, a key, a command, loading): the instrument's picture and the window's
    // shape are made first, then the pixels of the picture are painted, at once when
    // paintNow is set, else at the next turn of the event loop. Painting never has to
    // work with a shape older than its picture.
    void ShowCurrentInstrument(bool paintNow);
    void OpenDocument(const std::string& fileOrUrl);

    void acHelpAboutExecute(TComponent* Sender);
    void acHelpUpdateExecute(TComponent* Sender);
    void acMouseSnapExecute(TComponent* Sender);

    TInstrumentFrame FFrame;
    // Where the window's client frame starts on the desktop, once it covers it.
    QPoint FDesktopOrigin;
    bool FCoversDesktop = false;
    THintWindow FHint;
    std::uint8_t FAlphaBlendValue = 200; // the layout's value; creation sets the saved one
};
