#include "platform/widgets/VclFrame.h"

TFrame::TFrame(TComponent* owner) : TControl(owner, new QWidget) {
    Widget()->setFont(Font().ToQFont());
}
