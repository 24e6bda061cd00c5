#include "platform/widgets/VclForm.h"

#include "platform/desktop/Screen.h"
#include "platform/desktop/WindowFrame.h"
#include "platform/widgets/VclButton.h"
#include "platform/widgets/WindowTitle.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QShowEvent>
#include <QTimer>
#include <QWindow>
#include <algorithm>

namespace {
TCustomForm* TheMainForm = nullptr;

// How long a window manager gets to tell the frame it puts around a new window.
constexpr int kFrameAnswerBoundMs = 500;

platform::TWindowFrame FrameAround(QWidget& window) {
    return platform::FrameOfWindow(window.winId(), kFrameAnswerBoundMs);
}

// Quits its loop once the window is exposed on the screen, and says so.
class TExposeWaiter : public QObject {
public:
    TExposeWaiter(QWindow& window, QEventLoop& loop) : Loop_(loop) {
        window.installEventFilter(this);
    }
    bool Exposed() const { return Exposed_; }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        // The expose event is handled (the window painted) before the loop sees the quit.
        if (event->type() == QEvent::Expose) {
            Exposed_ = true;
            Loop_.quit();
        }
        return false;
    }

private:
    QEventLoop& Loop_;
    bool Exposed_ = false;
};
} // namespace

// The Qt side of a form: hands the window's events to the form.
class TFormWidget : public QWidget {
public:
    explicit TFormWidget(TCustomForm* form) : Form_(form) {}

protected:
    void paintEvent(QPaintEvent*) override {
        if (Form_->OnPaint)
            Form_->OnPaint(Form_);
    }

    void showEvent(QShowEvent* event) override {
        if (!event->spontaneous() && Form_->OnShow)
            Form_->OnShow(Form_);
    }

    void closeEvent(QCloseEvent* event) override {
        if (Form_->Modal()) {
            event->ignore();
            Form_->SetModalResult(mrCancel);
            return;
        }
        const TCloseAction action = Form_->DoClose();
        if (action == TCloseAction::caNone) {
            event->ignore();
            return;
        }
        event->accept();
        if (action == TCloseAction::caFree)
            Form_->Release();
    }

    void keyPressEvent(QKeyEvent* event) override {
        std::uint16_t key = VirtualKey(event->key());
        if (Form_->OnKeyDown)
            Form_->OnKeyDown(Form_, key, Shift(event->modifiers(), QApplication::mouseButtons()));
        if (key == VK_RETURN || key == VK_ESCAPE)
            Form_->DialogKey(key);
    }

    void mousePressEvent(QMouseEvent* event) override {
        if (Form_->OnMouseDown)
            Form_->OnMouseDown(Form_, Button(event->button()),
                               Shift(event->modifiers(), event->buttons()),
                               event->position().toPoint().x(), event->position().toPoint().y());
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        if (Form_->OnMouseMove)
            Form_->OnMouseMove(Form_, Shift(event->modifiers(), event->buttons()),
                               event->position().toPoint().x(), event->position().toPoint().y());
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        if (Form_->OnMouseUp)
            Form_->OnMouseUp(Form_, Button(event->button()),
                             Shift(event->modifiers(), event->buttons()),
                             event->position().toPoint().x(), event->position().toPoint().y());
    }

private:
    static std::uint16_t VirtualKey(int qtKey) {
        switch (qtKey) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return VK_RETURN;
        case Qt::Key_Escape:
            return VK_ESCAPE;
        case Qt::Key_Left:
            return VK_LEFT;
        case Qt::Key_Up:
            return VK_UP;
        case Qt::Key_Right:
            return VK_RIGHT;
        case Qt::Key_Down:
            return VK_DOWN;
        default:
            // Letters and digits have their upper-case ASCII code as virtual key.
            if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) ||
                (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
                return static_cast<std::uint16_t>(qtKey);
            return 0;
        }
    }

    static TShiftState Shift(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
        TShiftState shift = 0;
        if (modifiers & Qt::ShiftModifier)
            shift |= ssShift;
        if (modifiers & Qt::AltModifier)
            shift |= ssAlt;
        if (modifiers & Qt::ControlModifier)
            shift |= ssCtrl;
        if (buttons & Qt::LeftButton)
            shift |= ssLeft;
        if (buttons & Qt::RightButton)
            shift |= ssRight;
        if (buttons & Qt::MiddleButton)
            shift |= ssMiddle;
        return shift;
    }

    static TMouseButton Button(Qt::MouseButton button) {
        switch (button) {
        case Qt::RightButton:
            return TMouseButton::mbRight;
        case Qt::MiddleButton:
            return TMouseButton::mbMiddle;
        default:
            return TMouseButton::mbLeft;
        }
    }

    TCustomForm* Form_;
};

TCustomForm::TCustomForm(TComponent* owner) : TControl(owner, new TFormWidget(this)) {
    Widget()->setAttribute(Qt::WA_DeleteOnClose, false);
    if (!TheMainForm)
        TheMainForm = this;
    ApplyWindowFlags();
}

TCustomForm::~TCustomForm() {
    if (TheMainForm == this)
        TheMainForm = nullptr;
    if (ModalLoop_)
        ModalLoop_->quit();
}

QWidget* TCustomForm::OwnerWindowFor(const QWidget* except) {
    const auto usable = [except](QWidget* window) {
        return window && window != except && window->isVisible() &&
               !window->testAttribute(Qt::WA_DontShowOnScreen);
    };
    if (QWidget* modal = QApplication::activeModalWidget(); usable(modal))
        return modal;
    if (QWidget* active = QApplication::activeWindow(); usable(active))
        return active;
    if (TheMainForm && usable(TheMainForm->Widget()))
        return TheMainForm->Widget();
    return nullptr;
}

// A window manager keeps a window above the window it belongs to (its transient-for
// window), also above a main window that stays on top of everything else; a window
// that belongs to none may end up beneath the main window, out of reach.
void TCustomForm::BelongToOwnerWindow() {
    if (TheMainForm == this || Widget()->parentWidget())
        return;
    QWidget* owner = OwnerWindowFor(Widget());
    Widget()->winId(); // the window-system window, so it can name its owner
    if (QWindow* window = Widget()->windowHandle())
        window->setTransientParent(owner ? owner->windowHandle() : nullptr);
}

std::string TCustomForm::GetText() const {
    return Text_;
}

void TCustomForm::SetText(const std::string& caption) {
    Text_ = caption;
    UpdateWindowTitle();
}

void TCustomForm::SetWindowName(const std::string& name) {
    WindowName_ = name;
    UpdateWindowTitle();
}

void TCustomForm::UpdateWindowTitle() {
    if (Widget())
        Widget()->setWindowTitle(platform::WindowTitleFor(WindowName_.value_or(Text_)));
}

void TCustomForm::SetBorderStyle(TBorderStyle style) {
    BorderStyle_ = style;
    ApplyWindowFlags();
}

void TCustomForm::SetFormStyle(TFormStyle style) {
    FormStyle_ = style;
    ApplyWindowFlags();
}

void TCustomForm::SetColor(TColor color) {
    Color_ = color;
    if (!Widget())
        return;
    QPalette palette = Widget()->palette();
    palette.setColor(QPalette::Window, ColorToQColor(color));
    Widget()->setPalette(palette);
    Widget()->setAutoFillBackground(true);
}

void TCustomForm::ApplyWindowFlags() {
    if (!Widget())
        return;
    // Every window but the main window belongs to another one (BelongToOwnerWindow), and
    // only the dialog kind of window tells the window manager whom it belongs to.
    Qt::WindowFlags flags = TheMainForm == this ? Qt::Window : Qt::Dialog;
    switch (BorderStyle_) {
    case TBorderStyle::bsNone:
        flags |= Qt::FramelessWindowHint;
        break;
    case TBorderStyle::bsDialog:
        flags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint;
        break;
    default:
        break;
    }
    if (FormStyle_ == TFormStyle::fsStayOnTop)
        flags |= Qt::WindowStaysOnTopHint;
    const bool wasVisible = Widget()->isVisible();
    Widget()->setWindowFlags(flags);
    if (wasVisible)
        Widget()->show();
}

// Desktop coordinates. The frame's place is asked for as the window manager reads it: the
// frame's own top-left corner, or the window's inside it.
void TCustomForm::CentreOnPrimaryScreen(QWidget& window) {
    if (window.testAttribute(Qt::WA_DontShowOnScreen))
        return;
    const QRect area = platform::PrimaryWorkArea();
    const platform::TWindowFrame frame = FrameAround(window);
    const QSize outer = window.size().grownBy(frame.Extents);
    const QPoint frameTopLeft(area.x() + std::max(0, (area.width() - outer.width()) / 2),
                              area.y() + std::max(0, (area.height() - outer.height()) / 2));
    window.move(frame.PositionIsFrames
                    ? frameTopLeft
                    : frameTopLeft + QPoint(frame.Extents.left(), frame.Extents.top()));
}

QSize TCustomForm::RoomOnPrimaryScreen(QWidget& window) {
    return platform::PrimaryWorkArea().size().shrunkBy(FrameAround(window).Extents);
}

void TCustomForm::SetVisible(bool visible) {
    visible ? Show() : Hide();
}

void TCustomForm::Show() {
    if (!Widget())
        return;
    if (BorderStyle_ == TBorderStyle::bsDialog)
        Widget()->setFixedSize(Width(), Height());
    if (!Widget()->isVisible()) {
        BelongToOwnerWindow();
        if (Position_ == TPosition::poScreenCenter)
            CentreOnPrimaryScreen(*Widget());
    }
    TControl::SetVisible(true);
    Widget()->show();
    Widget()->raise();
    Widget()->activateWindow();
}

void TCustomForm::Hide() {
    TControl::SetVisible(false);
    if (Widget())
        Widget()->hide();
}

TModalResult TCustomForm::ShowModal() {
    ModalResult_ = mrNone;
    Widget()->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    ModalLoop_ = &loop;
    Show();
    TCloseAction action = TCloseAction::caHide;
    for (;;) {
        if (ModalResult_ == mrNone)
            loop.exec();
        if (ModalResult_ == mrNone) // the application is quitting
            ModalResult_ = mrCancel;
        action = DoClose();
        if (action != TCloseAction::caNone)
            break;
        ModalResult_ = mrNone;
    }
    ModalLoop_ = nullptr;
    Hide();
    Widget()->setWindowModality(Qt::NonModal);
    const TModalResult result = ModalResult_;
    if (action == TCloseAction::caFree)
        Release();
    return result;
}

bool TCustomForm::WaitUntilDrawn(int boundMs) {
    QWindow* window = Widget() ? Widget()->windowHandle() : nullptr;
    if (!window || !Widget()->isVisible() || Widget()->testAttribute(Qt::WA_DontShowOnScreen))
        return false;
    const QDeadlineTimer deadline(boundMs);
    while (!window->isExposed() && !deadline.hasExpired()) {
        QEventLoop loop;
        const TExposeWaiter waiter(*window, loop);
        bool bound = false;
        QTimer::singleShot(deadline.remainingTime(), &loop, [&] {
            bound = true;
            loop.quit();
        });
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        // Neither: the application is ending its event loops, which from now on return
        // at once. Nothing will be drawn any more.
        if (!waiter.Exposed() && !bound)
            return false;
    }
    if (!window->isExposed())
        return false;
    // Painted now, at once, and the picture sent; the round trip returns once the X
    // server has drawn everything sent before it.
    Widget()->repaint();
    QGuiApplication::sync();
    return true;
}

void TCustomForm::SetModalResult(TModalResult result) {
    ModalResult_ = result;
    if (ModalLoop_ && result != mrNone)
        ModalLoop_->quit();
}

void TCustomForm::Close() {
    if (Modal()) {
        SetModalResult(mrCancel);
        return;
    }
    if (Widget())
        Widget()->close();
}

void TCustomForm::Release() {
    if (Releasing_)
        return;
    Releasing_ = true;
    Hide();
    QTimer::singleShot(0, Widget(), [this] { TComponentDeleter()(this); });
}

TCloseAction TCustomForm::DoClose() {
    TCloseAction action = TCloseAction::caHide;
    if (OnClose)
        OnClose(this, action);
    return action;
}

namespace {
template <class Wanted> TButton* FindButton(const TComponent& owner, Wanted wanted) {
    for (TComponent* component : owner.Components()) {
        if (auto* button = dynamic_cast<TButton*>(component)) {
            if (wanted(*button) && button->Visible() && button->Enabled() && button->Widget() &&
                button->ParentForm() &&
                button->Widget()->isVisibleTo(button->ParentForm()->Widget()))
                return button;
        }
        if (TButton* inner = FindButton(*component, wanted))
            return inner;
    }
    return nullptr;
}
} // namespace

TButton* TCustomForm::DefaultButton() const {
    return FindButton(*this, [](const TButton& b) { return b.Default(); });
}

TButton* TCustomForm::CancelButton() const {
    return FindButton(*this, [](const TButton& b) { return b.Cancel(); });
}

// Enter goes to the focused button when a button has the focus, else to the default
// button; Esc goes to the cancel button.
void TCustomForm::DialogKey(std::uint16_t key) {
    if (key == VK_RETURN) {
        QWidget* focus = Widget()->focusWidget();
        if (TButton* focused = FindButton(
                *this, [focus](const TButton& b) { return focus && b.Widget() == focus; })) {
            focused->Click();
            return;
        }
        if (TButton* button = DefaultButton())
            button->Click();
    } else if (key == VK_ESCAPE) {
        if (TButton* button = CancelButton())
            button->Click();
    }
}

void TCustomForm::DoCreate() {
    if (OnCreate)
        OnCreate(this);
}

void TCustomForm::DoDestroy() {
    if (OnDestroy)
        OnDestroy(this);
}

void TCustomForm::AfterConstruction() {
    DoCreate();
}

void TCustomForm::BeforeDestruction() {
    if (Destroying_)
        return;
    Destroying_ = true;
    DoDestroy();
}

void TCustomForm::DefinePublishedStrings(std::vector<TPublishedString>& list) {
    TControl::DefinePublishedStrings(list);
    list.push_back({"Caption", [this] { return Caption(); },
                    [this](const std::string& value) { SetCaption(value); }});
}
