#pragma once
// The on-screen measuring instrument that every kind derives from: its saved
// placement, its two coordinate frames, the rotate and resize handles, the test for
// the band around its edge, the move/rotate/resize drag, the paint sequence, the
// pointer feedback over the handles and the bridges that pull the system cursor onto
// its edge. A concrete instrument supplies its shape (outline, handles, pivot,
// minimum size), its drawing and where on its edge a point snaps to.
//
// Frames (all pixels, x to the right, y downward):
// - window: the main window's client area, which covers the virtual desktop;
// - local: the instrument's own unrotated frame, (0, 0) the top-left corner of its
//   bounding box, x along Width, y along Height.
// Local -> window: rotate about the pivot (GetOrigin) by Angle degrees (positive is
// clockwise on screen), then translate by (OffsetX, OffsetY).

#include "foundation/XmlPersistent.h"
#include "platform/graphics/GPTypes.h"
#include "rulers/RulerHost.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TGPGraphics;
class TGPGraphicsPath;
class TGPMatrix;
class TGPPen;
class TGPSolidBrush;
class TSLFontEx;
class TFont;

// Bounds that keep a damaged settings file or a runaway value from making a paint
// hang or exhaust memory: the centimetre scale walks one step per centimetre of its
// length, and float coordinates lose whole pixels far from the origin.
constexpr float kMaxRulerExtent = 100000.0f; // px, largest Width or Height
constexpr float kMaxScaleLength = kMaxRulerExtent;
constexpr float kMaxRulerOffset = 1000000.0f; // px, largest |OffsetX| or |OffsetY|
constexpr float kMaxRulerAngle = 3600000.0f;  // degrees (10000 turns) kept unreduced

enum class TDragState : std::uint8_t { Idle = 0, Moving = 1, Rotating = 2, Resizing = 3 };

class TBaseRuler : public TXmlPersistent {
public:
    TBaseRuler();
    ~TBaseRuler() override;
    TBaseRuler(const TBaseRuler&) = delete;
    TBaseRuler& operator=(const TBaseRuler&) = delete;

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override;

    // Saved placement. Plain fields: no notification and no clamping (SetSize keeps
    // the minimum, loading keeps the bounds above).
    float Angle = 0;       // degrees, clockwise on screen, never normalised
    float Height = 500;    // local y extent, px
    float OffsetX = 0;     // window x of the local origin before rotation
    float OffsetY = 0;     // window y of the local origin before rotation
    bool Selected = false; // the current instrument (kept by the settings model)
    float Width = 500;     // local x extent, px

    // --- Shape, supplied by the instruments (local coordinates) ---

    // Where the cursor goes when it is pulled onto the edge from P: a finite point
    // just outside the outline. The base never moves the cursor.
    virtual TGPPointF SnapPoint(const TGPPointF& P) const;
    // Adds the closed outline of the body to path.
    virtual void GetOutline(TGPGraphicsPath& path) const = 0;
    // Centre of the rotate handle; the base puts it 32 px left of the resize handle.
    virtual TGPPointF GetRotateHandle() const;
    virtual TGPPointF GetResizeHandle() const = 0;
    // The pivot of rotation.
    virtual TGPPointF GetOrigin() const = 0;

    // --- Drawing, in local coordinates (Paint sets the world transform) ---
    virtual void DrawBackground(TGPGraphics& graphics);
    virtual void DrawHandles(TGPGraphics& graphics);
    virtual void DrawScale(TGPGraphics& graphics);

    // Smallest Width and Height SetSize allows.
    virtual TGPPoint GetMinSize() const;
    // Takes a new size, raised to at least GetMinSize (and bounded by kMaxRulerExtent);
    // the offsets stay. Instruments apply their own rule first, then call this.
    virtual void SetSize(float AWidth, float AHeight);

    // --- Frames ---
    void ScreenToRuler(float& X, float& Y) const; // window -> local, in place
    void RulerToScreen(float& X, float& Y) const; // local -> window, in place

    // --- Hit tests (local point) ---
    bool IsOnRotateHandle(const TGPPointF& P) const;
    bool IsOnResizeHandle(const TGPPointF& P) const;
    // Within 8 px of the outline, inside or outside.
    bool IsNearEdge(const TGPPointF& P) const;

    // --- Mouse events of the main window (window coordinates) ---
    // Control is the window the instrument is shown in; it may be null, and then
    // the instrument changes itself without any feedback.
    void MouseDown(TRulerHost* Control, TMouseButton Button, TShiftState Shift, int X, int Y);
    void MouseMove(TRulerHost* Control, TShiftState Shift, int X, int Y);
    void MouseUp(TRulerHost* Control, TMouseButton Button, TShiftState Shift, int X, int Y);

    // --- Painting and pointer feedback ---
    // Draws the instrument; on return the world transform is still the instrument's
    // and the clip is reset.
    void Paint(TGPGraphics& graphics);
    // The world transform of Paint: local -> window.
    void GetPlacement(TGPMatrix& matrix) const;
    // The window rectangle that Paint draws into: the outline and both handles through
    // the placement, with room for the pen and the anti-aliased fringe.
    TGPRectF GetPaintBounds() const;
    // Takes the window's font for the scale labels, once: later calls, and later
    // changes of the window's font, change nothing.
    void EnsureFont(const TFont& AFont);
    void UpdateHoverCursor(TRulerHost* Control, const TGPPointF& P);
    void ShowAngleHint(TRulerHost* Control, bool Show);
    // The text of the angle hint: the counter-clockwise reading 360 - Angle (brought
    // into [0, 360)), two decimals, the locale's decimal separator, no degree sign.
    std::string AngleHintText() const;

    // --- Cursor snapping: the mouse hook's events (screen = window coordinates) ---
    void HookLButtonDown(TMouseButton Button, TShiftState Shift, int& X, int& Y);
    void HookMouseMove(TShiftState Shift, int& X, int& Y);
    void HookLButtonUp(TMouseButton Button, TShiftState Shift, int& X, int& Y);

    // Run-time state, read only from outside.
    TDragState GetDragState() const { return DragState; }
    bool GetSnapEngaged() const { return SnapEngaged; }
    bool GetSnapSticky() const { return SnapSticky; }
    TGPPointF GetSnapAnchor() const { return SnapAnchor; }

    // Reads the saved placement, then keeps every value finite and within the bounds
    // above, so that no settings file can make the instrument unusable.
    void ReadFromXmlNode(pugi::xml_node node) override;

protected:
    // Drawing objects, owned: the 1 px black pen for outlines, ticks and handle rims,
    // the sky-blue brush that fills the body and the handles, and the font (with its own
    // text brush) of the scale labels.
    std::unique_ptr<TGPPen> Pen;
    std::unique_ptr<TGPSolidBrush> Brush;
    std::unique_ptr<TSLFontEx> Font;
    bool FontReady = false; // Font holds the window's font

private:
    void BeginMove();
    void BeginRotate();
    void BeginResize();
    void DoMove(TRulerHost* Control, int X, int Y);
    void DoRotate(TRulerHost* Control, const TGPPointF& p);
    void DoResize(TRulerHost* Control, const TGPPointF& p);
    TGPPointF ToLocal(int X, int Y) const;

    // The widened outline depends on the size alone (every instrument's outline is a
    // function of Width and Height). Widening a circle costs more than a hooked mouse
    // move may take, so the band is kept until the size changes.
    mutable std::unique_ptr<TGPGraphicsPath> EdgeBand;
    mutable float EdgeBandWidth = 0;
    mutable float EdgeBandHeight = 0;

    bool SnapEngaged = false;   // a left press near the edge; every move is projected
    bool SnapSticky = false;    // the cursor was pulled onto the edge at SnapAnchor
    TGPPointF SnapAnchor{0, 0}; // local
    TDragState DragState = TDragState::Idle;
    TGPPointF DownLocal{0, 0};  // pointer at the last left press, local
    TGPPointF DownOffset{0, 0}; // OffsetX, OffsetY at the last left press
    float DownWidth = 0;
    float DownHeight = 0;
    float StartAngle = 0;     // degrees in [0, 360): pointer direction at rotate start
    TGPPoint DownPoint{0, 0}; // pointer at the last left press, window
};

// The registry of instrument kinds, in registration order. The order is the order of
// new instruments in the settings model and makes the first kind the default one.
class TRulerClassList {
public:
    // Appends the class unless it is already registered (compared by identity).
    void Register(const TClassInfo& rulerClass);
    // Index of the first class whose name equals name ignoring letter case, -1 if none.
    int IndexOfName(const std::string& name) const;
    const TClassInfo& GetItem(int index) const;
    int GetCount() const { return static_cast<int>(Items.size()); }

private:
    std::vector<const TClassInfo*> Items;
};

// The registry, created on first use; FinalizeBaseRuler frees it.
TRulerClassList& RulerClassList();
void FinalizeBaseRuler();

// The saved list of instruments. It owns them and is written like any object list;
// reading picks each instrument's class by its element's name through the registry.
class TRulerObjectList : public TXmlObjectList {
public:
    TRulerObjectList();

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override;

    TBaseRuler* GetItem(int index) const;
    // Index of the first instrument whose class name equals name ignoring case, -1 if none.
    int IndexOfClassName(const std::string& name) const;
    void ReadFromXmlNode(pugi::xml_node node) override;
};
