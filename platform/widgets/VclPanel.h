#pragma once
// TPanel: a container control with an optional caption drawn in its middle and raised
// or lowered bevels; aligned child controls keep the bevels and BorderWidth free.

#include "platform/widgets/VclControl.h"

enum class TBevelCut { bvNone, bvLowered, bvRaised };

class TPanel : public TControl {
public:
    explicit TPanel(TComponent* owner);

    std::string GetText() const override;
    void SetText(const std::string& caption) override;
    std::string Caption() const { return GetText(); }
    void SetCaption(const std::string& caption) { SetText(caption); }

    void SetBevelOuter(TBevelCut bevel);
    void SetBevelInner(TBevelCut bevel);
    // Fills its background itself instead of letting the parent's show through.
    void SetParentBackground(bool value);

protected:
    void DefinePublishedStrings(std::vector<TPublishedString>& list) override;
    int FrameInset() const override;

private:
    void ApplyBevels();

    TBevelCut BevelOuter_ = TBevelCut::bvRaised;
    TBevelCut BevelInner_ = TBevelCut::bvNone;
};
