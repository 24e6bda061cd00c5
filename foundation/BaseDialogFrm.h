#pragma once
// TBaseDialogForm: a TBaseForm laid out as a fixed-size dialog centred on the screen,
// with a bottom bar holding OK (the default button, Enter) and Cancel (Esc, modal
// result Cancel) under a separator line. Derived dialogs put their content on
// pnlBackClient; OK closes the dialog only when a derived dialog gives it a modal
// result or an OnClick handler.

#include "foundation/BaseFrm.h"
#include "platform/widgets/VclBevel.h"
#include "platform/widgets/VclButton.h"
#include "platform/widgets/VclPanel.h"

class TBaseDialogForm : public TBaseForm {
public:
    explicit TBaseDialogForm(TComponent* owner);

    TPanel* pnlButtons = nullptr;
    TBevel* bvlButtons = nullptr;
    TButton* btnOk = nullptr;
    TButton* btnCancel = nullptr;
    TPanel* pnlBackClient = nullptr;
};
