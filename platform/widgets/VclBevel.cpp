#include "platform/widgets/VclBevel.h"

#include <QFrame>

TBevel::TBevel(TComponent* owner) : TControl(owner, new QFrame) {
    SetShape(TBevelShape::bsBox);
}

void TBevel::SetShape(TBevelShape shape) {
    Shape_ = shape;
    auto* frame = static_cast<QFrame*>(Widget());
    if (!frame)
        return;
    frame->setFrameStyle((shape == TBevelShape::bsBox ? QFrame::Box : QFrame::HLine) |
                         QFrame::Sunken);
}
