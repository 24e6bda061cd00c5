#pragma once
// TBaseForm: the base of every window of the program. Right after its OnCreate handler
// it takes its texts and font from the language file, and right before its OnDestroy
// handler it writes them back (when the language file is writable), so that windows
// need no code of their own for translation.
//
// A derived window builds its components in its constructor (each owned by the window
// and named, for instance btnOk), binds its handlers there (OnCreate = FormCreate, ...)
// and is created with NewComponent<TMyForm>(owner), which runs OnCreate and the
// translation once the whole object exists.

#include "platform/widgets/VclForm.h"

class TBaseForm : public TForm {
public:
    // Caption "BaseForm", client area 504 x 373 at (350, 239), Tahoma 8 points.
    explicit TBaseForm(TComponent* owner);

    // OnCreate first, then TranslateLanguage.
    void DoCreate() override;
    // SaveLanguage first, then OnDestroy.
    void DoDestroy() override;

    // The window's texts and font from the language file (nothing without translator).
    virtual void TranslateLanguage();
    // The window's texts and font into the language file's image.
    virtual void SaveLanguage();
};
