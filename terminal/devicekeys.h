#ifndef DEVICEKEYS_H
#define DEVICEKEYS_H

#include <QString>

// The keys of the device's keypad as bytes on the programming line: OK is a
// carriage return, ESC the escape code, the other keys send their own
// character ('0'-'9', '*', '#', '+', '-').
class DeviceKeys
{
public:
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
};

#endif // DEVICEKEYS_H
