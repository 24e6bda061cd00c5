#include "rulers/BaseRuler.h"
#include "platform/system/TextRules.h"

#include "foundation/SLGDIPBrushFont.h"
#include "foundation/SLGDIPUtils.h"
#include "foundation/SLSysUtils.h"
#include "foundation/VBCursor.h"
#include "platform/desktop/Screen.h"
#include "platform/graphics/GPBrush.h"
#include "platform/graphics/GPGraphics.h"
#include "platform/graphics/GPGraphicsPath.h"
#include "platform/graphics/GPMatrix.h"
#include "platform/graphics/GPPen.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

constexpr float kInitialSize = 500.0f;         // px, before an instrument applies its own size
constexpr int kBaseMinSize = 64;               // px, both sides
constexpr float kHandleRadius = 8.0f;          // px, the hit circle and the drawn circle
constexpr float kRotateHandleShift = 32.0f;    // px left of the resize handle
constexpr float kEdgeBandWidth = 16.0f;        // px, 8 px either side of the outline
constexpr float kEdgeFlatness = 0.25f;         // px, how closely curves are followed
constexpr float kStickyReleaseDistance = 8.0f; // px per local axis, from the anchor
constexpr float kPaintMargin = 2.0f;           // px around the painted shapes
constexpr long double kFullTurn = 360.0L;

constexpr ARGB kPenColor = 0xFF000000; // opaque black
constexpr float kPenWidth = 1.0f;
constexpr ARGB kBodyColor = 0xFF87CEEB; // sky blue, opaque

constexpr long double kPi = std::numbers::pi_v<long double>;

long double DegToRad(long double degrees) {
    return degrees * kPi / 180.0L;
}

// Direction of point seen from centre in degrees, in [0, 360), measured from +x toward
// +y (clockwise on screen). A point on the centre has direction 0.
float DirectionDegrees(const TGPPointF& centre, const TGPPointF& point) {
    long double radians = std::atan2(static_cast<long double>(point.Y) - centre.Y,
                                     static_cast<long double>(point.X) - centre.X);
    if (radians < 0)
        radians += 2 * kPi;
    const float degrees = static_cast<float>(radians * 180.0L / kPi);
    // Just below a full turn can round up to 360 in single precision.
    return degrees >= 360.0f ? 0.0f : degrees;
}

// Rotates (x, y) about centre by radians (positive turns clockwise on screen).
void RotateAbout(long double& x, long double& y, const TGPPointF& centre, long double radians) {
    const long double c = std::cos(radians);
    const long double s = std::sin(radians);
    const long double dx = x - centre.X;
    const long double dy = y - centre.Y;
    x = centre.X + c * dx - s * dy;
    y = centre.Y + s * dx + c * dy;
}

// Nearest integer, halves to the even neighbour (the default floating-point rounding
// mode). Fails for values that no int can hold.
bool RoundToPixel(float value, int& out) {
    if (!std::isfinite(value) || value < static_cast<float>(INT_MIN) ||
        value >= static_cast<float>(INT_MAX))
        return false;
    out = static_cast<int>(std::nearbyint(value));
    return true;
}

pugi::xml_node FirstChildIgnoringCase(pugi::xml_node parent, const std::string& name) {
    for (pugi::xml_node child : parent.children())
        if (child.type() == pugi::node_element && platform::SameTextAscii(child.name(), name))
            return child;
    return {};
}

// A value read from the settings: finite and within [-bound, bound], else the fallback
// (non-finite) or the nearest bound.
float KeepWithin(float value, float bound, float fallback) {
    if (!std::isfinite(value))
        return fallback;
    return std::fmin(std::fmax(value, -bound), bound);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Construction

TBaseRuler::TBaseRuler()
    : Pen(std::make_unique<TGPPen>(kPenColor, kPenWidth)),
      Brush(std::make_unique<TGPSolidBrush>(kBodyColor)), Font(std::make_unique<TSLFontEx>()) {
    Width = kInitialSize;
    Height = kInitialSize;
    // A 500 x 500 box centred on the primary screen; a half pixel stays on odd sizes.
    const auto screen = platform::PrimaryScreenSize();
    OffsetX = (static_cast<float>(screen.width()) - Width) / 2;
    OffsetY = (static_cast<float>(screen.height()) - Height) / 2;
}

TBaseRuler::~TBaseRuler() {
    Font.reset();
    Brush.reset();
    Pen.reset();
}

const TClassInfo& TBaseRuler::StaticClassInfo() {
    static const TClassInfo info{
        "TBaseRuler",
        &TXmlPersistent::StaticClassInfo(),
        {Published("Angle", &TBaseRuler::Angle), Published("Height", &TBaseRuler::Height),
         Published("OffsetX", &TBaseRuler::OffsetX), Published("OffsetY", &TBaseRuler::OffsetY),
         Published("Selected", &TBaseRuler::Selected), Published("Width", &TBaseRuler::Width)}};
    return info;
}

const TClassInfo& TBaseRuler::ClassInfo() const {
    return StaticClassInfo();
}

// ---------------------------------------------------------------------------------------------
// Shape defaults

TGPPointF TBaseRuler::SnapPoint(const TGPPointF& P) const {
    return P;
}

TGPPointF TBaseRuler::GetRotateHandle() const {
    const TGPPointF resize = GetResizeHandle();
    return {resize.X - kRotateHandleShift, resize.Y};
}

TGPPoint TBaseRuler::GetMinSize() const {
    return {kBaseMinSize, kBaseMinSize};
}

void TBaseRuler::SetSize(float AWidth, float AHeight) {
    const TGPPoint minimum = GetMinSize();
    // Like a plain maximum, except that a NaN request gives the minimum, not NaN.
    const auto fit = [](float requested, float least) {
        if (!(requested >= least))
            return least;
        return std::fmin(requested, kMaxRulerExtent);
    };
    Width = fit(AWidth, static_cast<float>(minimum.X));
    Height = fit(AHeight, static_cast<float>(minimum.Y));
}

// ---------------------------------------------------------------------------------------------
// Frames

void TBaseRuler::ScreenToRuler(float& X, float& Y) const {
    long double x = static_cast<long double>(X) - OffsetX;
    long double y = static_cast<long double>(Y) - OffsetY;
    RotateAbout(x, y, GetOrigin(), -DegToRad(Angle));
    X = static_cast<float>(x);
    Y = static_cast<float>(y);
}

void TBaseRuler::RulerToScreen(float& X, float& Y) const {
    long double x = X;
    long double y = Y;
    RotateAbout(x, y, GetOrigin(), DegToRad(Angle));
    X = static_cast<float>(x + OffsetX);
    Y = static_cast<float>(y + OffsetY);
}

TGPPointF TBaseRuler::ToLocal(int X, int Y) const {
    float x = static_cast<float>(X);
    float y = static_cast<float>(Y);
    ScreenToRuler(x, y);
    return {x, y};
}

// ---------------------------------------------------------------------------------------------
// Hit tests

namespace {
bool InsideHandle(const TGPPointF& handle, const TGPPointF& P) {
    const long double dx = static_cast<long double>(P.X) - handle.X;
    const long double dy = static_cast<long double>(P.Y) - handle.Y;
    return dx * dx + dy * dy <= static_cast<long double>(kHandleRadius) * kHandleRadius;
}
} // namespace

bool TBaseRuler::IsOnRotateHandle(const TGPPointF& P) const {
    return InsideHandle(GetRotateHandle(), P);
}

bool TBaseRuler::IsOnResizeHandle(const TGPPointF& P) const {
    return InsideHandle(GetResizeHandle(), P);
}

bool TBaseRuler::IsNearEdge(const TGPPointF& P) const {
    if (!EdgeBand || EdgeBandWidth != Width || EdgeBandHeight != Height) {
        auto band = std::make_unique<TGPGraphicsPath>(TFillMode::Alternate);
        GetOutline(*band);
        const TGPPen widener(kPenColor, kEdgeBandWidth);
        band->Widen(widener, nullptr, kEdgeFlatness);
        EdgeBand = std::move(band);
        EdgeBandWidth = Width;
        EdgeBandHeight = Height;
    }
    return EdgeBand->IsVisible(P);
}

// ---------------------------------------------------------------------------------------------
// Drag

void TBaseRuler::MouseDown(TRulerHost* /*Control*/, TMouseButton Button, TShiftState /*Shift*/,
                           int X, int Y) {
    if (Button != TMouseButton::mbLeft)
        return;
    DownPoint = {X, Y};
    DownWidth = Width;
    DownHeight = Height;
    DownOffset = {OffsetX, OffsetY};
    DownLocal = ToLocal(X, Y);
    // The rotate handle wins where both circles hold the point.
    if (IsOnRotateHandle(DownLocal))
        BeginRotate();
    else if (IsOnResizeHandle(DownLocal))
        BeginResize();
    else
        BeginMove();
}

void TBaseRuler::MouseMove(TRulerHost* Control, TShiftState /*Shift*/, int X, int Y) {
    const TGPPointF p = ToLocal(X, Y);
    switch (DragState) {
    case TDragState::Idle:
        UpdateHoverCursor(Control, p);
        break;
    case TDragState::Moving:
        DoMove(Control, X, Y);
        break;
    case TDragState::Rotating:
        DoRotate(Control, p);
        break;
    case TDragState::Resizing:
        DoResize(Control, p);
        break;
    }
}

void TBaseRuler::MouseUp(TRulerHost* Control, TMouseButton /*Button*/, TShiftState /*Shift*/,
                         int /*X*/, int /*Y*/) {
    DragState = TDragState::Idle;
    if (Control != nullptr)
        Control->HideHint();
}

void TBaseRuler::BeginMove() {
    DragState = TDragState::Moving;
}

void TBaseRuler::BeginRotate() {
    DragState = TDragState::Rotating;
    StartAngle = DirectionDegrees(GetOrigin(), DownLocal);
}

void TBaseRuler::BeginResize() {
    DragState = TDragState::Resizing;
}

// Works on the integer window point, so the offsets follow the pointer exactly.
void TBaseRuler::DoMove(TRulerHost* Control, int X, int Y) {
    OffsetX = static_cast<float>(static_cast<long double>(X) + DownOffset.X - DownPoint.X);
    OffsetY = static_cast<float>(static_cast<long double>(Y) + DownOffset.Y - DownPoint.Y);
    if (Control != nullptr)
        Control->Repaint();
}

// p was converted with the current Angle, so its direction is measured in the
// instrument's own frame: turning by the difference keeps the pointer's direction
// relative to the instrument's axis what it was at the press. Angle accumulates turns.
void TBaseRuler::DoRotate(TRulerHost* Control, const TGPPointF& p) {
    const float phi = DirectionDegrees(GetOrigin(), p);
    Angle = static_cast<float>(static_cast<long double>(Angle) + phi - StartAngle);
    if (Control != nullptr) {
        Control->Repaint();
        ShowAngleHint(Control, true);
    }
}

// The size follows the pointer's local displacement since the press; the pivot keeps
// its window position (for instruments whose pivot moves with the size).
void TBaseRuler::DoResize(TRulerHost* Control, const TGPPointF& p) {
    const TGPPointF before = GetOrigin();
    SetSize(static_cast<float>(static_cast<long double>(DownWidth) + p.X - DownLocal.X),
            static_cast<float>(static_cast<long double>(DownHeight) + p.Y - DownLocal.Y));
    const TGPPointF after = GetOrigin();
    OffsetX = static_cast<float>(static_cast<long double>(OffsetX) - after.X + before.X);
    OffsetY = static_cast<float>(static_cast<long double>(OffsetY) - after.Y + before.Y);
    if (Control != nullptr)
        Control->Repaint();
}

// ---------------------------------------------------------------------------------------------
// Drawing

void TBaseRuler::DrawBackground(TGPGraphics& /*graphics*/) {}

// Circles of the hit radius in the body colour with a 1 px rim; the resize handle
// carries a cross. They turn with the instrument.
void TBaseRuler::DrawHandles(TGPGraphics& graphics) {
    const TGPPointF rotate = GetRotateHandle();
    const TGPRectF rotateBox(rotate.X - kHandleRadius, rotate.Y - kHandleRadius, 2 * kHandleRadius,
                             2 * kHandleRadius);
    graphics.FillEllipse(*Brush, rotateBox);
    graphics.DrawEllipse(*Pen, rotateBox);

    const TGPPointF resize = GetResizeHandle();
    const TGPRectF resizeBox(resize.X - kHandleRadius, resize.Y - kHandleRadius, 2 * kHandleRadius,
                             2 * kHandleRadius);
    graphics.FillEllipse(*Brush, resizeBox);
    graphics.DrawEllipse(*Pen, resizeBox);
    graphics.DrawLine(*Pen, resize.X - kHandleRadius, resize.Y, resize.X + kHandleRadius, resize.Y);
    graphics.DrawLine(*Pen, resize.X, resize.Y - kHandleRadius, resize.X, resize.Y + kHandleRadius);
}

void TBaseRuler::DrawScale(TGPGraphics& /*graphics*/) {}

namespace {
// Resets the clip when painting ends, also when a drawing step raises.
class TClipReset {
public:
    explicit TClipReset(TGPGraphics& graphics) : FGraphics(graphics) {}
    ~TClipReset() { FGraphics.ResetClip(); }
    TClipReset(const TClipReset&) = delete;
    TClipReset& operator=(const TClipReset&) = delete;

private:
    TGPGraphics& FGraphics;
};
} // namespace

// Body and handles unclipped, then the scale clipped to the outline, on top of the
// handles where they overlap. Everything is drawn in local coordinates through one
// world transform: rotate about the pivot, then translate by the offsets.
void TBaseRuler::Paint(TGPGraphics& graphics) {
    TSLGDIPfn::SetGraphicsQuality(graphics, true);

    TGPMatrix placement;
    GetPlacement(placement);
    graphics.SetTransform(placement);

    DrawBackground(graphics);
    DrawHandles(graphics);

    TGPGraphicsPath outline(TFillMode::Alternate);
    GetOutline(outline);
    graphics.SetClip(outline, TCombineMode::Replace);
    const TClipReset clipReset(graphics);
    DrawScale(graphics);
}

void TBaseRuler::GetPlacement(TGPMatrix& matrix) const {
    matrix.Reset();
    matrix.Translate(OffsetX, OffsetY, TMatrixOrder::Prepend);
    matrix.RotateAt(Angle, GetOrigin(), TMatrixOrder::Prepend);
}

TGPRectF TBaseRuler::GetPaintBounds() const {
    TGPGraphicsPath drawn(TFillMode::Alternate);
    GetOutline(drawn);
    for (const TGPPointF& handle : {GetRotateHandle(), GetResizeHandle()})
        drawn.AddEllipse(handle.X - kHandleRadius, handle.Y - kHandleRadius, 2 * kHandleRadius,
                         2 * kHandleRadius);
    TGPMatrix placement;
    GetPlacement(placement);
    const TGPRectF bounds = drawn.GetBounds(&placement);
    // Whole world coordinates are pixel centres: a 1 px pen reaches half a pixel beyond
    // the path, anti-aliasing one pixel more.
    return TGPRectF(bounds.X - kPaintMargin, bounds.Y - kPaintMargin,
                    bounds.Width + 2 * kPaintMargin, bounds.Height + 2 * kPaintMargin);
}

void TBaseRuler::EnsureFont(const TFont& AFont) {
    if (FontReady)
        return;
    Font->AssignFont(AFont);
    FontReady = true;
}

// ---------------------------------------------------------------------------------------------
// Pointer feedback

void TBaseRuler::UpdateHoverCursor(TRulerHost* Control, const TGPPointF& P) {
    if (Control == nullptr)
        return;
    if (IsOnRotateHandle(P)) {
        // The custom cursors are loaded on this first use.
        Control->SetCursor(VBCursor().GetCursor(TVBCursor::RotateCursor));
        ShowAngleHint(Control, true);
    } else if (IsOnResizeHandle(P)) {
        Control->SetCursor(crSizeAll);
        ShowAngleHint(Control, false);
    } else {
        Control->SetCursor(crDefault);
        ShowAngleHint(Control, false);
    }
}

void TBaseRuler::ShowAngleHint(TRulerHost* Control, bool Show) {
    if (Control == nullptr)
        return;
    if (!Show) {
        Control->HideHint();
        return;
    }
    Control->ShowHint(AngleHintText(), Control->CursorPos());
}

std::string TBaseRuler::AngleHintText() const {
    // Brought into [0, 360) by remainder, not by repeated steps of 360, which would
    // never end for a huge angle.
    long double normalised = std::fmod(static_cast<long double>(Angle), kFullTurn);
    if (normalised < 0)
        normalised += kFullTurn;
    if (normalised >= kFullTurn)
        normalised = 0;
    char text[64];
    std::snprintf(text, sizeof text, "%.2Lf", kFullTurn - normalised);
    std::string result = text;
    for (char& c : result)
        if (c == '.')
            c = DecimalSeparator();
    return result;
}

// ---------------------------------------------------------------------------------------------
// Cursor snapping

namespace {
// Converts the local point back to the window and stores it, rounded, into the hook's
// X and Y. A point that no screen can show leaves them as they were.
void StoreRounded(const TBaseRuler& ruler, const TGPPointF& local, int& X, int& Y) {
    float x = local.X;
    float y = local.Y;
    ruler.RulerToScreen(x, y);
    int newX = 0;
    int newY = 0;
    if (RoundToPixel(x, newX) && RoundToPixel(y, newY)) {
        X = newX;
        Y = newY;
    }
}

// Writes the point back into the hook's X and Y when a bridge ends, also when a hit
// test or a snap raises; the exception then travels on into the hook.
class TWriteBack {
public:
    TWriteBack(const TBaseRuler& ruler, const TGPPointF& point, int& X, int& Y)
        : FRuler(ruler), FPoint(point), FX(X), FY(Y) {}
    ~TWriteBack() { StoreRounded(FRuler, FPoint, FX, FY); }
    TWriteBack(const TWriteBack&) = delete;
    TWriteBack& operator=(const TWriteBack&) = delete;

private:
    const TBaseRuler& FRuler;
    const TGPPointF& FPoint; // follows the bridge's point as it is snapped
    int& FX;
    int& FY;
};
} // namespace

void TBaseRuler::HookLButtonDown(TMouseButton Button, TShiftState /*Shift*/, int& X, int& Y) {
    if (Button != TMouseButton::mbLeft || DragState != TDragState::Idle)
        return;
    const TGPPointF p = ToLocal(X, Y);
    const TWriteBack writeBack(*this, p, X, Y);
    // The press itself is never moved; engaging only affects the moves that follow.
    if (IsNearEdge(p))
        SnapEngaged = true;
}

void TBaseRuler::HookMouseMove(TShiftState /*Shift*/, int& X, int& Y) {
    if (DragState != TDragState::Idle)
        return;
    TGPPointF p = ToLocal(X, Y);
    const TWriteBack writeBack(*this, p, X, Y);
    if (SnapEngaged) {
        p = SnapPoint(p);
    } else if (IsNearEdge(p)) {
        if (!SnapSticky) {
            p = SnapPoint(p);
            SnapAnchor = p;
            SnapSticky = true;
        } else if (std::fabs(SnapAnchor.X - p.X) > kStickyReleaseDistance ||
                   std::fabs(SnapAnchor.Y - p.Y) > kStickyReleaseDistance) {
            // Pulled too far from the anchor: let this one move through.
            SnapSticky = false;
        } else {
            p = SnapPoint(p);
        }
    }
}

void TBaseRuler::HookLButtonUp(TMouseButton /*Button*/, TShiftState /*Shift*/, int& X, int& Y) {
    const TGPPointF p = ToLocal(X, Y);
    const TWriteBack writeBack(*this, p, X, Y);
    SnapEngaged = false;
}

// ---------------------------------------------------------------------------------------------
// Loading

namespace {
struct TPlacement {
    float Angle = 0;
    float Width = 0;
    float Height = 0;
    float OffsetX = 0;
    float OffsetY = 0;
};

// Replaces what would make painting, hit tests or the cursor run away: non-finite
// values go back to what the instrument had before reading, sizes and offsets are held
// within their bounds, and a huge angle loses its extra turns (its direction on screen
// stays). Sizes below the minimum stay as loaded; the next SetSize raises them.
void KeepPlacementSane(TBaseRuler& ruler, const TPlacement& before) {
    ruler.Width = KeepWithin(ruler.Width, kMaxRulerExtent, before.Width);
    ruler.Height = KeepWithin(ruler.Height, kMaxRulerExtent, before.Height);
    ruler.OffsetX = KeepWithin(ruler.OffsetX, kMaxRulerOffset, before.OffsetX);
    ruler.OffsetY = KeepWithin(ruler.OffsetY, kMaxRulerOffset, before.OffsetY);
    if (!std::isfinite(ruler.Angle))
        ruler.Angle = before.Angle;
    else if (std::fabs(ruler.Angle) > kMaxRulerAngle)
        ruler.Angle =
            static_cast<float>(std::fmod(static_cast<long double>(ruler.Angle), kFullTurn));
}
} // namespace

void TBaseRuler::ReadFromXmlNode(pugi::xml_node node) {
    const TPlacement before{Angle, Width, Height, OffsetX, OffsetY};
    try {
        TXmlPersistent::ReadFromXmlNode(node);
    } catch (...) {
        KeepPlacementSane(*this, before);
        throw;
    }
    KeepPlacementSane(*this, before);
}

// ---------------------------------------------------------------------------------------------
// Registry

void TRulerClassList::Register(const TClassInfo& rulerClass) {
    for (const TClassInfo* item : Items)
        if (item == &rulerClass)
            return;
    Items.push_back(&rulerClass);
}

int TRulerClassList::IndexOfName(const std::string& name) const {
    for (std::size_t i = 0; i < Items.size(); ++i)
        if (platform::SameTextAscii(Items[i]->Name(), name))
            return static_cast<int>(i);
    return -1;
}

const TClassInfo& TRulerClassList::GetItem(int index) const {
    if (index < 0 || index >= GetCount())
        throw EListError(FormatMessage("List index out of bounds (%d)", index));
    return *Items[static_cast<std::size_t>(index)];
}

namespace {
std::unique_ptr<TRulerClassList>& RulerClassListInstance() {
    static std::unique_ptr<TRulerClassList> instance;
    return instance;
}
} // namespace

TRulerClassList& RulerClassList() {
    auto& instance = RulerClassListInstance();
    if (!instance)
        instance = std::make_unique<TRulerClassList>();
    return *instance;
}

void FinalizeBaseRuler() {
    RulerClassListInstance().reset();
}

// ---------------------------------------------------------------------------------------------
// Instrument list

TRulerObjectList::TRulerObjectList() {
    SetOwnsObjects(true);
}

const TClassInfo& TRulerObjectList::StaticClassInfo() {
    static const TClassInfo info{
        "TRulerObjectList", &TXmlObjectList::StaticClassInfo(), {}, Factory<TRulerObjectList>()};
    return info;
}

const TClassInfo& TRulerObjectList::ClassInfo() const {
    return StaticClassInfo();
}

TBaseRuler* TRulerObjectList::GetItem(int index) const {
    return static_cast<TBaseRuler*>(TXmlObjectList::GetItem(index));
}

int TRulerObjectList::IndexOfClassName(const std::string& name) const {
    for (int i = 0; i < GetCount(); ++i)
        if (platform::SameTextAscii(GetItem(i)->ClassName(), name))
            return i;
    return -1;
}

// The element's name alone decides each instrument's class; names that no registered
// class has are skipped. An instrument whose attributes fail to read is discarded and
// the error goes on to the caller.
void TRulerObjectList::ReadFromXmlNode(pugi::xml_node node) {
    Clear();
    if (!node)
        return;
    const pugi::xml_node items = FirstChildIgnoringCase(node, "Items");
    if (!items)
        return;
    for (pugi::xml_node child : items.children()) {
        if (child.type() != pugi::node_element)
            continue;
        const int classIndex = RulerClassList().IndexOfName(child.name());
        if (classIndex < 0)
            continue;
        std::unique_ptr<TPersistent> created = RulerClassList().GetItem(classIndex).Create();
        auto* ruler = dynamic_cast<TBaseRuler*>(created.get());
        if (ruler == nullptr)
            continue;
        std::unique_ptr<TBaseRuler> owned(ruler);
        created.release();
        owned->ReadFromXmlNode(child);
        AddItem(std::unique_ptr<TXmlPersistent>(std::move(owned)));
    }
}
