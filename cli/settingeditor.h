#ifndef SETTINGEDITOR_H
#define SETTINGEDITOR_H

#include <QList>
#include <QString>
#include <QVector>

class ConfItem;

// Changes settings of a loaded configuration from "PATH=VALUE" arguments and
// marks them for transfer. A value is taken when the setting's value type
// says it is complete and valid (the rule the window's editor asks as well);
// settings the editor cannot change take nothing.
class SettingEditor
{
public:
    explicit SettingEditor(const QList<ConfItem *> &items);

    // Checks one argument and remembers it; false with the problem named.
    bool add(const QString &argument, QString *problem);
    // Writes every remembered value and mark into the configuration.
    void apply();

    // Why the setting refuses this value; empty when it takes it.
    static QString refusal(const ConfItem *item, const QString &path, const QString &value);

private:
    struct Assignment
    {
        ConfItem *item = nullptr;
        QString value;
    };

    QList<ConfItem *> itemsAt(const QString &path) const;
    static bool takesPcClock(const ConfItem *item);

    QList<ConfItem *> m_items;
    QVector<Assignment> m_assignments;
};

#endif // SETTINGEDITOR_H
