#include "platform/widgets/VclPanel.h"

#include <QLabel>

namespace {
constexpr int kBevelWidth = 1;
}

// A label is a frame that can hold child widgets and centres its text, which is all a
// panel needs.
TPanel::TPanel(TComponent* owner) : TControl(owner, new QLabel) {
    auto* label = static_cast<QLabel*>(Widget());
    label->setAlignment(Qt::AlignCenter);
    label->setTextFormat(Qt::PlainText); // captions come from the language file
    label->setWordWrap(false);
    ApplyBevels();
}

std::string TPanel::GetText() const {
    return Widget() ? FromQtLineBreaks(static_cast<QLabel*>(Widget())->text().toStdString())
                    : std::string();
}

void TPanel::SetText(const std::string& caption) {
    if (Widget())
        static_cast<QLabel*>(Widget())->setText(QString::fromStdString(ToQtLineBreaks(caption)));
}

void TPanel::SetBevelOuter(TBevelCut bevel) {
    BevelOuter_ = bevel;
    ApplyBevels();
}

void TPanel::SetBevelInner(TBevelCut bevel) {
    BevelInner_ = bevel;
    ApplyBevels();
}

void TPanel::SetParentBackground(bool value) {
    if (Widget())
        Widget()->setAutoFillBackground(!value);
}

int TPanel::FrameInset() const {
    return (BevelOuter_ != TBevelCut::bvNone ? kBevelWidth : 0) +
           (BevelInner_ != TBevelCut::bvNone ? kBevelWidth : 0);
}

void TPanel::ApplyBevels() {
    auto* frame = static_cast<QFrame*>(Widget());
    if (!frame)
        return;
    const TBevelCut shown = BevelOuter_ != TBevelCut::bvNone ? BevelOuter_ : BevelInner_;
    if (shown == TBevelCut::bvNone) {
        frame->setFrameStyle(QFrame::NoFrame);
    } else {
        frame->setFrameStyle(QFrame::Panel |
                             (shown == TBevelCut::bvRaised ? QFrame::Raised : QFrame::Sunken));
        frame->setLineWidth(FrameInset());
    }
    AlignControls();
}

void TPanel::DefinePublishedStrings(std::vector<TPublishedString>& list) {
    TControl::DefinePublishedStrings(list);
    list.push_back({"Caption", [this] { return Caption(); },
                    [this](const std::string& value) { SetCaption(value); }});
}
