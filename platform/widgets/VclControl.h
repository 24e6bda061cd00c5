#pragma once
// TControl: a component with a Qt widget. It carries what the class library's controls
// carry: a parent, bounds in the parent's client coordinates (pixels), alignment to
// an edge of the parent, anchors, visibility, a hint, a font and an action binding.
// The control owns its widget; Qt may free the widget first (when a parent widget
// goes), and the control then just forgets it.

#include "platform/widgets/VclComponent.h"
#include "platform/widgets/VclGraphics.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

class TCustomForm;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

struct TAnchors {
    bool Left = true;
    bool Top = true;
    bool Right = false;
    bool Bottom = false;
};

class TControl : public TComponent {
public:
    // Takes ownership of the widget, which the derived class has just made.
    TControl(TComponent* owner, QWidget* widget);
    ~TControl() override;

    QWidget* Widget() const { return Widget_; }
    void SetName(const std::string& name) override;

    void SetParent(TControl* parent);
    // The form this control sits on (following parents), or the control itself when
    // it is a form; null when it is on none.
    TCustomForm* ParentForm() const;

    int Left() const { return Bounds_.left(); }
    int Top() const { return Bounds_.top(); }
    int Width() const { return Bounds_.width(); }
    int Height() const { return Bounds_.height(); }
    void SetBounds(int left, int top, int width, int height);
    int ClientWidth() const;
    int ClientHeight() const;
    void SetClientSize(int width, int height);

    void SetAlign(TAlign align);
    void SetAnchors(const TAnchors& anchors);
    // Inner margin, in pixels, that aligned child controls keep from the edges.
    void SetBorderWidth(int width);

    bool Visible() const { return Visible_; }
    virtual void SetVisible(bool visible);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    std::string Hint() const;
    void SetHint(const std::string& hint);
    // The control's font; its colour is the colour of the control's text. A control
    // follows its parent's font (ParentFont) until its own font is changed.
    TFont& Font() { return Font_; }
    bool ParentFont() const { return ParentFont_; }
    // True takes the parent's font at once and follows it from then on.
    void SetParentFont(bool value);

    TAction* GetAction() const override { return Action_; }
    void SetAction(TAction* action);

    // Caption/Text of controls that have one; the texts keep CR LF line breaks.
    virtual std::string GetText() const { return {}; }
    virtual void SetText(const std::string&) {}

    // Lays the aligned and anchored child controls out in the client area.
    void AlignControls();

protected:
    void DefinePublishedStrings(std::vector<TPublishedString>& list) override;
    // The bound action changed (or was just bound): take over its caption, hint,
    // enabled and visible state.
    virtual void ActionChanged();
    // Inset of the client area inside the widget, in pixels (bevels of panels).
    virtual int FrameInset() const { return 0; }
    void ApplyBounds(const QRect& bounds);

private:
    friend class TAction;
    friend class TControlEventFilter;
    void RememberAnchorDistances();
    void ParentResized(int clientWidth, int clientHeight);
    void FontChanged();
    void TakeParentFont();

    QPointer<QWidget> Widget_;
    TControl* Parent_ = nullptr;
    std::vector<TControl*> Children_;
    QRect Bounds_;
    TAlign Align_ = TAlign::alNone;
    TAnchors Anchors_;
    int AnchorRight_ = 0;  // distance to the parent's right client edge when placed
    int AnchorBottom_ = 0; // distance to the parent's bottom client edge when placed
    int BorderWidth_ = 0;
    bool Visible_ = true;
    TFont Font_;
    bool ParentFont_ = true;
    bool TakingParentFont_ = false;
    TAction* Action_ = nullptr;
    QObject* EventFilter_ = nullptr;
};

// Texts of the class library end lines with CR LF, Qt's with LF alone.
std::string ToQtLineBreaks(const std::string& text);
std::string FromQtLineBreaks(const std::string& text);
