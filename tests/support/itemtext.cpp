#include "itemtext.h"

#include "confitem.h"
#include "deviceprofile.h"

QStringList ItemText::describe(const QList<ConfItem *> &items, bool withBinding)
{
    QStringList lines;
    for (const ConfItem *item : items) {
        QStringList fields{ item->type(), item->menuPath().join(QLatin1Char('/')), item->value(),
                            QString::number(item->active()),
                            item->options().join(QLatin1Char('/')) };
        if (withBinding)
            fields << (item->element().isNull() ? QStringLiteral("unbound")
                                                : QStringLiteral("bound"));
        lines << fields.join(QLatin1Char('|'));
    }
    return lines;
}

QStringList ItemText::describe(const DeviceProfile &profile, bool withBinding)
{
    return describe(profile.items(), withBinding);
}
