#include "platform/widgets/VclAction.h"

#include <algorithm>

TAction::TAction(TComponent* owner) : TComponent(owner) {}

TAction::~TAction() {
    SetActionList(nullptr);
    // Clients forget the action before it goes; unlinking may edit the list.
    const std::vector<TClientLink> clients = std::move(Clients_);
    for (const TClientLink& link : clients)
        if (link.Freed)
            link.Freed();
}

void TAction::SetCaption(const std::string& caption) {
    Caption_ = caption;
    Changed();
}

void TAction::SetHint(const std::string& hint) {
    Hint_ = hint;
    Changed();
}

void TAction::SetChecked(bool checked) {
    if (Checked_ == checked)
        return;
    Checked_ = checked;
    Changed();
}

void TAction::SetEnabled(bool enabled) {
    if (Enabled_ == enabled)
        return;
    Enabled_ = enabled;
    Changed();
}

void TAction::SetVisible(bool visible) {
    if (Visible_ == visible)
        return;
    Visible_ = visible;
    Changed();
}

void TAction::SetActionList(TActionList* list) {
    if (ActionList_)
        std::erase(ActionList_->Actions_, this);
    ActionList_ = list;
    if (ActionList_)
        ActionList_->Actions_.push_back(this);
}

bool TAction::Execute() {
    Update();
    if (!Enabled_ || !OnExecute)
        return false;
    OnExecute(this);
    return true;
}

void TAction::Update() {
    if (!ActionList_ || !ActionList_->OnUpdate)
        return;
    bool handled = false;
    ActionList_->OnUpdate(this, handled);
}

void TAction::LinkClient(void* client, std::function<void()> changed, std::function<void()> freed) {
    UnlinkClient(client);
    Clients_.push_back({client, std::move(changed), std::move(freed)});
}

void TAction::UnlinkClient(void* client) {
    std::erase_if(Clients_, [client](const TClientLink& link) { return link.Client == client; });
}

void TAction::DefinePublishedStrings(std::vector<TPublishedString>& list) {
    TComponent::DefinePublishedStrings(list);
    list.push_back({"Caption", [this] { return Caption(); },
                    [this](const std::string& value) { SetCaption(value); }});
    list.push_back(
        {"Hint", [this] { return Hint(); }, [this](const std::string& value) { SetHint(value); }});
}

void TAction::Changed() {
    const std::vector<TClientLink> clients = Clients_;
    for (const TClientLink& link : clients)
        if (link.Changed)
            link.Changed();
}

TActionList::TActionList(TComponent* owner) : TComponent(owner) {}

TActionList::~TActionList() {
    for (TAction* action : Actions_)
        action->ActionList_ = nullptr;
}

void TActionList::UpdateActions() {
    const std::vector<TAction*> actions = Actions_;
    for (TAction* action : actions)
        action->Update();
}
