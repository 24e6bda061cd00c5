#pragma once
// Inside the platform layer only: turns the bytes of a Windows metafile into pixels.

#include <QByteArray>
#include <QImage>

// The picture at 96 dots per inch in Format_ARGB32, parts the metafile leaves unpainted
// transparent; a null image when the bytes cannot be decoded (enhanced metafiles never can).
QImage DecodeWindowsMetafile(const QByteArray& bytes);
