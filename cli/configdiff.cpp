#include "configdiff.h"

#include "confitem.h"

#include <QHash>
#include <QPair>
#include <QStringList>

namespace {

// A device never lists one name twice on a level, but a hand-edited file may;
// numbering repeats keeps such entries apart instead of comparing the first
// one twice.
using EntryKey = QPair<QString, int>;

QVector<EntryKey> keysOf(const QList<ConfItem *> &items)
{
    QHash<QString, int> seen;
    QVector<EntryKey> keys;
    keys.reserve(items.size());
    for (const ConfItem *item : items) {
        const QString path = ConfigDiff::joinedPath(item);
        keys.append(qMakePair(path, seen[path]++));
    }
    return keys;
}

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

QString ConfigDiff::joinedPath(const ConfItem *item)
{
    return item->menuPath().join(QLatin1Char('/'));
}

QVector<ConfigDiff::Difference> ConfigDiff::compare(const QList<ConfItem *> &a,
                                                    const QList<ConfItem *> &b)
{
    const QVector<EntryKey> keysA = keysOf(a);
    const QVector<EntryKey> keysB = keysOf(b);
    QHash<EntryKey, int> indexInB;
    for (int i = 0; i < keysB.size(); ++i)
        indexInB.insert(keysB.at(i), i);

    QVector<Difference> differences;
    QHash<EntryKey, bool> matched;
    for (int i = 0; i < keysA.size(); ++i) {
        const ConfItem *itemA = a.at(i);
        Difference difference;
        difference.path = keysA.at(i).first;
        difference.type = itemA->type();
        difference.valueA = itemA->value();
        const auto found = indexInB.constFind(keysA.at(i));
        if (found == indexInB.constEnd()) {
            difference.kind = OnlyInA;
            differences.append(difference);
            continue;
        }
        matched.insert(keysA.at(i), true);
        const ConfItem *itemB = b.at(found.value());
        if (itemA->value() != itemB->value() || itemA->type() != itemB->type()) {
            difference.kind = Changed;
            difference.valueB = itemB->value();
            if (itemA->type() != itemB->type())
                difference.type = itemA->type() + QStringLiteral(" -> ") + itemB->type();
            differences.append(difference);
        }
    }
    for (int i = 0; i < keysB.size(); ++i) {
        if (matched.contains(keysB.at(i)))
            continue;
        Difference difference;
        difference.kind = OnlyInB;
        difference.path = keysB.at(i).first;
        difference.type = b.at(i)->type();
        difference.valueB = b.at(i)->value();
        differences.append(difference);
    }
    return differences;
}

QString ConfigDiff::describe(const Difference &difference)
{
    switch (difference.kind) {
    case Changed:
        return QStringLiteral("~ %1: %2 -> %3 (%4)")
                .arg(difference.path, quoted(difference.valueA), quoted(difference.valueB),
                     difference.type);
    case OnlyInA:
        return QStringLiteral("- %1 (%2)").arg(difference.path, difference.type);
    case OnlyInB:
        return QStringLiteral("+ %1 (%2)").arg(difference.path, difference.type);
    }
    return QString();
}
