#pragma once
// TAction: a command with a caption, hint, check mark, enabled and visible state and an
// execute handler. Controls and menu items bound to it show its state and run it when
// they are clicked. TActionList groups actions and gives them a common update handler.

#include "platform/widgets/VclComponent.h"

#include <functional>

class TActionList;
class TControl;

class TAction : public TComponent {
public:
    explicit TAction(TComponent* owner);
    ~TAction() override;

    const std::string& Caption() const { return Caption_; }
    void SetCaption(const std::string& caption);
    const std::string& Hint() const { return Hint_; }
    void SetHint(const std::string& hint);
    bool Checked() const { return Checked_; }
    void SetChecked(bool checked);
    bool Enabled() const { return Enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const { return Visible_; }
    void SetVisible(bool visible);

    void SetActionList(TActionList* list);

    // Runs OnExecute; false when the action is disabled or has no handler.
    bool Execute();
    // Lets the action list's OnUpdate refresh the state (check marks and the like).
    void Update();

    std::function<void(TComponent* sender)> OnExecute;

    // Something bound to the action (a control, a menu item) hears of its changes and
    // of its end through these callbacks until it unlinks.
    void LinkClient(void* client, std::function<void()> changed, std::function<void()> freed);
    void UnlinkClient(void* client);

protected:
    void DefinePublishedStrings(std::vector<TPublishedString>& list) override;

private:
    void Changed();

    std::string Caption_;
    std::string Hint_;
    bool Checked_ = false;
    bool Enabled_ = true;
    bool Visible_ = true;
    friend class TActionList;
    TActionList* ActionList_ = nullptr;
    struct TClientLink {
        void* Client;
        std::function<void()> Changed;
        std::function<void()> Freed;
    };
    std::vector<TClientLink> Clients_;
};

class TActionList : public TComponent {
public:
    explicit TActionList(TComponent* owner);
    ~TActionList() override;

    const std::vector<TAction*>& Actions() const { return Actions_; }
    // Runs Update on every action, as the library does when menus are about to show.
    void UpdateActions();

    // Called for each action being updated; handled may be set to skip the default.
    std::function<void(TAction* action, bool& handled)> OnUpdate;

private:
    friend class TAction;
    std::vector<TAction*> Actions_;
};
