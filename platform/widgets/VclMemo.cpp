#include "platform/widgets/VclMemo.h"

#include <QPlainTextEdit>

namespace {
QPlainTextEdit* Edit(QWidget* widget) {
    return static_cast<QPlainTextEdit*>(widget);
}
} // namespace

TMemo::TMemo(TComponent* owner) : TControl(owner, new QPlainTextEdit) {
    SetVerticalScrollBar(false);
}

std::string TMemo::GetText() const {
    return Widget() ? FromQtLineBreaks(Edit(Widget())->toPlainText().toStdString()) : std::string();
}

void TMemo::SetText(const std::string& text) {
    if (Widget())
        Edit(Widget())->setPlainText(QString::fromStdString(ToQtLineBreaks(text)));
}

void TMemo::SetReadOnly(bool value) {
    if (Widget())
        Edit(Widget())->setReadOnly(value);
}

void TMemo::SetVerticalScrollBar(bool value) {
    if (Widget())
        Edit(Widget())->setVerticalScrollBarPolicy(value ? Qt::ScrollBarAlwaysOn
                                                         : Qt::ScrollBarAlwaysOff);
}
