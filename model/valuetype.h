#ifndef VALUETYPE_H
#define VALUETYPE_H

#include <QString>
#include <QStringList>

// The value types of the device's settings, as the `valuetype` attribute of
// the menu tree names them, and what each of them allows: whether the editor
// lets the technician change it, whether the transfer can key it into the
// device, and which texts are valid values. The robot, the profile, the
// window (through ConfItem) and lumctl all ask this one table.
class ValueType
{
public:
    static const QString Selection;
    static const QString InputNum;
    static const QString InputTime;
    static const QString SystemTime;
    static const QString SystemDate;
    static const QString ReadOnly;
    static const QString Blocked;

    // The editor offers a control for it (a choice, a field, or the PC clock).
    static bool isEditable(const QString &type);
    // The transfer can enter a value of this type into the device; marked
    // settings of any other type are passed over.
    static bool isTransferable(const QString &type);
    // The value is taken from the PC's clock when transferred, not from the
    // stored value.
    static bool takesPcClock(const QString &type);

    // What an input field lets the technician type, as a regular expression
    // (empty for types without a text field). Text typed so far may be
    // incomplete, e.g. "08:" on the way to a time.
    static QString inputPattern(const QString &type);
    // Whether `text` is a complete, valid value: a time as "HH:MM" from 00:00
    // to 23:59, a number of at most 32 characters 0-9, # and *, a selection's
    // option exactly as the device shows it. Types that take no value from
    // the technician (PC clock, read-only, blocked, unknown) have none.
    static bool isValidValue(const QString &type, const QString &text, const QStringList &options);
};

#endif // VALUETYPE_H
