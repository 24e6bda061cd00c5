#pragma once
// The desktop's icon for a file: the icon theme's icon for the file's MIME type (found by
// name and content), else the theme's generic icon for that kind of file, else the style's
// plain file icon, so that every file gets a picture.

#include <string>

class TIcon;

// Fills icon with the icon of the file at size x size pixels.
void GetShellFileIcon(const std::string& fileName, int size, TIcon& icon);
