#include "platform/widgets/VclButton.h"

#include "platform/widgets/VclAction.h"

#include <QPushButton>

TButton::TButton(TComponent* owner) : TControl(owner, new QPushButton) {
    QObject::connect(Button(), &QPushButton::clicked, Button(), [this] { Click(); });
}

QPushButton* TButton::Button() const {
    return static_cast<QPushButton*>(Widget());
}

std::string TButton::GetText() const {
    return Widget() ? FromQtLineBreaks(Button()->text().toStdString()) : std::string();
}

void TButton::SetText(const std::string& caption) {
    if (Widget())
        Button()->setText(QString::fromStdString(ToQtLineBreaks(caption)));
}

void TButton::SetDefault(bool value) {
    Default_ = value;
    if (Widget())
        Button()->setDefault(value);
}

void TButton::Click() {
    if (TCustomForm* form = ParentForm())
        form->SetModalResult(ModalResult_);
    if (OnClick)
        OnClick(this);
    else if (GetAction())
        GetAction()->Execute();
}

void TButton::DefinePublishedStrings(std::vector<TPublishedString>& list) {
    TControl::DefinePublishedStrings(list);
    list.push_back({"Caption", [this] { return Caption(); },
                    [this](const std::string& value) { SetCaption(value); }});
}
