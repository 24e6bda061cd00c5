#pragma once
// Shell pictures of files.

#include "platform/pictures/VclPicture.h"

#include <string>

class TSLPicfn {
public:
    TSLPicfn() = delete;

    static constexpr int LargeIconSize = 32; // pixels
    static constexpr int SmallIconSize = 16;

    // Puts the desktop's icon for the file (large or small) into icon.
    static void GetFileIcon(const std::string& fileName, bool large, TIcon& icon);
};
