#include "foundation/AboutFrm.h"

#include "platform/widgets/VclImage.h"
#include "platform/widgets/VclLabel.h"
#include "platform/widgets/VclMemo.h"

#include <QCursor>
#include <QWidget>

namespace {

// Layout, pixels.
constexpr int kClientWidth = 481;
constexpr int kClientHeight = 326;
constexpr int kButtonLeft = 386;
constexpr int kButtonTop = 9;
constexpr int kButtonWidth = 81;
constexpr int kButtonHeight = 27;
constexpr int kLogoPanelWidth = 113;
constexpr int kSpacerWidth = 9;
constexpr int kLabelLeft = 2;
constexpr int kProductTop = 2;
constexpr int kBuildTop = 56;
constexpr int kUrlTop = 78;
constexpr int kFeatureHeight = 159;
constexpr int kProductPoints = 16;

constexpr const char* kLogoResource = ":/resources/AboutLogo.png";

TPanel* NewPanel(TComponent* owner, TControl* parent, const char* name, TAlign align) {
    auto* panel = new TPanel(owner);
    panel->SetName(name);
    panel->SetParent(parent);
    panel->SetAlign(align);
    panel->SetBevelOuter(TBevelCut::bvNone);
    panel->SetCaption("");
    return panel;
}

TLabel* NewLabel(TComponent* owner, TControl* parent, const char* name, int top) {
    auto* label = new TLabel(owner);
    label->SetName(name);
    label->SetParent(parent);
    label->SetBounds(kLabelLeft, top, label->Width(), label->Height());
    return label;
}

} // namespace

TAboutForm::TAboutForm(TComponent* owner) : TBaseDialogForm(owner) {
    Q_INIT_RESOURCE(foundation_resources);
    SetName("AboutForm");
    SetCaption("AboutForm");
    SetClientSize(kClientWidth, kClientHeight);

    // One visible button: "确定" is both the default (Enter) and the cancel (Esc) button.
    btnOk->SetVisible(false);
    btnCancel->SetBounds(kButtonLeft, kButtonTop, kButtonWidth, kButtonHeight);
    btnCancel->SetCaption("确定");
    btnCancel->SetDefault(true);
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrOk);

    Panel2 = NewPanel(this, pnlBackClient, "Panel2", TAlign::alLeft);
    Panel2->SetBounds(0, 0, kLogoPanelWidth, Panel2->Height());
    Panel2->SetBevelInner(TBevelCut::bvLowered);
    imgLogo = new TImage(this);
    imgLogo->SetName("imgLogo");
    imgLogo->SetParent(Panel2);
    imgLogo->SetAlign(TAlign::alLeft);
    imgLogo->SetAutoSize(true);
    imgLogo->SetStretch(true);
    imgLogo->SetTransparent(true);
    imgLogo->LoadPicture(kLogoResource);

    Panel4 = NewPanel(this, pnlBackClient, "Panel4", TAlign::alLeft);
    Panel4->SetBounds(kLogoPanelWidth, 0, kSpacerWidth, Panel4->Height());
    Panel3 = NewPanel(this, pnlBackClient, "Panel3", TAlign::alClient);

    lblProduct = NewLabel(this, Panel3, "lblProduct", kProductTop);
    lblBuild = NewLabel(this, Panel3, "lblBuild", kBuildTop);
    lblURL = NewLabel(this, Panel3, "lblURL", kUrlTop);
    // The address only looks like a link; clicking it does nothing.
    lblURL->Widget()->setCursor(Qt::PointingHandCursor);

    memFeature = new TMemo(this);
    memFeature->SetName("memFeature");
    memFeature->SetParent(Panel3);
    memFeature->SetAlign(TAlign::alBottom);
    memFeature->SetBounds(0, 0, memFeature->Width(), kFeatureHeight);
    memFeature->SetReadOnly(true);
    memFeature->SetVerticalScrollBar(true);

    OnShow = [this](TComponent* sender) { FormShow(sender); };
}

void TAboutForm::Execute(const TAboutRec& about) {
    TComponentPtr<TAboutForm> form = NewComponent<TAboutForm>(nullptr);
    form->AboutRec = about;
    form->ShowModal();
}

void TAboutForm::FormShow(TComponent*) {
    SetCaption(AboutRec.Caption);
    lblProduct->SetCaption(AboutRec.Product);
    lblBuild->SetCaption(AboutRec.Build);
    lblURL->SetCaption(AboutRec.URL);
    memFeature->SetText(AboutRec.Feature);
    lblProduct->Font().SetSize(kProductPoints);
    TFontStyles style = lblProduct->Font().Style();
    style.Bold = true;
    lblProduct->Font().SetStyle(style);
}
