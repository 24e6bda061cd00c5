#pragma once
// The hint window: a small tooltip-like window with one text, shown just below and
// right of a screen point. Each ActivateHint places it anew, also when the text stays
// the same, so a hint that follows the pointer moves with it. It hides by itself after
// a while, as the desktop's tooltips do.

#include <QPoint>

#include <memory>
#include <string>

class THintLabel;

class THintWindow {
public:
    THintWindow();
    ~THintWindow();
    THintWindow(const THintWindow&) = delete;
    THintWindow& operator=(const THintWindow&) = delete;

    // Shows text at screenPoint (the pointer), kept on the monitor of that point.
    void ActivateHint(QPoint screenPoint, const std::string& text);
    void Hide();

private:
    std::unique_ptr<THintLabel> FLabel;
};
