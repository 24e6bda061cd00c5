#pragma once
// Real pointer input for display tests: moves and clicks go through the XTest
// extension of the X server, so every client sees them as it would see a user's.
// Positions are screen pixels of the X display.

#include <QPoint>
#include <vector>

struct _XDisplay;

class TFakeInput {
public:
    TFakeInput();
    ~TFakeInput();
    TFakeInput(const TFakeInput&) = delete;
    TFakeInput& operator=(const TFakeInput&) = delete;

    // X button numbers: 1 left, 2 middle, 3 right, 4 and 5 the wheel. These are
    // physical buttons; the user's button mapping applies to them.
    static constexpr unsigned kLeft = 1;
    static constexpr unsigned kMiddle = 2;
    static constexpr unsigned kRight = 3;
    static constexpr unsigned kWheelUp = 4;
    static constexpr unsigned kWheelDown = 5;

    // Each returns once the server has carried the input out.
    void MoveTo(QPoint screenPos);
    // A relative move of the XTest device, sent at once and not waited for.
    void MoveBy(int dx, int dy);
    void Press(unsigned button);
    void Release(unsigned button);
    void Click(unsigned button);
    // Where the server has the pointer now (a round trip, so earlier requests of every
    // client that reached the server first are done).
    QPoint PointerPosition();

    // The server's pointer button mapping: entry i is the logical button that physical
    // button i + 1 stands for. Setting it fails while a button is held.
    std::vector<unsigned char> ButtonMap();
    bool SetButtonMap(const std::vector<unsigned char>& map);

private:
    _XDisplay* FDisplay = nullptr;
};
