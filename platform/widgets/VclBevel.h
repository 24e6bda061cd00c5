#pragma once
// TBevel: a sunken line or box that separates parts of a window.

#include "platform/widgets/VclControl.h"

enum class TBevelShape { bsBox, bsTopLine, bsBottomLine };

class TBevel : public TControl {
public:
    explicit TBevel(TComponent* owner);

    void SetShape(TBevelShape shape);

private:
    TBevelShape Shape_ = TBevelShape::bsBox;
};
