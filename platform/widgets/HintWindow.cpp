#include "platform/widgets/HintWindow.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QStyleOption>
#include <QStylePainter>
#include <QTimer>
#include <QToolTip>

namespace {
// Where the hint sits relative to the pointer: below the arrow cursor's tip, as the
// desktop's tooltips do; pixels.
constexpr QPoint kPointerOffset(2, 16);
// Where the hint would leave the monitor it goes to the other side of the pointer, this
// far from it.
constexpr int kFlippedGap = 2;
constexpr int kHideAfterMs = 10000;
} // namespace

// A label in the tooltip colours, font and frame.
class THintLabel : public QLabel {
public:
    THintLabel() : QLabel(nullptr, Qt::ToolTip | Qt::BypassGraphicsProxyWidget) {
        setForegroundRole(QPalette::ToolTipText);
        setBackgroundRole(QPalette::ToolTipBase);
        setPalette(QToolTip::palette());
        setFont(QToolTip::font());
        setMargin(1 + style()->pixelMetric(QStyle::PM_ToolTipLabelFrameWidth, nullptr, this));
        setFrameStyle(QFrame::NoFrame);
        setIndent(1);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setTextFormat(Qt::PlainText); // hints come from the language file
        Expire.setSingleShot(true);
        Expire.setInterval(kHideAfterMs);
        QObject::connect(&Expire, &QTimer::timeout, this, &QWidget::hide);
    }

    QTimer Expire;

protected:
    void paintEvent(QPaintEvent* event) override {
        QStylePainter painter(this);
        QStyleOptionFrame frame;
        frame.initFrom(this);
        painter.drawPrimitive(QStyle::PE_PanelTipLabel, frame);
        painter.end();
        QLabel::paintEvent(event);
    }
};

THintWindow::THintWindow() : FLabel(std::make_unique<THintLabel>()) {}

THintWindow::~THintWindow() = default;

void THintWindow::ActivateHint(QPoint screenPoint, const std::string& text) {
    const QString label = QString::fromStdString(text);
    if (FLabel->text() != label)
        FLabel->setText(label);
    // Sized and placed in one step: one change of the window's geometry for the window
    // system to make, where resizing and then moving it would be two.
    QRect place(screenPoint + kPointerOffset, FLabel->sizeHint());
    if (const QScreen* screen = QGuiApplication::screenAt(screenPoint)) {
        const QRect area = screen->geometry();
        if (place.right() > area.right())
            place.moveRight(screenPoint.x() - kFlippedGap);
        if (place.bottom() > area.bottom())
            place.moveBottom(screenPoint.y() - kFlippedGap);
    }
    FLabel->setGeometry(place);
    FLabel->show();
    FLabel->raise();
    FLabel->Expire.start();
}

void THintWindow::Hide() {
    FLabel->Expire.stop();
    FLabel->hide();
}
