#pragma once
// The main window's right-click menu: items bound to actions (an item shows its
// action's caption and check mark, hides with it, and runs it when chosen), submenus
// whose captions belong to the submenu items themselves, and separators. It is drawn in
// a light theme in the manner of the office suites of the early 2000s: a pale menu with
// a blue band down its left side and an amber highlight framed in navy.

#include "platform/widgets/VclComponent.h"

#include <QPoint>

#include <functional>
#include <memory>

class QMenu;
class TAction;

// A submenu entry; Caption is its own translatable text.
class TSubmenuItem : public TComponent {
public:
    TSubmenuItem(TComponent* owner, QMenu* parentMenu);
    ~TSubmenuItem() override;

    std::string Caption() const;
    void SetCaption(const std::string& caption);
    QMenu* Menu() const { return FMenu.get(); }

protected:
    void DefinePublishedStrings(std::vector<TPublishedString>& list) override;

private:
    std::unique_ptr<QMenu> FMenu;
};

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;

    QMenu* Menu() const { return FMenu.get(); }

    // Appends an item bound to action to menu (this menu or one of its submenus).
    static void AddItem(QMenu* menu, TAction* action);
    static void AddSeparator(QMenu* menu);

    // Opens the menu at a point in screen coordinates and returns at once; the chosen
    // item's action runs from the event loop.
    void Popup(QPoint screenPos);

    // Runs before the menu or any of its submenus shows, so check marks can be refreshed.
    std::function<void()> OnPopup;

    // The style sheet of the menu theme.
    static const char* StyleSheet();

private:
    friend class TSubmenuItem;
    std::unique_ptr<QMenu> FMenu;
};
