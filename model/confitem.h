#ifndef CONFITEM_H
#define CONFITEM_H

#include <QDomElement>
#include <QObject>
#include <QString>
#include <QStringList>

#include "valuetype.h"

// One entry of the device's menu as the configuration editor shows it. A
// setting's item is bound to its element in the profile's menu tree and writes
// every edit of its value or transfer mark straight into it.
class ConfItem : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool active READ active WRITE setActive NOTIFY activeChanged)
    Q_PROPERTY(QString value READ value WRITE setValue NOTIFY valueChanged)
    Q_PROPERTY(QString initValue READ initValue CONSTANT)
    Q_PROPERTY(QString type READ type CONSTANT)
    Q_PROPERTY(bool editable READ editable CONSTANT)
    Q_PROPERTY(QStringList menuPath READ menuPath CONSTANT)
    Q_PROPERTY(QString menuName READ menuName CONSTANT)
    Q_PROPERTY(int menuLayer READ menuLayer CONSTANT)
    Q_PROPERTY(QStringList options READ options CONSTANT)
    Q_PROPERTY(int valueIndex READ valueIndex NOTIFY valueChanged)
    Q_PROPERTY(QString tooltip READ tooltip CONSTANT)
    Q_PROPERTY(QString inputPattern READ inputPattern CONSTANT)
    // A section or setting the read-out leaves closed, so it holds no values.
    Q_PROPERTY(bool readOutSkipped READ readOutSkipped CONSTANT)
    // What the value's field shows: the text typed last while it is not a
    // valid value (the draft), else the stored value.
    Q_PROPERTY(QString editText READ editText NOTIFY editTextChanged)
    // Why the draft is not taken, in German; empty while there is no draft.
    Q_PROPERTY(QString problem READ problem NOTIFY problemChanged)
    // A hint for an entry shown but never opened or written (blocked);
    // empty for every other entry.
    Q_PROPERTY(QString note READ note CONSTANT)
    // Which control the editor shows for the value.
    Q_PROPERTY(Control control READ control CONSTANT)
    // What the last check of the device found for this setting, and the
    // value the device showed (empty when not compared or not on the device).
    Q_PROPERTY(Comparison comparison READ comparison NOTIFY comparisonChanged)
    Q_PROPERTY(QString deviceValue READ deviceValue NOTIFY comparisonChanged)
    // A setting the transfer can write that the check found otherwise on the
    // device, or not on it: the editor shows it apart. Read-only values and
    // the PC clock's settings never count.
    Q_PROPERTY(bool differsFromDevice READ differsFromDevice NOTIFY comparisonChanged)
    // What the editor says under the value after a check: "Gerät: 0815",
    // "nicht im Gerät"; empty when the setting was not compared.
    Q_PROPERTY(QString deviceText READ deviceText NOTIFY comparisonChanged)
    // Whether the value differs from the one read from the device or file
    // (initValue): the editor shows such a value apart, with initValue.
    Q_PROPERTY(bool changedFromRead READ changedFromRead NOTIFY valueChanged)

public:
    enum Control {
        NoControl, // sections, information lines, unknown types
        ChoiceBox, // a selection: one of its options
        NumberField,
        TimeField,
        PcTimeField, // set from the PC clock, nothing to type
        PcDateField,
        ValueText, // read-only, blocked, an information line's second line: the value as text
    };
    Q_ENUM(Control)

    enum Comparison {
        NotCompared,
        Same, // the device shows the file's value
        Differs,
        NotOnDevice, // the device's menu has no such entry
    };
    Q_ENUM(Comparison)

    explicit ConfItem(const QString &type = QString(), const QString &menuPath = QString(),
                      const QString &value = QString(), const QString &options = QString(),
                      bool active = false);

    bool active() const;
    void setActive(bool active);
    QString value() const;
    void setValue(const QString &value);
    QString initValue() const;
    QString type() const;
    bool editable() const;
    QStringList menuPath() const;
    QString menuName() const;
    int menuLayer() const;
    QStringList options() const;
    int valueIndex() const;
    QString tooltip() const;
    // What the value's text field lets the technician type (a regular
    // expression; empty for types without a field).
    QString inputPattern() const;

    // Whether `text` is a complete, valid value for this item's value type.
    Q_INVOKABLE bool isValidValue(const QString &text) const;
    bool readOutSkipped() const;
    void setReadOutSkipped(bool skipped);

    ValueType::Kind kind() const;
    Control control() const;
    QString note() const;

    // The editor's one entry for typed text. The text is completed first
    // (completeTyping), then judged by the value type's rule: a valid value
    // is stored (setValue) and marks the setting when it differs from
    // initValue; an invalid one leaves the stored value as it is and is kept
    // as the draft with its problem. Entries the technician cannot type into
    // take nothing.
    Q_INVOKABLE void editValue(const QString &text);
    // What a field shows while the technician types (four digits of a time
    // gain their colon); other types are unchanged.
    Q_INVOKABLE QString completeTyping(const QString &text) const;
    // Drops the draft: the field shows the stored value again.
    Q_INVOKABLE void discardDraft();
    bool hasDraft() const;
    QString editText() const;
    QString problem() const;

    Comparison comparison() const { return m_comparison; }
    QString deviceValue() const { return m_deviceValue; }
    void setComparison(Comparison comparison, const QString &deviceValue);
    bool differsFromDevice() const;
    QString deviceText() const;
    bool changedFromRead() const;
    // Back to the setting as it was read or loaded: initValue, and the mark
    // it had then; a draft is dropped. One step for undo.
    Q_INVOKABLE void resetToRead();

    QDomElement element() const;
    void setElement(const QDomElement &element);

signals:
    void activeChanged();
    void valueChanged();
    void editTextChanged();
    void problemChanged();
    void comparisonChanged();
    // Around one action of the technician that may change both the value
    // and the mark (editValue, resetToRead): the edit history makes it one
    // step.
    void editBegun();
    void editEnded();

private:
    void setDraft(bool hasDraft, const QString &draft, const QString &problem);

    bool m_active = false;
    QString m_value;
    QString m_initValue;
    bool m_initActive = false;
    QString m_type;
    QStringList m_menuPath;
    QStringList m_options;
    QString m_tooltip;
    ValueType::Kind m_kind = ValueType::Kind::Unknown;
    bool m_readOutSkipped = false;
    bool m_hasDraft = false;
    QString m_draft;
    QString m_problem;
    QDomElement m_element;
    Comparison m_comparison = NotCompared;
    QString m_deviceValue;
};

#endif // CONFITEM_H
