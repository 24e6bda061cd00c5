#include "foundation/SLMMUtils.h"
#include "platform/system/TextRules.h"

#include "platform/pictures/VideoThumbnail.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <string_view>

namespace {
constexpr std::array<std::string_view, 8> kVideoExtensions{".AVI", ".ASF", ".WMV", ".MPG",
                                                           ".SWF", ".FLC", ".FLI", ".MPEG"};

std::string UpperExtension(const std::string& fileName) {
    return platform::UpperCaseAscii(std::filesystem::path(fileName).extension().string());
}
} // namespace

bool TSLMMfn::IsVideoFile(const std::string& fileName) {
    const std::string extension = UpperExtension(fileName);
    return std::find(kVideoExtensions.begin(), kVideoExtensions.end(), extension) !=
           kVideoExtensions.end();
}

std::unique_ptr<TBitmap> TSLMMfn::GetVideoThumbnail(const std::string& fileName, int width,
                                                    int height) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error) || !IsVideoFile(fileName))
        return nullptr;
    return GrabVideoFirstFrame(fileName, width, height);
}
