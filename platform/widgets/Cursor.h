#pragma once
// Mouse cursors: the cursor images the program carries (numbered resources), handles to
// loaded cursors, and the screen's cursor table through which a window shows a cursor by
// number. Numbers 0 and below are the class library's standard cursors (see
// platform/widgets/CursorQt.h); positive numbers are the program's own, once put in the table.

#include <cstdint>

namespace platform {

class TCursorImage;
// A loaded cursor; null stands for "no cursor". Made by LoadCursorResource, freed by
// DestroyCursor.
using HCURSOR = TCursorImage*;

struct TCursorInfo {
    int Width = 0;
    int Height = 0;
    int HotSpotX = 0; // pixels from the image's left edge
    int HotSpotY = 0; // pixels from the image's top edge
};

// Loads the program's cursor resource number; null when it carries none under that number.
HCURSOR LoadCursorResource(int number);
void DestroyCursor(HCURSOR cursor);
TCursorInfo GetCursorInfo(HCURSOR cursor);

// The screen's cursor table. Storing null removes the entry, so the number shows the
// default cursor again. The table does not own the handles.
void SetScreenCursor(std::int16_t number, HCURSOR cursor);
HCURSOR GetScreenCursor(std::int16_t number);

} // namespace platform
