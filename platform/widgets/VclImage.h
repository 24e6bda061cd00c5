#pragma once
// TImage: a control that shows a picture. With Stretch the picture fills the control;
// with AutoSize the control takes the picture's size when one is loaded.

#include "platform/widgets/VclControl.h"

#include <string>

class TImage : public TControl {
public:
    explicit TImage(TComponent* owner);

    // Loads the picture from a file or a Qt resource path (":/..."); false when it
    // cannot be read, and the control then shows nothing.
    bool LoadPicture(const std::string& fileName);
    bool HasPicture() const;
    int PictureWidth() const;
    int PictureHeight() const;

    void SetAutoSize(bool value);
    void SetStretch(bool value);
    // The parent's background shows where the picture is transparent.
    void SetTransparent(bool value);

private:
    void FitPicture();

    bool AutoSize_ = false;
    bool Stretch_ = false;
};
