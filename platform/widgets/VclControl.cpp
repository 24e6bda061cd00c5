#include "platform/widgets/VclControl.h"

#include "platform/widgets/VclAction.h"
#include "platform/widgets/VclForm.h"

#include <QEvent>
#include <QResizeEvent>

// Hears of resizes that do not come through SetBounds (the user drags a window
// edge, the window manager sizes a top-level window) and lays the children out again.
class TControlEventFilter : public QObject {
public:
    explicit TControlEventFilter(TControl* control) : Control_(control) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize && watched == Control_->Widget()) {
            const QSize size = static_cast<QResizeEvent*>(event)->size();
            if (size != Control_->Bounds_.size()) {
                Control_->Bounds_.setSize(size);
                Control_->AlignControls();
            }
        }
        return false;
    }

private:
    TControl* Control_;
};

std::string ToQtLineBreaks(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            result.push_back(text[i]);
    return result;
}

std::string FromQtLineBreaks(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            result.push_back('\r');
        result.push_back(text[i]);
    }
    return result;
}

TControl::TControl(TComponent* owner, QWidget* widget) : TComponent(owner), Widget_(widget) {
    Bounds_ = QRect(Widget_->pos(), Widget_->size());
    EventFilter_ = new TControlEventFilter(this);
    Widget_->installEventFilter(EventFilter_);
    Font_.OnChange = [this] { FontChanged(); };
}

TControl::~TControl() {
    SetAction(nullptr);
    for (TControl* child : Children_)
        child->Parent_ = nullptr;
    if (Parent_)
        std::erase(Parent_->Children_, this);
    delete EventFilter_;
    delete Widget_.data();
}

void TControl::SetName(const std::string& name) {
    TComponent::SetName(name);
    if (Widget_)
        Widget_->setObjectName(QString::fromStdString(name));
}

void TControl::SetParent(TControl* parent) {
    if (parent == Parent_)
        return;
    if (Parent_)
        std::erase(Parent_->Children_, this);
    Parent_ = parent;
    if (Parent_)
        Parent_->Children_.push_back(this);
    if (Widget_) {
        Widget_->setParent(Parent_ ? Parent_->Widget() : nullptr);
        Widget_->setGeometry(Bounds_);
        Widget_->setVisible(Visible_ && Parent_);
    }
    if (Parent_ && ParentFont_)
        TakeParentFont();
    if (Parent_) {
        RememberAnchorDistances();
        Parent_->AlignControls();
    }
}

TCustomForm* TControl::ParentForm() const {
    for (const TControl* control = this; control; control = control->Parent_)
        if (auto* form = dynamic_cast<const TCustomForm*>(control))
            return const_cast<TCustomForm*>(form);
    return nullptr;
}

void TControl::SetBounds(int left, int top, int width, int height) {
    ApplyBounds(QRect(left, top, width, height));
    RememberAnchorDistances();
    if (Parent_ && Align_ != TAlign::alNone)
        Parent_->AlignControls();
}

void TControl::ApplyBounds(const QRect& bounds) {
    const bool resized = bounds.size() != Bounds_.size();
    Bounds_ = bounds;
    if (Widget_)
        Widget_->setGeometry(Bounds_);
    if (resized)
        AlignControls();
}

int TControl::ClientWidth() const {
    return Width();
}

int TControl::ClientHeight() const {
    return Height();
}

void TControl::SetClientSize(int width, int height) {
    SetBounds(Left(), Top(), width, height);
}

void TControl::SetAlign(TAlign align) {
    Align_ = align;
    if (Parent_)
        Parent_->AlignControls();
}

void TControl::SetAnchors(const TAnchors& anchors) {
    Anchors_ = anchors;
    RememberAnchorDistances();
}

void TControl::SetBorderWidth(int width) {
    BorderWidth_ = width;
    AlignControls();
}

void TControl::SetVisible(bool visible) {
    Visible_ = visible;
    // A top-level window is shown by its form (Show, ShowModal), a child with its parent.
    if (Widget_ && Parent_)
        Widget_->setVisible(visible);
    if (Parent_ && Align_ != TAlign::alNone)
        Parent_->AlignControls();
}

bool TControl::Enabled() const {
    return Widget_ ? Widget_->isEnabled() : false;
}

void TControl::SetEnabled(bool enabled) {
    if (Widget_)
        Widget_->setEnabled(enabled);
}

std::string TControl::Hint() const {
    return Widget_ ? FromQtLineBreaks(Widget_->toolTip().toStdString()) : std::string();
}

void TControl::SetHint(const std::string& hint) {
    if (Widget_)
        Widget_->setToolTip(QString::fromStdString(ToQtLineBreaks(hint)));
}

void TControl::SetParentFont(bool value) {
    ParentFont_ = value;
    if (value && Parent_)
        TakeParentFont();
}

// Shows the font (face, size, style and the text colour) on the widget and hands it on
// to the children that follow their parent's font. A change that does not come from
// the parent makes the font the control's own.
void TControl::FontChanged() {
    if (!TakingParentFont_)
        ParentFont_ = false;
    if (Widget_) {
        Widget_->setFont(Font_.ToQFont());
        QPalette palette = Widget_->palette();
        const QColor text = ColorToQColor(Font_.Color());
        palette.setColor(QPalette::WindowText, text);
        palette.setColor(QPalette::Text, text);
        Widget_->setPalette(palette);
    }
    for (TControl* child : Children_)
        if (child->ParentFont_)
            child->TakeParentFont();
}

void TControl::TakeParentFont() {
    TakingParentFont_ = true;
    Font_.Assign(Parent_->Font_);
    TakingParentFont_ = false;
}

void TControl::SetAction(TAction* action) {
    if (Action_)
        Action_->UnlinkClient(this);
    Action_ = action;
    if (Action_) {
        Action_->LinkClient(
            this, [this] { ActionChanged(); }, [this] { Action_ = nullptr; });
        ActionChanged();
    }
}

void TControl::ActionChanged() {
    if (!Action_)
        return;
    SetText(Action_->Caption());
    SetHint(Action_->Hint());
    SetEnabled(Action_->Enabled());
    SetVisible(Action_->Visible());
}

void TControl::DefinePublishedStrings(std::vector<TPublishedString>& list) {
    TComponent::DefinePublishedStrings(list);
    list.push_back(
        {"Hint", [this] { return Hint(); }, [this](const std::string& value) { SetHint(value); }});
}

void TControl::RememberAnchorDistances() {
    if (!Parent_)
        return;
    AnchorRight_ = Parent_->ClientWidth() - Bounds_.right() - 1;
    AnchorBottom_ = Parent_->ClientHeight() - Bounds_.bottom() - 1;
}

void TControl::ParentResized(int clientWidth, int clientHeight) {
    QRect bounds = Bounds_;
    if (Anchors_.Right) {
        const int right = clientWidth - AnchorRight_;
        if (Anchors_.Left)
            bounds.setRight(right - 1);
        else
            bounds.moveRight(right - 1);
    }
    if (Anchors_.Bottom) {
        const int bottom = clientHeight - AnchorBottom_;
        if (Anchors_.Top)
            bounds.setBottom(bottom - 1);
        else
            bounds.moveBottom(bottom - 1);
    }
    if (bounds != Bounds_)
        ApplyBounds(bounds);
}

// The class library's order: top, bottom, left and right edges take their strips from
// the remaining client rectangle in that order, then client-aligned controls fill what
// is left. Controls of one kind go in the order they were placed on the parent.
void TControl::AlignControls() {
    const int inset = BorderWidth_ + FrameInset();
    QRect rest(inset, inset, ClientWidth() - 2 * inset, ClientHeight() - 2 * inset);
    const auto place = [&](TAlign align) {
        for (TControl* child : Children_) {
            if (child->Align_ != align || !child->Visible_)
                continue;
            QRect bounds = child->Bounds_;
            switch (align) {
            case TAlign::alTop:
                bounds = QRect(rest.left(), rest.top(), rest.width(), bounds.height());
                rest.setTop(rest.top() + bounds.height());
                break;
            case TAlign::alBottom:
                bounds = QRect(rest.left(), rest.bottom() + 1 - bounds.height(), rest.width(),
                               bounds.height());
                rest.setBottom(rest.bottom() - bounds.height());
                break;
            case TAlign::alLeft:
                bounds = QRect(rest.left(), rest.top(), bounds.width(), rest.height());
                rest.setLeft(rest.left() + bounds.width());
                break;
            case TAlign::alRight:
                bounds = QRect(rest.right() + 1 - bounds.width(), rest.top(), bounds.width(),
                               rest.height());
                rest.setRight(rest.right() - bounds.width());
                break;
            default:
                bounds = rest;
                break;
            }
            child->ApplyBounds(bounds);
        }
    };
    for (TAlign align :
         {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient})
        place(align);
    for (TControl* child : Children_)
        if (child->Align_ == TAlign::alNone)
            child->ParentResized(ClientWidth(), ClientHeight());
}
