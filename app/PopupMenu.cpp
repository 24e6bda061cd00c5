#include "app/PopupMenu.h"

#include "platform/widgets/VclAction.h"

#include <QAction>
#include <QLinearGradient>
#include <QMenu>
#include <QPaintEvent>
#include <QPainter>

namespace {

// The band behind the check marks, in pixels from the menu's left edge.
constexpr int kBandWidth = 26;
const QColor kMenuBack(0xFC, 0xFC, 0xF9);
const QColor kBandLight(0xE3, 0xEF, 0xFF);
const QColor kBandDark(0x87, 0xAD, 0xE4);

// A menu that paints the theme's background (pale with the gradient band) beneath the
// items that the style sheet draws.
class TThemedMenu : public QMenu {
public:
    using QMenu::QMenu;

protected:
    void paintEvent(QPaintEvent* event) override {
        {
            QPainter painter(this);
            painter.fillRect(rect(), kMenuBack);
            QLinearGradient band(0, 0, kBandWidth, 0);
            band.setColorAt(0, kBandLight);
            band.setColorAt(1, kBandDark);
            painter.fillRect(QRect(0, 0, kBandWidth, height()), band);
        }
        QMenu::paintEvent(event);
    }
};

std::unique_ptr<QMenu> NewThemedMenu() {
    auto menu = std::make_unique<TThemedMenu>();
    menu->setStyleSheet(TPopupMenu::StyleSheet());
    return menu;
}

void ShowActionState(QAction* item, const TAction* action) {
    item->setText(QString::fromStdString(action->Caption()));
    item->setVisible(action->Visible());
    item->setEnabled(action->Enabled());
    // Every item keeps a check column, checked or not, so captions line up and do not
    // move when a check mark comes or goes.
    item->setCheckable(true);
    item->setChecked(action->Checked());
}

} // namespace

TSubmenuItem::TSubmenuItem(TComponent* owner, QMenu* parentMenu)
    : TComponent(owner), FMenu(NewThemedMenu()) {
    parentMenu->addMenu(FMenu.get());
    // The submenu refreshes check marks like the menu it hangs in.
    QObject::connect(FMenu.get(), &QMenu::aboutToShow, FMenu.get(),
                     [parentMenu] { emit parentMenu->aboutToShow(); });
}

TSubmenuItem::~TSubmenuItem() = default;

std::string TSubmenuItem::Caption() const {
    return FMenu->title().toStdString();
}

void TSubmenuItem::SetCaption(const std::string& caption) {
    FMenu->setTitle(QString::fromStdString(caption));
}

void TSubmenuItem::DefinePublishedStrings(std::vector<TPublishedString>& list) {
    TComponent::DefinePublishedStrings(list);
    list.push_back({"Caption", [this] { return Caption(); },
                    [this](const std::string& value) { SetCaption(value); }});
}

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), FMenu(NewThemedMenu()) {
    QObject::connect(FMenu.get(), &QMenu::aboutToShow, FMenu.get(), [this] {
        if (OnPopup)
            OnPopup();
    });
}

TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::AddItem(QMenu* menu, TAction* action) {
    QAction* item = menu->addAction(QString());
    // The action may go before the item or the other way round; whichever goes first
    // cuts the link.
    auto actionAlive = std::make_shared<bool>(true);
    action->LinkClient(
        item, [item, action] { ShowActionState(item, action); },
        [actionAlive] { *actionAlive = false; });
    QObject::connect(item, &QAction::triggered, item, [action, actionAlive] {
        if (*actionAlive)
            action->Execute();
    });
    QObject::connect(item, &QObject::destroyed, [action, actionAlive, item] {
        if (*actionAlive)
            action->UnlinkClient(item);
    });
    ShowActionState(item, action);
}

void TPopupMenu::AddSeparator(QMenu* menu) {
    menu->addSeparator();
}

void TPopupMenu::Popup(QPoint screenPos) {
    FMenu->popup(screenPos);
}

const char* TPopupMenu::StyleSheet() {
    return R"(
QMenu {
    background: transparent;
    border: 1px solid #002D96;
    padding: 2px 1px;
}
QMenu::item {
    color: #000000;
    background: transparent;
    border: 1px solid transparent;
    padding: 3px 28px 3px 32px;
}
QMenu::item:selected {
    background-color: #FFEEC2;
    border: 1px solid #000080;
}
QMenu::item:disabled {
    color: #8D8D8D;
}
QMenu::separator {
    height: 1px;
    background: #6A8CCB;
    margin: 2px 1px 2px 30px;
}
QMenu::indicator {
    left: 6px;
    width: 13px;
    height: 13px;
}
QMenu::indicator:unchecked {
    image: none;
    background: transparent;
    border: 1px solid transparent;
}
QMenu::indicator:checked {
    background-color: #FFC080;
    border: 1px solid #000080;
    image: url(:/resources/MenuCheck.png);
}
)";
}
