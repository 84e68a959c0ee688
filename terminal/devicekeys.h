#ifndef DEVICEKEYS_H
#define DEVICEKEYS_H

#include <QObject>
#include <QString>

// The keys of the device's keypad as bytes on the programming line: OK is a
// carriage return, ESC the escape code, the other keys send their own
// character ('0'-'9', '*', '#', '+', '-').
//
// The window's keypad asks the same rules for the byte of each of its keys
// (a QML singleton, DeviceKeys.keyCode("ESC")), so the keys and the robot
// cannot differ.
class DeviceKeys : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    static constexpr char Ok = 13;
    static constexpr char Esc = 27;
    static constexpr char Next = '+';
    static constexpr char Previous = '-';

    // The key a typed name stands for ("OK", "esc", "7", "#"; any letter
    // case, blanks around ignored), or 0 when it names no key of the device.
    static char fromName(const QString &name);
    // The key's name for the debug log, three characters wide ("OK ", "ESC",
    // "7  ").
    static QString logName(char key);

    // fromName() for QML: the byte of a key's label, 0 for none.
    Q_INVOKABLE int keyCode(const QString &name) const;
};

#endif // DEVICEKEYS_H
