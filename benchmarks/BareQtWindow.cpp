// The baseline of the start-up benchmark: the least a Qt 6 program does to put an
// instrument-coloured rectangle on the screen. One frameless window over the primary
// screen, black, with one sky-blue rectangle where the benchmark's straight ruler lies.
#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>

namespace {
class TBareWindow : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::black);
        painter.fillRect(QRect(400, 300, 500, 64), QColor(0x87, 0xCE, 0xEB));
    }
};
} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    TBareWindow window;
    window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    window.setGeometry(QGuiApplication::primaryScreen()->geometry());
    window.show();
    return application.exec();
}
