#ifndef ITEMTEXT_H
#define ITEMTEXT_H

#include <QList>
#include <QStringList>

class ConfItem;
class DeviceProfile;

// The editor's item list as text, one line per item:
// "type|menu path|value|marked (0 or 1)|options separated by /", and with
// `withBinding` a last field saying whether the item is bound to a setting
// of the tree it can write ("bound") or not ("unbound").
namespace ItemText {

QStringList describe(const QList<ConfItem *> &items, bool withBinding = false);
QStringList describe(const DeviceProfile &profile, bool withBinding = false);

} // namespace ItemText

#endif // ITEMTEXT_H
