#ifndef VALUETYPE_H
#define VALUETYPE_H

#include <QString>
#include <QStringList>

// The value types of the device's settings, as the `valuetype` attribute of
// the menu tree names them, and what each of them allows: whether the editor
// lets the technician change it, whether the transfer can key it into the
// device, and which texts are valid values (with the reason when not). The
// robot, the profile, the window (through ConfItem) and lumctl all ask this
// one table; the words of the file are read and written only here.
class ValueType
{
public:
    enum class Kind {
        Unknown, // no or an unknown `valuetype`
        Selection,
        InputNum,
        InputTime,
        SystemTime,
        SystemDate,
        ReadOnly,
        Blocked,
    };

    // The file's words, e.g. ValueType::Selection == "selection".
    static const QString Selection;
    static const QString InputNum;
    static const QString InputTime;
    static const QString SystemTime;
    static const QString SystemDate;
    static const QString ReadOnly;
    static const QString Blocked;

    // The kind a `valuetype` word names (exact, case-sensitive), and the
    // word written for a kind (empty for Unknown).
    static Kind kindOf(const QString &word);
    static QString word(Kind kind);

    // The editor offers a control for it (a choice, a field, or the PC clock).
    // For words, every type beginning with "input" counts, also one this
    // version does not know.
    static bool isEditable(Kind kind);
    static bool isEditable(const QString &type);
    // The transfer can enter a value of this type into the device; marked
    // settings of any other type are passed over.
    static bool isTransferable(Kind kind);
    static bool isTransferable(const QString &type);
    // The value is taken from the PC's clock when transferred, not from the
    // stored value.
    static bool takesPcClock(Kind kind);
    static bool takesPcClock(const QString &type);
    // The technician types the value into a text field (number or time).
    static bool isTyped(Kind kind);
    // Why the transfer passes a marked setting of this type over (for types
    // that are not transferable).
    static QString passedOverReason(Kind kind);

    // What an input field lets the technician type, as a regular expression
    // (empty for types without a text field). Text typed so far may be
    // incomplete, e.g. "08:" or "081" on the way to a time.
    static QString inputPattern(Kind kind);
    static QString inputPattern(const QString &type);

    // The text a field should show for what the technician typed: four digits
    // of a time gain their colon ("0915" -> "09:15"); anything else stays.
    static QString completeTyping(Kind kind, const QString &text);

    // Why `text` is not a complete, valid value of the type, in German; empty
    // when it is. A time is two digits of hours and two of minutes 00-59 (a
    // time of day or a duration: "48:00" is valid; the device confirms what it
    // takes), a number at most 32 characters 0-9, # and *, a selection's value
    // one of its options exactly as the device shows it. Types that take no
    // value from the technician (PC clock, read-only, blocked, unknown) have
    // none.
    static QString validate(Kind kind, const QString &text, const QStringList &options);
    static QString validate(const QString &type, const QString &text, const QStringList &options);
    static bool isValidValue(const QString &type, const QString &text, const QStringList &options);
};

#endif // VALUETYPE_H
