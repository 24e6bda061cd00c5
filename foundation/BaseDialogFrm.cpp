#include "foundation/BaseDialogFrm.h"

namespace {
// Pixels, in the client coordinates of the parent.
constexpr int kButtonBarHeight = 44;
constexpr int kSeparatorHeight = 2;
constexpr int kButtonTop = 9;
constexpr int kButtonWidth = 81;
constexpr int kButtonHeight = 27;
constexpr int kOkLeft = 324;
constexpr int kCancelLeft = 411;
constexpr int kContentBorder = 8;
constexpr TAnchors kTopRight{false, true, true, false};
} // namespace

TBaseDialogForm::TBaseDialogForm(TComponent* owner) : TBaseForm(owner) {
    SetBorderStyle(TBorderStyle::bsDialog);
    SetCaption("BaseDialogForm");
    SetPosition(TPosition::poScreenCenter);

    pnlButtons = new TPanel(this);
    pnlButtons->SetName("pnlButtons");
    pnlButtons->SetParent(this);
    pnlButtons->SetBounds(0, ClientHeight() - kButtonBarHeight, ClientWidth(), kButtonBarHeight);
    pnlButtons->SetAlign(TAlign::alBottom);
    pnlButtons->SetBevelOuter(TBevelCut::bvNone);
    pnlButtons->SetParentBackground(false);

    bvlButtons = new TBevel(this);
    bvlButtons->SetName("bvlButtons");
    bvlButtons->SetParent(pnlButtons);
    bvlButtons->SetBounds(0, 0, ClientWidth(), kSeparatorHeight);
    bvlButtons->SetAlign(TAlign::alTop);
    bvlButtons->SetShape(TBevelShape::bsTopLine);

    btnOk = new TButton(this);
    btnOk->SetName("btnOk");
    btnOk->SetParent(pnlButtons);
    btnOk->SetBounds(kOkLeft, kButtonTop, kButtonWidth, kButtonHeight);
    btnOk->SetAnchors(kTopRight);
    btnOk->SetCaption("确定");
    btnOk->SetDefault(true);

    btnCancel = new TButton(this);
    btnCancel->SetName("btnCancel");
    btnCancel->SetParent(pnlButtons);
    btnCancel->SetBounds(kCancelLeft, kButtonTop, kButtonWidth, kButtonHeight);
    btnCancel->SetAnchors(kTopRight);
    btnCancel->SetCaption("取消");
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrCancel);

    pnlBackClient = new TPanel(this);
    pnlBackClient->SetName("pnlBackClient");
    pnlBackClient->SetParent(this);
    pnlBackClient->SetAlign(TAlign::alClient);
    pnlBackClient->SetBevelOuter(TBevelCut::bvNone);
    pnlBackClient->SetBorderWidth(kContentBorder);
    pnlBackClient->SetParentBackground(false);
}
