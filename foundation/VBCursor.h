#pragma once
// The program's own mouse cursors, numbers 300 to 331, put into the screen's cursor table
// under the same numbers so that a window shows one by setting its cursor to the number.
// Number 312 is the rotate cursor that the instruments show over their rotate handle.
//
// One instance exists, made on the first call of VBCursor() (which is when the cursors are
// loaded) and freed by FinalizeVBCursor() at shut-down.

#include <cstdint>

class TVBCursor {
public:
    static constexpr std::int16_t FirstCursor = 300;
    static constexpr std::int16_t LastCursor = 331;
    static constexpr std::int16_t RotateCursor = 312;

    // Loads every cursor from FirstCursor to LastCursor, in rising order, into the table.
    // One that cannot be loaded leaves its number without a cursor.
    TVBCursor();
    // Destroys the loaded cursors and takes them out of the table, so that a window that
    // still asks for one of these numbers gets the default cursor instead of a freed one.
    ~TVBCursor();
    TVBCursor(const TVBCursor&) = delete;
    TVBCursor& operator=(const TVBCursor&) = delete;

    // The table number under which the cursor is shown: the number itself.
    std::int16_t GetCursor(std::int16_t cursor) const { return cursor; }
};

TVBCursor& VBCursor();
// Frees the instance if it was ever made; a later VBCursor() makes a new one.
void FinalizeVBCursor();
