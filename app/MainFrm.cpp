#include "app/MainFrm.h"

#include "app/Application.h"
#include "app/CheckForUpdateFrm.h"
#include "app/DesktopPlacement.h"
#include "app/Shell.h"
#include "app/TextFormat.h"
#include "app/Transparency.h"
#include "app/UpdateService.h"
#include "foundation/AboutFrm.h"
#include "foundation/MouseHook.h"
#include "foundation/SLSysUtils.h"
#include "platform/desktop/Pointer.h"
#include "platform/desktop/Screen.h"
#include "platform/desktop/WindowSystem.h"
#include "platform/widgets/CursorQt.h"
#include "platform/widgets/VclAction.h"
#include "platform/widgets/VclTimer.h"
#include "rulers/BaseRuler.h"
#include "rulers/ProtractorRuler.h"
#include "rulers/RectangleRuler.h"
#include "rulers/RulerConsts.h"
#include "rulers/RulerInfos.h"
#include "rulers/TriangleRuler.h"

#include <QGuiApplication>
#include <QPainter>
#include <QTimer>

#include <algorithm>

namespace {

// The layout's bounds, replaced by the virtual desktop's before the window first shows.
constexpr int kLayoutLeft = 278;
constexpr int kLayoutTop = 263;
constexpr int kLayoutClientWidth = 389;
constexpr int kLayoutClientHeight = 265;

// Arrow-key steps, pixels: Shift makes them larger.
constexpr float kKeyStep = 1;
constexpr float kShiftKeyStep = 8;

constexpr const char* kHelpFileName = "Help.chm";

// A shape that lies outside the window: nothing visible, nothing clickable. An empty
// region would mean "no shape", the whole window.
const QRegion kNoShape(-1, -1, 1, 1);

TBaseRuler* CurrentRuler() {
    return AppInfo().GetCurrentRuler();
}

} // namespace

TMainForm::TMainForm(TComponent* owner) : TBaseForm(owner) {
    SetName("MainForm");
    SetCaption("MainForm");
    SetBorderStyle(TBorderStyle::bsNone);
    SetFormStyle(TFormStyle::fsStayOnTop);
    SetBounds(kLayoutLeft, kLayoutTop, kLayoutClientWidth, kLayoutClientHeight);
    // Hover feedback over the handles needs moves without a button held.
    Widget()->setMouseTracking(true);

    CreateActions();
    CreateMenu();
    tmrCheckUpdate = new TTimer(this);
    tmrCheckUpdate->SetName("tmrCheckUpdate");
    tmrCheckUpdate->SetEnabled(false);
    tmrCheckUpdate->OnTimer = [this](TComponent* sender) { tmrCheckUpdateTimer(sender); };

    OnCreate = [this](TComponent* sender) { FormCreate(sender); };
    OnPaint = [this](TComponent* sender) { FormPaint(sender); };
    OnKeyDown = [this](TComponent* sender, std::uint16_t& key, TShiftState shift) {
        FormKeyDown(sender, key, shift);
    };
    OnMouseDown = [this](TComponent* sender, TMouseButton button, TShiftState shift, int x, int y) {
        FormMouseDown(sender, button, shift, x, y);
    };
    OnMouseMove = [this](TComponent* sender, TShiftState shift, int x, int y) {
        FormMouseMove(sender, shift, x, y);
    };
    OnMouseUp = [this](TComponent* sender, TMouseButton button, TShiftState shift, int x, int y) {
        FormMouseUp(sender, button, shift, x, y);
    };
}

TMainForm::~TMainForm() = default;

TAction* TMainForm::NewAction(const char* name, const char* caption,
                              std::function<void(TComponent*)> execute) {
    auto* action = new TAction(this);
    action->SetName(name);
    action->SetCaption(caption);
    action->SetActionList(alMain);
    action->OnExecute = std::move(execute);
    return action;
}

void TMainForm::CreateActions() {
    alMain = new TActionList(this);
    alMain->SetName("alMain");
    alMain->OnUpdate = [this](TAction* action, bool& handled) { alMainUpdate(action, handled); };

    auto selectType = [this](const TClassInfo& rulerClass) {
        return [this, &rulerClass](TComponent*) { SelectRulerType(rulerClass); };
    };
    auto transparency = [this](int percent) {
        return [this, percent](TComponent*) { SetTransparency(percent); };
    };
    auto open = [this](std::function<std::string()> document) {
        return [this, document](TComponent*) { OpenDocument(document()); };
    };

    // In the order of the action list.
    acRulerTypeRectangle =
        NewAction("acRulerTypeRectangle", "直尺", selectType(TRectangleRuler::StaticClassInfo()));
    acRulerTypeTriangle =
        NewAction("acRulerTypeTriangle", "三角板", selectType(TTriangleRuler::StaticClassInfo()));
    acRulerTypeProtractor180 = NewAction("acRulerTypeProtractor180", "半圆量角器",
                                         selectType(TProtractorRuler180::StaticClassInfo()));
    acRulerTypeProtractor360 = NewAction("acRulerTypeProtractor360", "圆形量角器",
                                         selectType(TProtractorRuler360::StaticClassInfo()));
    acFileExit = NewAction("acFileExit", "退出", [this](TComponent*) { Close(); });
    acMouseSnap =
        NewAction("acMouseSnap", "吸附光标", [this](TComponent* s) { acMouseSnapExecute(s); });
    acTransparent0 = NewAction("acTransparent0", "不透明", transparency(0));
    acTransparent10 = NewAction("acTransparent10", "10 %", transparency(10));
    acTransparent20 = NewAction("acTransparent20", "20 %", transparency(20));
    acTransparent30 = NewAction("acTransparent30", "30 %", transparency(30));
    acTransparent40 = NewAction("acTransparent40", "40 %", transparency(40));
    acTransparent50 = NewAction("acTransparent50", "50 %", transparency(50));
    acTransparent60 = NewAction("acTransparent60", "60 %", transparency(60));
    acTransparent70 = NewAction("acTransparent70", "70 %", transparency(70));
    acTransparent80 = NewAction("acTransparent80", "80 %", transparency(80));
    acTransparent90 = NewAction("acTransparent90", "90 %", transparency(90));
    acHelpAbout =
        NewAction("acHelpAbout", "关于...", [this](TComponent* s) { acHelpAboutExecute(s); });
    acHelpWebsite =
        NewAction("acHelpWebsite", "Tarsel网站", open([] { return AppStr().WebsiteUrl; }));
    acHelpTopic = NewAction("acHelpTopic", "帮助",
                            open([] { return TSLSysfn::GetModulePath() + kHelpFileName; }));
    acHelpTutorialUrl =
        NewAction("acHelpTutorialUrl", "使用演示", open([] { return AppStr().TutorialUrl; }));
    acHelpUpdate =
        NewAction("acHelpUpdate", "检查更新", [this](TComponent* s) { acHelpUpdateExecute(s); });
    acHelpQuestion =
        NewAction("acHelpQuestion", "问题反馈", open([] { return AppStr().QuestionUrl; }));
    acHelpQQ = NewAction("acHelpQQ", "QQ客服", open([] { return AppStr().OnlineQQUrl; }));
    acHelpQQ->SetVisible(false);
}

void TMainForm::CreateMenu() {
    ppMain = new TPopupMenu(this);
    ppMain->SetName("ppMain");
    ppMain->OnPopup = [this] { alMain->UpdateActions(); };
    QMenu* menu = ppMain->Menu();

    for (TAction* action : {acRulerTypeRectangle, acRulerTypeTriangle, acRulerTypeProtractor180,
                            acRulerTypeProtractor360})
        TPopupMenu::AddItem(menu, action);
    TPopupMenu::AddSeparator(menu);
    TPopupMenu::AddItem(menu, acMouseSnap);
    TPopupMenu::AddSeparator(menu);

    tbsmTransparent = new TSubmenuItem(this, menu);
    tbsmTransparent->SetName("tbsmTransparent");
    tbsmTransparent->SetCaption("半透明");
    for (TAction* action :
         {acTransparent0, acTransparent10, acTransparent20, acTransparent30, acTransparent40,
          acTransparent50, acTransparent60, acTransparent70, acTransparent80, acTransparent90})
        TPopupMenu::AddItem(tbsmTransparent->Menu(), action);
    TPopupMenu::AddSeparator(menu);

    tbsmHelp = new TSubmenuItem(this, menu);
    tbsmHelp->SetName("tbsmHelp");
    tbsmHelp->SetCaption("帮助");
    QMenu* help = tbsmHelp->Menu();
    TPopupMenu::AddItem(help, acHelpTutorialUrl);
    TPopupMenu::AddItem(help, acHelpTopic);
    TPopupMenu::AddSeparator(help);
    for (TAction* action : {acHelpWebsite, acHelpUpdate, acHelpQuestion, acHelpQQ})
        TPopupMenu::AddItem(help, action);
    TPopupMenu::AddSeparator(help);
    TPopupMenu::AddItem(help, acHelpAbout);
    TPopupMenu::AddSeparator(menu);

    TPopupMenu::AddItem(menu, acFileExit);
}

// --- Window events ---

void TMainForm::FormCreate(TComponent*) {
    // Qt paints every widget through a back buffer already: the whole-desktop repaint
    // of a drag step does not flicker.
    TApplication::SetTitle(AppStr().AppTitle);
    // Taskbars and window switchers name the program by its main window; the window's
    // caption stays its own.
    SetWindowName(AppStr().AppTitle);
    BindMouseHook();
    // Black is what shows behind the instrument's anti-aliased rim; everything the
    // instrument does not cover is cut away by the window's shape.
    SetColor(clBlack);
    // The first use of the settings model loads the settings file.
    SetAlphaBlendValue(AppInfo().Transparent);
    MouseHook().SetActive(AppInfo().MouseSnap);
    if (AppInfo().OptionInfo().AutoCheckUpdate) {
        tmrCheckUpdate->SetInterval(kAutoCheckUpdateDelayMs);
        tmrCheckUpdate->SetEnabled(true);
    }
    // The window paints only the instrument's picture: nothing else of the desktop-wide
    // window is ever visible, so its background is never filled (which would cost a
    // desktop of pixels and memory).
    Widget()->setAutoFillBackground(false);
    Widget()->setAttribute(Qt::WA_OpaquePaintEvent);
    Widget()->setAttribute(Qt::WA_NoSystemBackground);
}

void TMainForm::DoCreate() {
    TBaseForm::DoCreate();
    // Only now, translated, does the window have the font the instruments take at their
    // first paint. Take the desktop and the instrument's shape before the window first
    // shows, so it never flashes up at its layout bounds as a black rectangle.
    KeepOverDesktop();
    BringRulersIntoView(AppInfo().RulerObjectList(), FDesktopOrigin);
    ShowCurrentInstrument(false);
    WatchDesktopChanges(Widget(), [this] {
        CoverDesktop();
        BringRulersIntoView(AppInfo().RulerObjectList(), FDesktopOrigin);
        Invalidate();
    });
}

void TMainForm::BindMouseHook() {
    TMouseHook& hook = MouseHook();
    hook.OnLButtonDown = [this](TMouseHook* sender, TMouseButton button, TShiftState shift, int& x,
                                int& y) { MouseHookLButtonDown(sender, button, shift, x, y); };
    hook.OnMouseMove = [this](TMouseHook* sender, TShiftState shift, int& x, int& y) {
        MouseHookMove(sender, shift, x, y);
    };
    hook.OnLButtonUp = [this](TMouseHook* sender, TMouseButton button, TShiftState shift, int& x,
                              int& y) { MouseHookLButtonUp(sender, button, shift, x, y); };
    // A press that engaged snapping has its stroke held, so that the program below sees
    // only the snapped moves.
    hook.OnHoldStroke = [this](TMouseHook*) {
        const TBaseRuler* ruler = CurrentRuler();
        return ruler && ruler->GetSnapEngaged();
    };
}

namespace {
// Qt's raster engine hands a blit of more than about a hundred rows to its thread pool,
// and waking the pool costs more than copying an instrument's picture: drawn in bands
// short enough, each is copied on the spot.
constexpr int kBandRows = 48;

void DrawInBands(QPainter& painter, QPoint at, const QImage& picture) {
    for (int top = 0; top < picture.height(); top += kBandRows) {
        const QRect band(0, top, picture.width(), std::min(kBandRows, picture.height() - top));
        painter.drawImage(at + band.topLeft(), picture, band);
    }
}
} // namespace

void TMainForm::FormPaint(TComponent*) {
    // A change that did not come through ShowCurrentInstrument (the window's size changed
    // under it, or the instrument without a call): the new picture and shape are taken
    // after this paint, from the event loop. The window's geometry and shape are never
    // changed inside a paint, where the painter works on the window's back buffer; this
    // paint shows the old picture, which matches the old shape it is clipped to.
    const TBaseRuler* ruler = CurrentRuler();
    if (ruler ? !FFrame.Shows(*ruler, Widget()->rect()) : !FFrame.Picture().isNull())
        QTimer::singleShot(0, Widget(), [this] { ShowCurrentInstrument(false); });
    if (FFrame.Picture().isNull())
        return;
    // The picture replaces the window's pixels, its transparent fringe included: what
    // shows of it lies within the shape, on the black of the colour key.
    QPainter painter(Widget());
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    DrawInBands(painter, FFrame.Bounds().topLeft(), FFrame.Picture());
}

bool TMainForm::KeepOverDesktop() {
    const QRect bounds = Widget()->geometry();
    if (bounds == QRect(QPoint(0, 0), platform::PrimaryScreenSize()))
        return false;
    return CoverDesktop();
}

bool TMainForm::CoverDesktop() {
    const QRect desktop = platform::VirtualDesktopRect();
    // The instruments' offsets are window pixels: when the window's origin moves on the
    // desktop (a monitor left of or above the others comes or goes), they move the other
    // way, so every instrument stays where it stands on the screen. The first placement
    // takes the offsets as they were saved, relative to the desktop's top-left corner.
    if (FCoversDesktop && desktop.topLeft() != FDesktopOrigin)
        ShiftRulers(AppInfo().RulerObjectList(), FDesktopOrigin - desktop.topLeft());
    FDesktopOrigin = desktop.topLeft();
    FCoversDesktop = true;
    if (Widget()->geometry() == desktop)
        return false;
    SetBounds(desktop.x(), desktop.y(), desktop.width(), desktop.height());
    return true;
}

void TMainForm::ShowCurrentInstrument(bool paintNow) {
    // A window that has just moved or changed its size gets its new back buffer and its
    // screen from the event loop: it is painted from there, not at once.
    const bool rebounded = KeepOverDesktop();
    TBaseRuler* ruler = CurrentRuler();
    QRect changed;
    if (ruler)
        changed = FFrame.Update(*ruler, Font(), Widget()->rect());
    else
        FFrame.Clear();
    const QRegion shape = FFrame.Shape();
    Widget()->setMask(shape.isEmpty() ? kNoShape : shape);
    if (changed.isEmpty())
        return;
    if (paintNow && !rebounded)
        Widget()->repaint(changed);
    else
        Widget()->update(changed);
}

void TMainForm::FormKeyDown(TComponent*, std::uint16_t& Key, TShiftState Shift) {
    if (Key == VK_ESCAPE)
        Close();

    // With the left button held the arrows nudge the pointer, one pixel whatever the
    // modifiers, and leave the instrument alone.
    if (platform::IsLeftButtonDown()) {
        QPoint position = platform::CursorPos();
        switch (Key) {
        case VK_LEFT:
            position.rx() -= 1;
            break;
        case VK_UP:
            position.ry() -= 1;
            break;
        case VK_RIGHT:
            position.rx() += 1;
            break;
        case VK_DOWN:
            position.ry() += 1;
            break;
        default:
            return;
        }
        platform::SetCursorPos(position);
        return;
    }

    TBaseRuler* ruler = CurrentRuler();
    if (!ruler)
        return;
    const float step = (Shift & ssShift) ? kShiftKeyStep : kKeyStep;
    const bool resize = (Shift & ssCtrl) != 0;
    switch (Key) {
    case VK_LEFT:
        resize ? ruler->SetSize(ruler->Width - step, ruler->Height) : void(ruler->OffsetX -= step);
        break;
    case VK_UP:
        resize ? ruler->SetSize(ruler->Width, ruler->Height - step) : void(ruler->OffsetY -= step);
        break;
    case VK_RIGHT:
        resize ? ruler->SetSize(ruler->Width + step, ruler->Height) : void(ruler->OffsetX += step);
        break;
    case VK_DOWN:
        resize ? ruler->SetSize(ruler->Width, ruler->Height + step) : void(ruler->OffsetY += step);
        break;
    default:
        return;
    }
    Invalidate();
}

void TMainForm::FormMouseDown(TComponent*, TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (TBaseRuler* ruler = CurrentRuler())
        ruler->MouseDown(this, Button, Shift, X, Y);
    // Asked for, not waited for: a window manager that refuses the activation must not
    // hold up every click. Staying on top raises the window in any case.
    const platform::TWindowHandle handle = Widget()->winId();
    platform::RequestForegroundWindow(handle);
    platform::SetStayOnTop(handle, true);
}

void TMainForm::FormMouseMove(TComponent*, TShiftState Shift, int X, int Y) {
    if (TBaseRuler* ruler = CurrentRuler())
        ruler->MouseMove(this, Shift, X, Y);
}

void TMainForm::FormMouseUp(TComponent*, TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (TBaseRuler* ruler = CurrentRuler())
        ruler->MouseUp(this, Button, Shift, X, Y);
    // The context menu opens as the right button comes up, as on the desktop the
    // program was made for.
    if (Button == TMouseButton::mbRight)
        ppMain->Popup(Widget()->mapToGlobal(QPoint(X, Y)));
}

// --- Hook bridges: the hook speaks screen pixels, the instrument window pixels ---

void TMainForm::MouseHookLButtonDown(TMouseHook*, TMouseButton Button, TShiftState Shift, int& X,
                                     int& Y) {
    TMouseHook::InDesktopWindowFrame(X, Y, [&](int& x, int& y) {
        if (TBaseRuler* ruler = CurrentRuler())
            ruler->HookLButtonDown(Button, Shift, x, y);
    });
}

void TMainForm::MouseHookMove(TMouseHook*, TShiftState Shift, int& X, int& Y) {
    TMouseHook::InDesktopWindowFrame(X, Y, [&](int& x, int& y) {
        if (TBaseRuler* ruler = CurrentRuler())
            ruler->HookMouseMove(Shift, x, y);
    });
}

void TMainForm::MouseHookLButtonUp(TMouseHook*, TMouseButton Button, TShiftState Shift, int& X,
                                   int& Y) {
    TMouseHook::InDesktopWindowFrame(X, Y, [&](int& x, int& y) {
        if (TBaseRuler* ruler = CurrentRuler())
            ruler->HookLButtonUp(Button, Shift, x, y);
    });
}

// --- Update check ---

void TMainForm::tmrCheckUpdateTimer(TComponent*) {
    tmrCheckUpdate->SetEnabled(false);
    CheckForUpdate(true);
}

void TMainForm::CheckForUpdate(bool Silent) {
    std::uint16_t major = 0, minor = 0, release = 0, build = 0;
    TSLSysfn::GetFileVersion("", major, minor, release, build);
    TCheckForUpdateForm::Execute(AppStr().AppTitle, AppStr().UpdateUrl, TarselProductId, major,
                                 minor, release, build, Silent);
}

// --- Commands ---

void TMainForm::SelectRulerType(const TClassInfo& rulerClass) {
    AppInfo().SelectRulerClass(rulerClass);
    Invalidate();
}

void TMainForm::SetTransparency(int Percent) {
    AppInfo().Transparent = AlphaForTransparency(Percent);
    SetAlphaBlendValue(AppInfo().Transparent);
}

void TMainForm::SetAlphaBlendValue(std::uint8_t value) {
    FAlphaBlendValue = value;
    Widget()->setWindowOpacity(value / 255.0);
}

void TMainForm::alMainUpdate(TAction*, bool&) {
    const TBaseRuler* ruler = CurrentRuler();
    auto isKind = [ruler](const TClassInfo& kind) {
        return ruler && ruler->ClassInfo().InheritsFrom(kind);
    };
    acRulerTypeRectangle->SetChecked(isKind(TRectangleRuler::StaticClassInfo()));
    acRulerTypeTriangle->SetChecked(isKind(TTriangleRuler::StaticClassInfo()));
    acRulerTypeProtractor180->SetChecked(isKind(TProtractorRuler180::StaticClassInfo()));
    acRulerTypeProtractor360->SetChecked(isKind(TProtractorRuler360::StaticClassInfo()));
    acMouseSnap->SetChecked(AppInfo().MouseSnap);
    const int percent = TransparencyOfAlpha(FAlphaBlendValue);
    const TAction* steps[] = {acTransparent0,  acTransparent10, acTransparent20, acTransparent30,
                              acTransparent40, acTransparent50, acTransparent60, acTransparent70,
                              acTransparent80, acTransparent90};
    for (int step = 0; step < 10; ++step)
        const_cast<TAction*>(steps[step])->SetChecked(percent == step * 10);
}

void TMainForm::acMouseSnapExecute(TComponent*) {
    AppInfo().MouseSnap = !AppInfo().MouseSnap;
    MouseHook().SetActive(AppInfo().MouseSnap);
}

void TMainForm::acHelpUpdateExecute(TComponent*) {
    // A check asked for now makes the pending automatic one unnecessary.
    tmrCheckUpdate->SetEnabled(false);
    CheckForUpdate(false);
}

void TMainForm::acHelpAboutExecute(TComponent*) {
    std::uint16_t major = 0, minor = 0, release = 0, build = 0;
    TSLSysfn::GetFileVersion("", major, minor, release, build);
    const TAppStr& texts = AppStr();
    TAboutRec about;
    about.Caption = FormatText(texts.AboutCaptionFmt, {texts.AppTitle});
    about.Product = texts.AppTitle;
    about.Build = FormatText(texts.AboutVersionFmt,
                             {static_cast<long long>(major), static_cast<long long>(minor),
                              static_cast<long long>(release), static_cast<long long>(build)});
    about.URL = texts.WebsiteUrl;
    about.Feature = texts.AboutText;
    TAboutForm::Execute(about);
}

void TMainForm::OpenDocument(const std::string& fileOrUrl) {
    ShellOpen(fileOrUrl);
}

// --- What the instrument uses of its window ---

void TMainForm::Invalidate() {
    ShowCurrentInstrument(false);
}

void TMainForm::Repaint() {
    ShowCurrentInstrument(true);
}

void TMainForm::SetCursor(int cursorId) {
    Widget()->setCursor(platform::QtCursorForNumber(static_cast<std::int16_t>(cursorId)));
}

void TMainForm::ShowHint(const std::string& text, const TGPPoint& screenPoint) {
    FHint.ActivateHint(QPoint(screenPoint.X, screenPoint.Y), text);
}

void TMainForm::HideHint() {
    FHint.Hide();
}

TGPPoint TMainForm::CursorPos() const {
    const QPoint position = platform::CursorPos();
    return TGPPoint{position.x(), position.y()};
}
