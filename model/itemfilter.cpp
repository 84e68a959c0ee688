#include "itemfilter.h"

#include "confitem.h"

#include <QMetaEnum>
#include <QVariant>
#include <QVector>

ItemFilter::ItemFilter(const QList<ConfItem *> *items, QObject *parent)
    : QObject(parent), m_items(items)
{
}

QString ItemFilter::searchText() const
{
    return m_searchText;
}

void ItemFilter::setSearchText(const QString &text)
{
    if (text == m_searchText)
        return;
    m_searchText = text;
    invalidate();
}

ItemFilter::View ItemFilter::view() const
{
    return m_view;
}

void ItemFilter::setView(View view)
{
    if (view == m_view)
        return;
    m_view = view;
    invalidate();
}

QStringList ItemFilter::viewNames() const
{
    return { QStringLiteral("alle"), QStringLiteral("markiert/geändert"),
             QStringLiteral("Unterschiede") };
}

int ItemFilter::revision() const
{
    return m_revision;
}

bool ItemFilter::isActive() const
{
    return m_view != All || !m_searchText.trimmed().isEmpty();
}

int ItemFilter::shownSettings() const
{
    update();
    return m_shownSettings;
}

void ItemFilter::invalidate()
{
    m_dirty = true;
    ++m_revision;
    emit revisionChanged();
}

bool ItemFilter::shows(ConfItem *item) const
{
    if (!isActive())
        return true;
    update();
    return m_shown.contains(item);
}

bool ItemFilter::passes(const ConfItem *item) const
{
    return item && matchesSearch(item) && passesView(item);
}

// Case-insensitive, in the path as the technician reads it
// ("Einstellungen/Notruf/Notrufende") or in the value.
bool ItemFilter::matchesSearch(const ConfItem *item) const
{
    const QString needle = m_searchText.trimmed();
    if (needle.isEmpty())
        return true;
    return item->menuPath().join(QLatin1Char('/')).contains(needle, Qt::CaseInsensitive)
            || item->value().contains(needle, Qt::CaseInsensitive);
}

bool ItemFilter::passesView(const ConfItem *item) const
{
    switch (m_view) {
    case All:
        return true;
    case MarkedOrChanged:
        return item->editable() && (item->active() || item->changedFromRead());
    case Differences: {
        // The comparison with a device, where the item offers one: a value
        // the device shows otherwise, or an entry the device lacks.
        const QVariant comparison = item->property("comparison");
        if (!comparison.isValid())
            return false;
        const int index = item->metaObject()->indexOfEnumerator("Comparison");
        if (index < 0)
            return false;
        const QByteArray key = item->metaObject()->enumerator(index).valueToKey(comparison.toInt());
        return key == "Differs" || key == "NotOnDevice";
    }
    }
    return true;
}

// Entries come in menu order, each section directly before its entries, so
// one walk from the end finds every section above a shown entry: a section
// is shown when it passes itself or when an entry one level deeper right
// below it (before the next entry of its own level) is shown.
void ItemFilter::update() const
{
    if (!m_dirty)
        return;
    m_dirty = false;
    m_shown.clear();
    m_shownSettings = 0;
    if (!m_items)
        return;
    // The deepest level with a shown entry not yet claimed by a section.
    QVector<bool> shownBelow;
    for (int i = m_items->size() - 1; i >= 0; --i) {
        const ConfItem *item = m_items->at(i);
        const int level = item->menuLayer();
        if (shownBelow.size() < level + 1)
            shownBelow.resize(level + 1);
        bool shown = passes(item);
        if (!shown && item->type() == QLatin1String("section"))
            shown = shownBelow.at(level);
        // The entries below this one are done with once it is passed.
        for (int deeper = level; deeper < shownBelow.size(); ++deeper)
            shownBelow[deeper] = false;
        if (shown) {
            m_shown.insert(item);
            if (item->editable())
                ++m_shownSettings;
            shownBelow[qMax(0, level - 1)] = true;
        }
    }
}
