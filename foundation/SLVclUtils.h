#pragma once
// Message boxes of the program: a plain box with the desktop's flags, a yes/no
// (or yes/no/cancel) question and an information prompt. Their captions are texts of
// the language file (TShowDialogStr), so the boxes speak the language file's language.

#include "foundation/SLLangUtils.h"
#include "platform/widgets/MessageBox.h"

#include <cstdint>
#include <functional>
#include <string>

class TShowDialogStr : public TSLLangStr {
public:
    TShowDialogStr();

    static const TClassInfo& StaticClassInfo();
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

    std::string WarningCaption;
    std::string ConfirmCaption;
    std::string PromptCaption;
    std::string ErrorCaption;
};

// The one instance, created (and translated) on first use.
TShowDialogStr& ShowDialogStr();
// Shut-down: writes the captions into the language file's image and frees them.
void FinalizeSLVclUtils();

class TSLVclfn {
public:
    TSLVclfn() = delete;

    // Answers in place of a real box: gets text, caption and flags, returns the answer.
    using TMessageBoxPresenter = std::function<int(
        const std::string& text, const std::string& caption, std::uint32_t flags)>;

    // Shows a modal box; the answer is IDOK, IDCANCEL, IDYES, IDNO (or another ID...).
    static int MessageBox(const std::string& text, const std::string& caption, std::uint32_t flags);
    // A question with yes and no (and cancel), captioned ConfirmCaption. defaultButton 2,
    // 3 or 4 makes that button the default; any other value leaves it on yes.
    static int ShowConfirm(const std::string& text, bool withCancel, int defaultButton);
    // A notice with an OK button, captioned PromptCaption.
    static void ShowPrompt(const std::string& text);

    // Tests replace the real boxes with an answering function; an empty one restores them.
    static void SetMessageBoxPresenter(TMessageBoxPresenter presenter);
};
