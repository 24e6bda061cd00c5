#include "platform/graphics/MetafileDecoder.h"

// Built where libwmf is missing: no metafile is decoded.
QImage DecodeWindowsMetafile(const QByteArray&) {
    return QImage();
}
