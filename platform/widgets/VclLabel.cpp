#include "platform/widgets/VclLabel.h"

#include <QLabel>

TLabel::TLabel(TComponent* owner) : TControl(owner, new QLabel) {
    // Captions come from the language file and the update service's replies: shown as
    // written, never as markup.
    static_cast<QLabel*>(Widget())->setTextFormat(Qt::PlainText);
    Font().OnChange = [this, previous = Font().OnChange] {
        previous();
        FitText();
    };
}

std::string TLabel::GetText() const {
    return Widget() ? FromQtLineBreaks(static_cast<QLabel*>(Widget())->text().toStdString())
                    : std::string();
}

void TLabel::SetText(const std::string& caption) {
    if (!Widget())
        return;
    static_cast<QLabel*>(Widget())->setText(QString::fromStdString(ToQtLineBreaks(caption)));
    FitText();
}

void TLabel::FitText() {
    if (!AutoSize_ || !Widget())
        return;
    const QSize size = Widget()->sizeHint();
    SetBounds(Left(), Top(), size.width(), size.height());
}

void TLabel::DefinePublishedStrings(std::vector<TPublishedString>& list) {
    TControl::DefinePublishedStrings(list);
    list.push_back({"Caption", [this] { return Caption(); },
                    [this](const std::string& value) { SetCaption(value); }});
}
