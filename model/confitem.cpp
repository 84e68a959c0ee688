#include "confitem.h"

#include "valuetype.h"

namespace {

// Two settings have a requirement of the emergency-call standard attached;
// the editor explains it next to them.
QString tooltipForMenuPath(const QString &menuPathText)
{
    if (menuPathText == QStringLiteral("Einstellungen\nNotruf\nNotrufende"))
        return QStringLiteral("Nach EN 81-28:2018 muss ein Notruf gespeichert bleiben, "
                              "bis die Befreiung abgeschlossen ist.");
    if (menuPathText == QStringLiteral("Einstellungen\nTimer\nTimerstoerung"))
        return QStringLiteral("Nach EN 81-28:2018 muss eine Timerstörung durch eine "
                              "abwechselnd blinkende Tableau-Anzeige dargestellt werden.");
    return QString();
}

} // namespace

ConfItem::ConfItem(const QString &type, const QString &menuPath, const QString &value,
                   const QString &options, bool active)
    : m_active(active),
      m_value(value),
      m_initValue(value),
      m_type(type),
      m_menuPath(menuPath.split(QLatin1Char('\n'))),
      m_options(options.split(QLatin1Char('\n'))),
      m_tooltip(tooltipForMenuPath(menuPath))
{
}

bool ConfItem::active() const
{
    return m_active;
}

// Emits on every call, also without a change: the editor relies on it to
// refresh a row after the user toggled the mark back and forth.
void ConfItem::setActive(bool active)
{
    m_active = active;
    if (!m_element.isNull())
        m_element.setAttribute(QStringLiteral("active"),
                               active ? QStringLiteral("1") : QStringLiteral("0"));
    emit activeChanged();
}

QString ConfItem::value() const
{
    return m_value;
}

void ConfItem::setValue(const QString &value)
{
    m_value = value;
    if (!m_element.isNull())
        m_element.setAttribute(QStringLiteral("value"), value);
    emit valueChanged();
}

QString ConfItem::initValue() const
{
    return m_initValue;
}

QString ConfItem::type() const
{
    return m_type;
}

bool ConfItem::editable() const
{
    return ValueType::isEditable(m_type);
}

QStringList ConfItem::menuPath() const
{
    return m_menuPath;
}

QString ConfItem::menuName() const
{
    return m_menuPath.isEmpty() ? QString() : m_menuPath.constLast();
}

int ConfItem::menuLayer() const
{
    return m_menuPath.size();
}

QStringList ConfItem::options() const
{
    return m_options;
}

int ConfItem::valueIndex() const
{
    return m_options.indexOf(m_value);
}

QString ConfItem::inputPattern() const
{
    return ValueType::inputPattern(m_type);
}

bool ConfItem::isValidValue(const QString &text) const
{
    return ValueType::isValidValue(m_type, text, m_options);
}

QString ConfItem::tooltip() const
{
    return m_tooltip;
}

bool ConfItem::readOutSkipped() const
{
    return m_readOutSkipped;
}

void ConfItem::setReadOutSkipped(bool skipped)
{
    m_readOutSkipped = skipped;
}

QDomElement ConfItem::element() const
{
    return m_element;
}

void ConfItem::setElement(const QDomElement &element)
{
    m_element = element;
}
