#pragma once
// TButton: a push button. Clicking it gives its parent form the button's modal result
// (which ends a modal loop when not mrNone), then runs OnClick or the bound action.
// The form's Enter key clicks the Default button, Esc the Cancel button.

#include "platform/widgets/VclForm.h"

class QPushButton;

class TButton : public TControl {
public:
    explicit TButton(TComponent* owner);

    std::string GetText() const override;
    void SetText(const std::string& caption) override;
    std::string Caption() const { return GetText(); }
    void SetCaption(const std::string& caption) { SetText(caption); }

    bool Default() const { return Default_; }
    void SetDefault(bool value);
    bool Cancel() const { return Cancel_; }
    void SetCancel(bool value) { Cancel_ = value; }
    TModalResult ModalResult() const { return ModalResult_; }
    void SetModalResult(TModalResult result) { ModalResult_ = result; }

    void Click();
    TSenderEvent OnClick;

protected:
    void DefinePublishedStrings(std::vector<TPublishedString>& list) override;

private:
    QPushButton* Button() const;

    bool Default_ = false;
    bool Cancel_ = false;
    TModalResult ModalResult_ = mrNone;
};
