#pragma once
// TLabel: a line (or lines) of text; with AutoSize it takes the size of its text.

#include "platform/widgets/VclControl.h"

class TLabel : public TControl {
public:
    explicit TLabel(TComponent* owner);

    std::string GetText() const override;
    void SetText(const std::string& caption) override;
    std::string Caption() const { return GetText(); }
    void SetCaption(const std::string& caption) { SetText(caption); }

protected:
    void DefinePublishedStrings(std::vector<TPublishedString>& list) override;

private:
    void FitText();

    bool AutoSize_ = true;
};
