#ifndef DEVICELINK_H
#define DEVICELINK_H

#include <QObject>
#include <QString>

// What the menu robot needs of the line to the device: the completed screen
// (both 32-character line buffers and the text cursor's row), keys to send,
// and whether the line still works. The serial terminal link is one; a test
// can hand the robot screens through another.
class DeviceLink : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~DeviceLink() override = default;

    // Sends one key; its answer becomes the next completed screen.
    virtual void sendChar(char key) = 0;
    // The same, with a longer wait (ms) before the answer counts as complete.
    virtual void sendCharTimer(char key, int time) = 0;
    // The two display line buffers of the current screen, joined by a line feed.
    virtual QString displayLines() const = 0;
    // The row of the device's text cursor: 0 for the first line.
    virtual quint8 cursorRow() const = 0;
    // Whether the line is open and can carry keys.
    virtual bool terminalIsReady() const = 0;
    // Whether the device answered the last key; a screen completed after
    // the extra wait for a silent device repeats the old one.
    virtual bool lastKeyAnswered() const = 0;
    // Why the line failed (or was lost) last; empty when it never did.
    virtual QString lastErrorString() const = 0;

signals:
    // A screen is complete: the robot's clock.
    void displayCompleted();
    void terminalIsReadyChanged();
};

#endif // DEVICELINK_H
