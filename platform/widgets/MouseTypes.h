#pragma once
// The mouse button and the modifier state that mouse events carry, shaped like the
// class library's: a button enum and a set of flags.

#include <cstdint>

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// A set of held modifier keys and mouse buttons, one bit each.
using TShiftState = std::uint32_t;
enum TShiftStateFlag : TShiftState {
    ssShift = 1u << 0,
    ssAlt = 1u << 1,
    ssCtrl = 1u << 2,
    ssLeft = 1u << 3,
    ssRight = 1u << 4,
    ssMiddle = 1u << 5,
    ssDouble = 1u << 6,
};
