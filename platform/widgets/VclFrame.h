#pragma once
// TFrame: a reusable group of controls placed on a window like one control. It has its
// own font and its own section in the language file.

#include "platform/widgets/VclControl.h"

class TFrame : public TControl {
public:
    explicit TFrame(TComponent* owner);
};
