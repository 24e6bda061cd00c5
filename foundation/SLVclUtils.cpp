#include "foundation/SLVclUtils.h"

namespace {
TSLLangStrPtr<TShowDialogStr> TheShowDialogStr;
TSLVclfn::TMessageBoxPresenter Presenter;
} // namespace

TShowDialogStr::TShowDialogStr()
    : WarningCaption("警告"), ConfirmCaption("确认"), PromptCaption("提示"), ErrorCaption("错误") {}

const TClassInfo& TShowDialogStr::StaticClassInfo() {
    static const TClassInfo info{"TShowDialogStr",
                                 &TSLLangStr::StaticClassInfo(),
                                 {Published("WarningCaption", &TShowDialogStr::WarningCaption),
                                  Published("ConfirmCaption", &TShowDialogStr::ConfirmCaption),
                                  Published("PromptCaption", &TShowDialogStr::PromptCaption),
                                  Published("ErrorCaption", &TShowDialogStr::ErrorCaption)}};
    return info;
}

TShowDialogStr& ShowDialogStr() {
    if (!TheShowDialogStr)
        TheShowDialogStr = NewLangStr<TShowDialogStr>();
    return *TheShowDialogStr;
}

void FinalizeSLVclUtils() {
    FreeLangStr(TheShowDialogStr);
}

int TSLVclfn::MessageBox(const std::string& text, const std::string& caption, std::uint32_t flags) {
    if (Presenter)
        return Presenter(text, caption, flags);
    return platform::ShowMessageBox(text, caption, flags);
}

int TSLVclfn::ShowConfirm(const std::string& text, bool withCancel, int defaultButton) {
    std::uint32_t flags = MB_ICONQUESTION | (withCancel ? MB_YESNOCANCEL : MB_YESNO);
    switch (defaultButton) {
    case 2:
        flags |= MB_DEFBUTTON2;
        break;
    case 3:
        flags |= MB_DEFBUTTON3;
        break;
    case 4:
        flags |= MB_DEFBUTTON4;
        break;
    default:
        break;
    }
    return MessageBox(text, ShowDialogStr().ConfirmCaption, flags);
}

void TSLVclfn::ShowPrompt(const std::string& text) {
    MessageBox(text, ShowDialogStr().PromptCaption, MB_OK | MB_ICONINFORMATION);
}

void TSLVclfn::SetMessageBoxPresenter(TMessageBoxPresenter presenter) {
    Presenter = std::move(presenter);
}
