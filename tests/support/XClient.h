#pragma once
// A plain X client of its own on a display (the default one or a test's private
// server): it reads the screen's size and pixels, a window's shape as the X server
// holds it, and sends real pointer and key input through XTest. Positions are screen
// pixels of that display.

#include <QImage>
#include <QRegion>
#include <QSize>
#include <QString>

#include <functional>
#include <vector>

struct _XDisplay;

class TXClient {
public:
    // displayName empty: $DISPLAY. Throws when the display cannot be opened.
    explicit TXClient(const QString& displayName = {});
    ~TXClient();
    TXClient(const TXClient&) = delete;
    TXClient& operator=(const TXClient&) = delete;

    QSize ScreenSize() const;
    // The root window's pixels in rect (opaque RGB32).
    QImage Grab(const QRect& rect) const;
    QImage GrabScreen() const { return Grab(QRect(QPoint(0, 0), ScreenSize())); }

    // The mapped top-level windows, bottom to top.
    std::vector<unsigned long> TopLevelWindows() const;
    // The window's bounding shape in screen coordinates: its rectangle when it has no
    // shape of its own.
    QRegion WindowShape(unsigned long window) const;
    QRect WindowGeometry(unsigned long window) const;
    // Where the window is with the frame a window manager put around it: the rectangle of
    // its top-level ancestor (the window itself without a window manager).
    QRect FrameGeometry(unsigned long window) const;
    // Whether the window has a shape of its own that cuts part of it away, as the program's
    // desktop-wide window has from the moment it shows its instrument.
    bool IsCutToShape(unsigned long window) const;

    // Each returns once the server has carried the input out.
    void MoveTo(QPoint screenPos) const;
    void Press(unsigned button = 1) const;
    void Release(unsigned button = 1) const;
    // Keys by X names, modifiers joined with "+": "Right", "shift+Down", "ctrl+Left".
    void Key(const QString& keys) const;

private:
    _XDisplay* FDisplay = nullptr;
};

// Pixels of image inside rect that match.
int CountPixels(const QImage& image, const QRect& rect, const std::function<bool(QColor)>& match);
