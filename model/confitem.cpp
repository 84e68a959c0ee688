#include "confitem.h"

#include "logcategories.h"
#include "valuetype.h"

#include <QDebug>

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
      m_initActive(active),
      m_type(type),
      m_menuPath(menuPath.split(QLatin1Char('\n'))),
      m_options(options.split(QLatin1Char('\n'))),
      m_tooltip(tooltipForMenuPath(menuPath)),
      m_kind(ValueType::kindOf(type))
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
    if (!m_hasDraft)
        emit editTextChanged();
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
    return ValueType::inputPattern(m_kind);
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

ValueType::Kind ConfItem::kind() const
{
    return m_kind;
}

ConfItem::Control ConfItem::control() const
{
    switch (m_kind) {
    case ValueType::Kind::Selection:
        return ChoiceBox;
    case ValueType::Kind::InputNum:
        return NumberField;
    case ValueType::Kind::InputTime:
        return TimeField;
    case ValueType::Kind::SystemTime:
        return PcTimeField;
    case ValueType::Kind::SystemDate:
        return PcDateField;
    case ValueType::Kind::ReadOnly:
    case ValueType::Kind::Blocked:
        return ValueText;
    case ValueType::Kind::Unknown:
        break;
    }
    // An information screen's second line.
    if (m_type == QLatin1String("info") && !m_value.isEmpty())
        return ValueText;
    return NoControl;
}

// Blocked entries are listed with what the file holds, but LUM never opens
// them on the device, neither to read them nor to write them.
QString ConfItem::note() const
{
    if (m_kind == ValueType::Kind::Blocked)
        return QStringLiteral("gesperrt: wird von LUM nie geöffnet oder geschrieben");
    if (m_readOutSkipped)
        return QStringLiteral("gesperrt: wird von LUM nie geöffnet");
    return QString();
}

QString ConfItem::completeTyping(const QString &text) const
{
    return ValueType::completeTyping(m_kind, text);
}

void ConfItem::editValue(const QString &text)
{
    if (!ValueType::isEditable(m_kind) || ValueType::takesPcClock(m_kind)) {
        qCDebug(lumFile) << "nothing to type into" << m_menuPath << m_type;
        return;
    }
    const QString completed = completeTyping(text);
    const QString problem = ValueType::validate(m_kind, completed, m_options);
    if (!problem.isEmpty()) {
        setDraft(true, completed, problem);
        return;
    }
    setDraft(false, QString(), QString());
    emit editBegun();
    if (completed != m_value)
        setValue(completed);
    // A value other than the one read from the device or file is one to
    // transfer; returning to it leaves the mark (only the check box clears).
    if (completed != m_initValue && !m_active)
        setActive(true);
    emit editEnded();
}

bool ConfItem::changedFromRead() const
{
    return m_value != m_initValue;
}

// Entries that take no typed value (read-only, blocked, the PC's clock)
// have nothing to go back to.
void ConfItem::resetToRead()
{
    if (!ValueType::isEditable(m_kind) || ValueType::takesPcClock(m_kind))
        return;
    emit editBegun();
    discardDraft();
    if (m_value != m_initValue)
        setValue(m_initValue);
    if (m_active != m_initActive)
        setActive(m_initActive);
    emit editEnded();
}

void ConfItem::discardDraft()
{
    setDraft(false, QString(), QString());
}

void ConfItem::setDraft(bool hasDraft, const QString &draft, const QString &problem)
{
    const QString shownBefore = editText();
    m_hasDraft = hasDraft;
    m_draft = draft;
    if (editText() != shownBefore)
        emit editTextChanged();
    if (problem != m_problem) {
        m_problem = problem;
        emit problemChanged();
    }
}

bool ConfItem::hasDraft() const
{
    return m_hasDraft;
}

QString ConfItem::editText() const
{
    return m_hasDraft ? m_draft : m_value;
}

QString ConfItem::problem() const
{
    return m_problem;
}

void ConfItem::setComparison(Comparison comparison, const QString &deviceValue)
{
    if (comparison == m_comparison && deviceValue == m_deviceValue)
        return;
    m_comparison = comparison;
    m_deviceValue = deviceValue;
    emit comparisonChanged();
}

bool ConfItem::differsFromDevice() const
{
    if (!editable() || ValueType::takesPcClock(m_type))
        return false;
    return m_comparison == Differs || m_comparison == NotOnDevice;
}

QString ConfItem::deviceText() const
{
    switch (m_comparison) {
    case NotCompared:
        return QString();
    case NotOnDevice:
        return QStringLiteral("nicht im Gerät");
    case Same:
    case Differs:
        break;
    }
    // An empty field on the device is said as such, not as a missing value.
    return QStringLiteral("Gerät: ")
            + (m_deviceValue.isEmpty() ? QStringLiteral("(leer)") : m_deviceValue);
}
