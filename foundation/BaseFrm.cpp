#include "foundation/BaseFrm.h"

#include "foundation/SLLangUtils.h"

namespace {
constexpr int kLeft = 350;
constexpr int kTop = 239;
constexpr int kClientWidth = 504;
constexpr int kClientHeight = 373;
} // namespace

TBaseForm::TBaseForm(TComponent* owner) : TForm(owner) {
    SetCaption("BaseForm");
    SetBounds(kLeft, kTop, kClientWidth, kClientHeight);
    SetColor(clBtnFace);
    // Derived windows and their controls inherit the window font.
    Widget()->setFont(Font().ToQFont());
}

void TBaseForm::DoCreate() {
    TForm::DoCreate();
    TranslateLanguage();
}

void TBaseForm::DoDestroy() {
    SaveLanguage();
    TForm::DoDestroy();
}

void TBaseForm::TranslateLanguage() {
    if (Translator)
        Translator->TranslateForm(this);
}

void TBaseForm::SaveLanguage() {
    if (Translator)
        Translator->WriteForm(this);
}
