#pragma once
// The picture the main window shows and the window shape it gives: one instrument drawn
// on a transparent image as big as the part of its bounding box that lies on the window,
// no bigger, placed at its window position. The pixels the instrument covers (any alpha
// above zero) form the shape; everywhere else the window is neither visible nor
// clickable, so the desktop shows through and takes the clicks. Black pixels of the
// instrument belong to it like any other colour.
//
// What a picture costs is bounded by the instrument and by the window alike: an
// instrument larger than the desktop (sizes go up to kMaxRulerExtent) costs no more than
// the desktop. Moving the instrument by whole pixels keeps the picture and its shape and
// only places them anew, as long as the same part of it lies on the window; turning or
// resizing it, or moving it across the window's edge, draws the visible part again.

#include <QImage>
#include <QRect>
#include <QRegion>

class TBaseRuler;
class TFont;

class TInstrumentFrame {
public:
    // Brings the picture up to date with ruler (drawn with the window font font, which
    // the instrument takes once) on a window whose client rectangle is window (window
    // pixels, so its top-left is (0, 0)). Returns the window rectangle whose pixels
    // changed: the new picture's; what the old picture covered outside it leaves the
    // shape.
    QRect Update(TBaseRuler& ruler, const TFont& font, const QRect& window);
    // Forgets the picture: nothing shown, no shape.
    void Clear();

    // Whether the picture shows ruler as it is now on that window.
    bool Shows(const TBaseRuler& ruler, const QRect& window) const;

    const QImage& Picture() const { return FPicture; }
    // The picture's place in the window.
    QRect Bounds() const { return QRect(FOrigin, FPicture.size()); }
    // The covered pixels, in window coordinates; may be empty.
    QRegion Shape() const { return FShape.translated(FOrigin); }

private:
    // What the picture depends on apart from the instrument's whole-pixel position.
    struct TLook {
        const TBaseRuler* Ruler = nullptr;
        float Width = 0, Height = 0, Angle = 0;
        float FractionX = 0, FractionY = 0; // of the offsets, in [0, 1)
        bool operator==(const TLook&) const = default;
    };
    static TLook LookOf(const TBaseRuler& ruler);
    // The whole-pixel part of the instrument's offsets.
    static QPoint AnchorOf(const TBaseRuler& ruler);
    // The part of the painted area that lies on window, relative to the anchor.
    QRect VisiblePart(QPoint anchor, const QRect& window) const;
    void Render(TBaseRuler& ruler, const QRect& window);

    TLook FLook;
    QPoint FAnchor;     // AnchorOf the instrument when it was drawn or last moved
    QRect FPaintBounds; // whole pixels Paint may touch, relative to FAnchor
    QRect FVisible;     // the part of FPaintBounds on the window when drawn, likewise
    QRect FWindow;      // the window rectangle the picture was made or placed for
    QPoint FOrigin;     // the picture's top-left corner, window pixels
    QImage FPicture;    // premultiplied ARGB, the size of FVisible (at least 1 x 1)
    QRegion FShape;     // covered pixels, picture coordinates
};

// The pixels of image whose alpha is above zero, as rectangles in image coordinates.
QRegion CoveredRegion(const QImage& image);
