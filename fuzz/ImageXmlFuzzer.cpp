// A saved picture: an XML element with the attributes FileExt, GUID and IsPicFile and the
// picture's bytes as base64 text, as brushes keep their textures in the settings. Whatever
// the document holds, reading it must end with a picture, the shell icon or nothing, in
// bounded time and memory; writing that picture and reading it back gives a picture of the
// same size and kind.

#include "FuzzSupport.h"
#include "foundation/SLGDIPImage.h"
#include "foundation/SLXmlUtils.h"

#include <cstdint>
#include <sstream>

namespace {

std::string SavedText(TSLImageEx& image) {
    pugi::xml_document document;
    image.WriteToXmlNode(document.append_child(image.ClassName().c_str()));
    return TSLXmlfn::ToText(document);
}

void Read(TSLImageEx& image, const std::string& text) {
    std::istringstream stream(text);
    image.LoadFromStream(stream);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::StartOffscreenQt();
    fuzz::UsePrivateTempFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string saved;
    int width = 0;
    int height = 0;
    std::string fileExt;
    {
        TSLImageEx image;
        try {
            Read(image, std::string(reinterpret_cast<const char*>(data), size));
        } catch (const std::exception&) {
            // A document that does not parse, or a value that does not convert: the settings
            // loader drops the error and keeps what was read.
        }
        saved = SavedText(image);
        width = image.GetWidth();
        height = image.GetHeight();
        fileExt = image.FileExt;
    } // one picture at a time: the largest allowed ones take a good part of the memory limit

    TSLImageEx again;
    Read(again, saved); // what the program saved must read without an error
    if (again.GetWidth() != width || again.GetHeight() != height || again.FileExt != fileExt)
        fuzz::CheckFailed("a saved picture reads back differently: %dx%d %s, then %dx%d %s\n%s",
                          width, height, fileExt.c_str(), again.GetWidth(), again.GetHeight(),
                          again.FileExt.c_str(), saved.c_str());
    return 0;
}
