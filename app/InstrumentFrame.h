#pragma once
// The picture the main window shows and the window shape it gives: one instrument drawn
// on a transparent image as big as the instrument's bounding box, no bigger, placed at
// its window position. The pixels the instrument covers (any alpha above zero) form the
// shape; everywhere else the window is neither visible nor clickable, so the desktop
// shows through and takes the clicks. Black pixels of the instrument belong to it like
// any other colour.
//
// What a picture costs depends on the instrument alone: moving the instrument by whole
// pixels keeps the picture and its shape and only places them anew; turning or resizing
// it draws the bounding box again. Nothing the size of the desktop is drawn or scanned.

#include <QImage>
#include <QRect>
#include <QRegion>

class TBaseRuler;
class TFont;

class TInstrumentFrame {
public:
    // Brings the picture up to date with ruler (drawn with the window font font, which
    // the instrument takes once). Returns the window rectangle whose pixels changed:
    // the new picture's; what the old picture covered outside it leaves the shape.
    QRect Update(TBaseRuler& ruler, const TFont& font);
    // Forgets the picture: nothing shown, no shape.
    void Clear();

    // Whether the picture shows ruler as it is now.
    bool Shows(const TBaseRuler& ruler) const;

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
    void Render(TBaseRuler& ruler);

    TLook FLook;
    QPoint FAnchor;  // AnchorOf the instrument when it was drawn or last moved
    QPoint FOrigin;  // the picture's top-left corner, window pixels
    QImage FPicture; // premultiplied ARGB, the size of the bounding box
    QRegion FShape;  // covered pixels, picture coordinates
};

// The pixels of image whose alpha is above zero, as rectangles in image coordinates.
QRegion CoveredRegion(const QImage& image);
