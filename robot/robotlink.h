#ifndef ROBOTLINK_H
#define ROBOTLINK_H

#include <QMetaObject>
#include <QObject>
#include <QString>

class DeviceLink;
class KelHandler;
class MenuScreen;
class RobotAnswer;

// The robot's end of its line to the device: the one link it works through
// (the serial terminal link, or any other a test hands screens through),
// each of the link's signals connected once, the link forgotten when it is
// destroyed, the completed screen read, and a job's keys sent the way the
// job asks for them. The robot does not own the link.
class RobotLink : public QObject
{
    Q_OBJECT

public:
    explicit RobotLink(QObject *parent = nullptr);

    // Works through `link` from now on (null: through none).
    void attach(DeviceLink *link);
    DeviceLink *link() const { return m_link; }
    // The same object as link() when that is the terminal link, else null.
    KelHandler *kelHandler() const { return m_kelHandler; }

    // Whether a key sent now reaches the device.
    bool works() const;
    // What the link says about a lost line, as a line of its own.
    QString linkReason() const;
    // Whether the device answered the last key.
    bool lastKeyAnswered() const;
    // The completed screen, read at the walk's depth `level`, and logged.
    MenuScreen readScreen(int level) const;
    void sendChar(char key);
    void sendKeys(const RobotAnswer &answer);

signals:
    // The link completed a screen.
    void displayCompleted();
    // The line stopped working.
    void lineLost();
    // The link was destroyed and is forgotten.
    void linkGone();

private:
    void onTerminalReadyChanged();

    DeviceLink *m_link = nullptr;
    KelHandler *m_kelHandler = nullptr; // the same object as m_link, when that is the terminal link
    QMetaObject::Connection m_displayConnection;
    QMetaObject::Connection m_portConnection;
    QMetaObject::Connection m_linkGoneConnection;
};

#endif // ROBOTLINK_H
