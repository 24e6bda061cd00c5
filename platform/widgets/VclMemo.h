#pragma once
// TMemo: a box of several lines of text, optionally read-only, with a vertical scroll
// bar when the text is longer than the box. Texts keep CR LF line breaks.

#include "platform/widgets/VclControl.h"

class TMemo : public TControl {
public:
    explicit TMemo(TComponent* owner);

    std::string GetText() const override;
    void SetText(const std::string& text) override;

    void SetReadOnly(bool value);
    // The vertical scroll bar shows always (true) or never (false).
    void SetVerticalScrollBar(bool value);
};
