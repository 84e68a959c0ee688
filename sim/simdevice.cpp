#include "simdevice.h"

#include <QDate>
#include <QTime>

namespace {

QString pathKey(const QStringList &path)
{
    return path.join(QLatin1Char('\n'));
}

bool isInputCharacter(char key)
{
    return (key >= '0' && key <= '9') || key == '*' || key == '#';
}

bool allDigits(const QString &text)
{
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

SimDevice::SimDevice()
{
    m_pos = { 0 };
}

void SimDevice::setMenu(const SimMenu &menu)
{
    m_menu = menu;
    m_pos = { 0 };
    m_open = Closed;
    m_input.clear();
    m_keyedInputs.clear();
}

QVector<SimMenuNode> *SimDevice::listAt(int level)
{
    if (level == 0)
        return &m_menu.entries;
    QVector<SimMenuNode> *list = &m_menu.entries;
    for (int l = 0; l < level; ++l) {
        const int index = l == 0 ? m_pos.at(0) - SpecialTopEntries : m_pos.at(l);
        list = &(*list)[index].children;
    }
    return list;
}

const QVector<SimMenuNode> *SimDevice::listAt(int level) const
{
    return const_cast<SimDevice *>(this)->listAt(level);
}

int SimDevice::listSize(int level) const
{
    return level == 0 ? topListSize() : listAt(level)->size();
}

SimMenuNode *SimDevice::currentNode()
{
    const int level = m_pos.size() - 1;
    int index = m_pos.last();
    if (level == 0) {
        index -= SpecialTopEntries;
        if (index < 0)
            return nullptr;
    }
    return &(*listAt(level))[index];
}

const SimMenuNode *SimDevice::currentNode() const
{
    return const_cast<SimDevice *>(this)->currentNode();
}

QStringList SimDevice::currentPath() const
{
    if (m_pos.first() < SpecialTopEntries)
        return {};
    QStringList path;
    const QVector<SimMenuNode> *list = &m_menu.entries;
    for (int l = 0; l < m_pos.size(); ++l) {
        const int index = l == 0 ? m_pos.at(0) - SpecialTopEntries : m_pos.at(l);
        const SimMenuNode &node = list->at(index);
        path.append(node.recordedName);
        list = &node.children;
    }
    return path;
}

SimDevice::Screen SimDevice::screen() const
{
    Screen shown;
    if (m_pos.size() == 1 && m_pos.first() == 0) {
        shown.line1 = QStringLiteral("Programmierung");
        shown.line2 = QStringLiteral("beenden?");
        return shown;
    }
    if (m_pos.size() == 1 && m_pos.first() == 1) {
        shown.line1 = m_menu.identifier;
        shown.line2 = QStringLiteral("konfigurieren?");
        return shown;
    }
    const SimMenuNode *node = currentNode();
    shown.line1 = node->screenLine1();
    switch (m_open) {
    case Closed:
        shown.line2 = node->screenLine2();
        break;
    case SelectionOpen: {
        const QStringList options = visibleOptions(node);
        shown.line2 = options.isEmpty() ? QString() : options.at(m_option);
        shown.cursorOnSecondRow = true;
        break;
    }
    case InputOpen:
        shown.line2 = inputAsDisplayed(node);
        shown.cursorOnSecondRow = true;
        break;
    }
    return shown;
}

SimDevice::Screen SimDevice::pressKey(char key)
{
    switch (m_open) {
    case Closed:
        pressInList(key);
        break;
    case SelectionOpen:
        pressInSelection(key);
        closeFieldOn(key);
        break;
    case InputOpen:
        pressInInput(key);
        closeFieldOn(key);
        break;
    }
    return screen();
}

void SimDevice::step(int delta)
{
    const int level = m_pos.size() - 1;
    const int size = listSize(level);
    m_pos.last() = (m_pos.last() + delta + size) % size;
}

void SimDevice::pressInList(char key)
{
    const bool onTopList = m_pos.size() == 1;
    switch (key) {
    case KeyNext:
        step(1);
        break;
    case KeyPrevious:
        step(-1);
        break;
    case KeyEsc:
        if (onTopList && m_restlessBase)
            step(-1);
        else if (onTopList)
            m_pos.first() = 0;
        else
            m_pos.removeLast();
        break;
    case KeyOk:
        if (onTopList && m_pos.first() == 0)
            break; // the jumper keeps the device in programming mode
        if (onTopList && m_pos.first() == 1) {
            if (!m_menu.entries.isEmpty())
                m_pos.first() = SpecialTopEntries;
            break;
        }
        openCurrent();
        break;
    default:
        break;
    }
}

void SimDevice::openCurrent()
{
    const SimMenuNode *node = currentNode();
    if (node->kind == SimMenuNode::Section) {
        if (!node->children.isEmpty())
            m_pos.append(0);
        return;
    }
    switch (node->valueType) {
    case SimMenuNode::Selection:
        m_open = SelectionOpen;
        m_option = qMax(0, visibleOptions(node).indexOf(node->value));
        break;
    case SimMenuNode::Input:
    case SimMenuNode::Time:
    case SimMenuNode::Clock:
    case SimMenuNode::Date:
        m_open = InputOpen;
        m_input.clear();
        break;
    case SimMenuNode::ReadOnly:
    case SimMenuNode::NoValue:
        break;
    }
}

// OK leaves a field with the value taken (if the device accepts it), ESC
// without; either way the device shows the menu entry again.
void SimDevice::closeFieldOn(char key)
{
    if (key == KeyOk || key == KeyEsc)
        m_open = Closed;
}

void SimDevice::pressInSelection(char key)
{
    SimMenuNode *node = currentNode();
    const QStringList options = visibleOptions(node);
    switch (key) {
    case KeyNext:
        if (!options.isEmpty())
            m_option = (m_option + 1) % options.size();
        break;
    case KeyPrevious:
        if (!options.isEmpty())
            m_option = (m_option - 1 + options.size()) % options.size();
        break;
    case KeyOk:
        if (!options.isEmpty())
            confirmValue(node, options.at(m_option));
        break;
    default:
        break;
    }
}

void SimDevice::pressInInput(char key)
{
    SimMenuNode *node = currentNode();
    if (isInputCharacter(key)) {
        if (m_input.size() < MaxInputLength)
            m_input.append(QLatin1Char(key));
        return;
    }
    switch (key) {
    case KeyPrevious:
        m_input.chop(1);
        break;
    case KeyOk: {
        m_keyedInputs.insert(pathKey(currentPath()),
                             m_input.isNull() ? QStringLiteral("") : m_input);
        bool accepted = false;
        const QString stored = storedFormOfInput(node, &accepted);
        if (accepted)
            confirmValue(node, stored);
        break;
    }
    default:
        break;
    }
}

QString SimDevice::storedFormOfInput(const SimMenuNode *node, bool *accepted) const
{
    *accepted = true;
    switch (node->valueType) {
    case SimMenuNode::Time:
    case SimMenuNode::Clock: {
        const QTime time = QTime::fromString(m_input, QStringLiteral("hhmm"));
        *accepted = m_input.size() == 4 && allDigits(m_input) && time.isValid();
        return *accepted ? time.toString(QStringLiteral("hh:mm")) : QString();
    }
    case SimMenuNode::Date: {
        const QDate date = m_input.size() == 6 && allDigits(m_input)
                ? QDate(2000 + m_input.mid(4, 2).toInt(), m_input.mid(2, 2).toInt(),
                        m_input.left(2).toInt())
                : QDate();
        *accepted = date.isValid();
        return *accepted ? date.toString(QStringLiteral("dd.MM.yy")) : QString();
    }
    default:
        return m_input;
    }
}

QString SimDevice::inputAsDisplayed(const SimMenuNode *node) const
{
    QString shown = m_input;
    if (node->valueType == SimMenuNode::Time || node->valueType == SimMenuNode::Clock) {
        if (shown.size() > 2)
            shown.insert(2, QLatin1Char(':'));
    } else if (node->valueType == SimMenuNode::Date) {
        if (shown.size() > 4)
            shown.insert(4, QLatin1Char('.'));
        if (shown.size() > 2)
            shown.insert(2, QLatin1Char('.'));
    }
    return shown;
}

void SimDevice::confirmValue(SimMenuNode *node, const QString &value)
{
    const QStringList path = currentPath();
    QString stored = value;
    for (const Alteration &alteration : qAsConst(m_alterations)) {
        if ((alteration.path.isEmpty() || alteration.path == path) && alteration.from == value) {
            stored = alteration.stored;
            break;
        }
    }
    node->value = stored;
}

QStringList SimDevice::visibleOptions(const SimMenuNode *node) const
{
    QStringList options = node->options;
    for (const QString &hidden : m_hiddenOptions.value(pathKey(currentPath())))
        options.removeAll(hidden);
    return options;
}

void SimDevice::addValueAlteration(const QStringList &path, const QString &from,
                                   const QString &stored)
{
    m_alterations.append({ path, from, stored });
}

void SimDevice::hideOption(const QStringList &path, const QString &option)
{
    m_hiddenOptions[pathKey(path)].append(option);
    if (m_open == SelectionOpen)
        m_option = 0;
}

QString SimDevice::value(const QStringList &path) const
{
    const SimMenuNode *node = m_menu.find(path);
    if (!node || node->kind != SimMenuNode::Setting)
        return QString();
    return node->value.isNull() ? QStringLiteral("") : node->value;
}

QString SimDevice::keyedInput(const QStringList &path) const
{
    return m_keyedInputs.value(pathKey(path));
}
