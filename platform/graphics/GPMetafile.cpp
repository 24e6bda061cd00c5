#include "platform/graphics/GPMetafile.h"

#include "platform/graphics/GPQtDrawAccess.h"
#include "platform/graphics/MetafileDecoder.h"

#include <fstream>
#include <iterator>

TGPMetafile::TGPMetafile(const std::string& fileName) {
    std::ifstream file(fileName, std::ios::binary);
    if (!file) {
        SetStatus(TGPStatus::FileNotFound);
        return;
    }
    Play(std::string(std::istreambuf_iterator<char>(file), {}));
}

std::unique_ptr<TGPMetafile> TGPMetafile::FromStream(std::istream& stream) {
    std::unique_ptr<TGPMetafile> metafile(new TGPMetafile());
    metafile->Play(std::string(std::istreambuf_iterator<char>(stream), {}));
    return metafile;
}

void TGPMetafile::Play(const std::string& bytes) {
    FImpl->Image = DecodeWindowsMetafile(QByteArray::fromStdString(bytes));
    SetStatus(FImpl->Image.isNull() ? TGPStatus::UnknownImageFormat : TGPStatus::Ok);
}
