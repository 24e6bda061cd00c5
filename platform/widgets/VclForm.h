#pragma once
// TCustomForm: a top-level window of the window layer. Like the class library's forms
// it has OnCreate/OnDestroy events tied to its life-cycle steps, OnShow, OnClose with a
// close action, modal showing with a modal result, a default button for Enter and a
// cancel button for Esc, and the window's input events (client coordinates, pixels).
// Windows are built in code in the constructor of each derived class.

#include "platform/widgets/MouseTypes.h"
#include "platform/widgets/VclControl.h"

#include <QEventLoop>
#include <cstdint>
#include <optional>

class TButton;

enum class TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };
enum class TFormStyle { fsNormal, fsStayOnTop };
enum class TPosition { poDesigned, poScreenCenter };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };

// Modal results, as the message-box button identifiers.
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;

// Virtual-key codes of the keys that windows react to.
constexpr std::uint16_t VK_RETURN = 13;
constexpr std::uint16_t VK_ESCAPE = 27;
constexpr std::uint16_t VK_LEFT = 37;
constexpr std::uint16_t VK_UP = 38;
constexpr std::uint16_t VK_RIGHT = 39;
constexpr std::uint16_t VK_DOWN = 40;

using TSenderEvent = std::function<void(TComponent* sender)>;
using TCloseEvent = std::function<void(TComponent* sender, TCloseAction& action)>;
using TKeyEvent = std::function<void(TComponent* sender, std::uint16_t& key, TShiftState shift)>;
using TMouseEvent =
    std::function<void(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TComponent* sender, TShiftState shift, int x, int y)>;

class TCustomForm : public TControl {
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    std::string GetText() const override;
    void SetText(const std::string& caption) override;
    std::string Caption() const { return GetText(); }
    void SetCaption(const std::string& caption) { SetText(caption); }
    // The name window managers and taskbars show for the window: its caption unless a
    // name of its own is set (the main window carries the program's title).
    void SetWindowName(const std::string& name);

    TBorderStyle BorderStyle() const { return BorderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    void SetFormStyle(TFormStyle style);
    TPosition Position() const { return Position_; }
    void SetPosition(TPosition position) { Position_ = position; }
    void SetColor(TColor color);

    void SetVisible(bool visible) override;
    void Show();
    void Hide();
    // Shows the window modally and returns its modal result when it closes.
    TModalResult ShowModal();
    // Returns once the shown window is exposed and its picture has reached the X server,
    // or after boundMs; false on the bound. A window manager maps and exposes a window
    // some time after it is shown, so a program about to block its event loop waits for
    // this, or the window stands on the screen undrawn. Input stays queued meanwhile.
    // False at once when the application ends its event loops (it is quitting).
    bool WaitUntilDrawn(int boundMs);
    bool Modal() const { return ModalLoop_ != nullptr; }
    // A non-zero result ends a modal loop.
    void SetModalResult(TModalResult result);
    // Modal: the result becomes Cancel. Otherwise OnClose decides: hide (the default),
    // free (Release), or nothing.
    void Close();
    // Frees the window from the event loop, after the current event has finished.
    void Release();

    // The buttons that Enter and Esc click (the visible, enabled ones marked Default
    // and Cancel); null when there is none.
    TButton* DefaultButton() const;
    TButton* CancelButton() const;

    // The window that a new window or box of the program belongs to: the modal window on
    // top, else the active window, else the main window (the first window made while
    // there is none, as the class library's first created form). Only windows that are
    // shown count, never except. Null when the program shows none.
    static QWidget* OwnerWindowFor(const QWidget* except);
    // Every dialog and box of the program opens centred on the primary monitor's work
    // area, never over the main window, which spans all monitors: the window with the
    // frame a window manager puts around it, at the window's size as it is now (call it
    // once that size is final, before the window is mapped). A window larger than the
    // work area keeps its frame's top-left corner, with the title bar, on it.
    static void CentreOnPrimaryScreen(QWidget& window);
    // The largest size the window may take so that it fits the primary monitor's work
    // area with its frame.
    static QSize RoomOnPrimaryScreen(QWidget& window);

    // Fire OnCreate and OnDestroy; derived windows extend them.
    virtual void DoCreate();
    virtual void DoDestroy();
    void AfterConstruction() override;
    void BeforeDestruction() override;

    TSenderEvent OnCreate;
    TSenderEvent OnDestroy;
    TSenderEvent OnShow;
    TCloseEvent OnClose;
    // Runs inside the window's paint event: a painter may be opened on Widget().
    TSenderEvent OnPaint;
    TKeyEvent OnKeyDown;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;

protected:
    void DefinePublishedStrings(std::vector<TPublishedString>& list) override;

private:
    friend class TFormWidget;
    TCloseAction DoClose();
    void ApplyWindowFlags();
    void UpdateWindowTitle();
    void BelongToOwnerWindow();
    void DialogKey(std::uint16_t key);

    std::string Text_; // the whole caption; the window system gets it cut to its limit
    std::optional<std::string> WindowName_; // what the window system shows, if not Text_
    TBorderStyle BorderStyle_ = TBorderStyle::bsSizeable;
    TFormStyle FormStyle_ = TFormStyle::fsNormal;
    TPosition Position_ = TPosition::poDesigned;
    TColor Color_ = clBtnFace;
    TModalResult ModalResult_ = mrNone;
    QEventLoop* ModalLoop_ = nullptr;
    bool Releasing_ = false;
    bool Destroying_ = false;
};

class TForm : public TCustomForm {
public:
    using TCustomForm::TCustomForm;
};
