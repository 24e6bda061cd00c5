#include "foundation/SLPicUtils.h"

#include "platform/pictures/ShellIcon.h"

void TSLPicfn::GetFileIcon(const std::string& fileName, bool large, TIcon& icon) {
    GetShellFileIcon(fileName, large ? LargeIconSize : SmallIconSize, icon);
}
