#include "platform/GPMetafile.h"

#include <filesystem>

TGPMetafile::TGPMetafile() {
    SetStatus(TGPStatus::UnknownImageFormat);
}

TGPMetafile::TGPMetafile(const std::string& fileName) : TGPMetafile() {
    std::error_code error;
    if (!std::filesystem::exists(fileName, error))
        SetStatus(TGPStatus::FileNotFound);
}

std::unique_ptr<TGPMetafile> TGPMetafile::FromStream(std::istream&) {
    return std::unique_ptr<TGPMetafile>(new TGPMetafile());
}
