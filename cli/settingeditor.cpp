#include "settingeditor.h"

#include "configdiff.h"
#include "confitem.h"
#include "valuetype.h"

namespace {

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

SettingEditor::SettingEditor(const QList<ConfItem *> &items) : m_items(items) { }

QList<ConfItem *> SettingEditor::itemsAt(const QString &path) const
{
    QList<ConfItem *> found;
    for (ConfItem *item : m_items) {
        if (ConfigDiff::joinedPath(item) == path)
            found.append(item);
    }
    return found;
}

bool SettingEditor::add(const QString &argument, QString *problem)
{
    const int firstEquals = argument.indexOf(QLatin1Char('='));
    if (firstEquals < 0) {
        *problem = QStringLiteral("%1: erwartet PFAD=WERT").arg(quoted(argument));
        return false;
    }
    // Menu texts may themselves contain "="; take the first split whose left
    // side names an entry.
    for (int at = firstEquals; at >= 0; at = argument.indexOf(QLatin1Char('='), at + 1)) {
        const QString path = argument.left(at);
        const QList<ConfItem *> found = itemsAt(path);
        if (found.isEmpty())
            continue;
        if (found.size() > 1) {
            *problem = QStringLiteral("%1: mehrdeutiger Pfad (%2 Einträge)")
                               .arg(quoted(path))
                               .arg(found.size());
            return false;
        }
        const QString value = argument.mid(at + 1);
        *problem = refusal(found.first(), path, value);
        if (!problem->isEmpty())
            return false;
        m_assignments.append({ found.first(), value });
        return true;
    }
    *problem = QStringLiteral("%1: kein solcher Eintrag in der Konfiguration")
                       .arg(quoted(argument.left(firstEquals)));
    return false;
}

bool SettingEditor::takesPcClock(const ConfItem *item)
{
    return ValueType::takesPcClock(item->type());
}

QString SettingEditor::refusal(const ConfItem *item, const QString &path, const QString &value)
{
    if (item->element().isNull() || item->element().tagName() != QLatin1String("setting"))
        return QStringLiteral("%1 ist keine Einstellung, sondern %2")
                .arg(quoted(path), quoted(item->type()));
    const ValueType::Kind kind = item->kind();
    if (takesPcClock(item)) {
        // The transfer keys in the PC's clock; the stored value is not sent.
        if (value.isEmpty() || value == item->value())
            return QString();
        return QStringLiteral("%1 %2; zum Markieren %3 angeben")
                .arg(quoted(path), ValueType::validate(kind, value, item->options()),
                     quoted(path + QLatin1Char('=')));
    }
    if (!ValueType::isEditable(kind))
        return QStringLiteral("%1 kann nicht geändert werden (Werttyp %2)")
                .arg(quoted(path), quoted(item->type()));
    // The same judgement and words as the window's field.
    const QString problem = ValueType::validate(kind, value, item->options());
    if (problem.isEmpty())
        return QString();
    return QStringLiteral("%1: %2: %3").arg(quoted(path), quoted(value), problem);
}

void SettingEditor::apply()
{
    for (const Assignment &assignment : qAsConst(m_assignments)) {
        if (!takesPcClock(assignment.item))
            assignment.item->setValue(assignment.value);
        assignment.item->setActive(true);
    }
}
