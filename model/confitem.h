#ifndef CONFITEM_H
#define CONFITEM_H

#include <QDomElement>
#include <QObject>
#include <QString>
#include <QStringList>

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

public:
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

    QDomElement element() const;
    void setElement(const QDomElement &element);

signals:
    void activeChanged();
    void valueChanged();

private:
    bool m_active = false;
    QString m_value;
    QString m_initValue;
    QString m_type;
    QStringList m_menuPath;
    QStringList m_options;
    QString m_tooltip;
    bool m_readOutSkipped = false;
    QDomElement m_element;
};

#endif // CONFITEM_H
