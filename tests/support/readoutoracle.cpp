#include "readoutoracle.h"

#include <QFile>

#include "simmenu.h"

namespace {

// The display shows 32 characters a line.
QString shown(const QString &text)
{
    return text.left(32).trimmed();
}

QDomElement elementOf(QDomDocument &document, const SimMenuNode &node)
{
    if (node.kind == SimMenuNode::Info) {
        QDomElement info = document.createElement(QStringLiteral("info"));
        info.setAttribute(QStringLiteral("text"), node.shownName);
        return info;
    }
    if (node.kind == SimMenuNode::Section) {
        QDomElement section = document.createElement(QStringLiteral("section"));
        section.setAttribute(QStringLiteral("text"), node.shownName);
        if (!node.blocked.isEmpty()) {
            section.setAttribute(QStringLiteral("sectiontype"), QStringLiteral("blocked"));
            return section;
        }
        for (const SimMenuNode &child : node.children)
            section.appendChild(elementOf(document, child));
        return section;
    }

    QDomElement setting = document.createElement(QStringLiteral("setting"));
    setting.setAttribute(QStringLiteral("text"), node.shownName);
    setting.setAttribute(QStringLiteral("value"), shown(node.value));
    setting.setAttribute(QStringLiteral("active"), QStringLiteral("0"));
    QString type;
    switch (node.valueType) {
    case SimMenuNode::Selection:
        type = QStringLiteral("selection");
        break;
    case SimMenuNode::Input:
        type = QStringLiteral("inputnum");
        break;
    case SimMenuNode::Time:
        type = QStringLiteral("inputtime_hhmm");
        break;
    case SimMenuNode::Clock:
        type = QStringLiteral("inputsystemtime");
        break;
    case SimMenuNode::Date:
        type = QStringLiteral("inputsystemdate");
        break;
    case SimMenuNode::ReadOnly:
        type = QStringLiteral("readonly");
        break;
    case SimMenuNode::NoValue:
        break;
    }
    if (!node.blocked.isEmpty()) {
        // Not opened, so neither its options nor its kind of input are seen.
        setting.setAttribute(QStringLiteral("valuetype"), QStringLiteral("blocked"));
        return setting;
    }
    setting.setAttribute(QStringLiteral("valuetype"), type);
    if (node.valueType == SimMenuNode::Selection) {
        // Opened, the device shows the current value (the first option when
        // it offers no such value) and `+` runs on through the list.
        const int first = qMax(0, node.options.indexOf(node.value));
        for (int i = 0; i < node.options.size(); ++i) {
            QDomElement option = document.createElement(QStringLiteral("option"));
            option.setAttribute(QStringLiteral("text"),
                                shown(node.options.at((first + i) % node.options.size())));
            setting.appendChild(option);
        }
    }
    return setting;
}

} // namespace

ReadOutOracle::Expectation ReadOutOracle::expect(const SimMenu &menu)
{
    Expectation result;
    QDomElement root = result.document.createElement(QStringLiteral("deviceProfile"));
    root.setAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    result.document.appendChild(root);
    QDomElement menuTree = result.document.createElement(QStringLiteral("menuTree"));
    root.appendChild(menuTree);
    for (const SimMenuNode &node : menu.entries)
        menuTree.appendChild(elementOf(result.document, node));
    // "Programmierung beenden?" leaves programming mode; it follows the last
    // entry on the top list and is listed but never opened.
    QDomElement leave = result.document.createElement(QStringLiteral("section"));
    leave.setAttribute(QStringLiteral("text"), QStringLiteral("Programmierung"));
    leave.setAttribute(QStringLiteral("sectiontype"), QStringLiteral("blocked"));
    menuTree.appendChild(leave);
    // Every entry is shown a few times: reached, opened, left, found again.
    result.screens = 6 * menu.entryCount() + 20;
    return result;
}

const QString &ReadOutOracle::noConnectionError()
{
    static const QString text =
            QStringLiteral("Fehler beim Auslesen!\nKeine Verbindung zum Gerät!");
    return text;
}

const QString &ReadOutOracle::inconsistentError()
{
    static const QString text = QStringLiteral("Fehler beim Auslesen!\nVerbindung zum Gerät wurde "
                                               "getrennt oder Menüstruktur ist inkonsistent!");
    return text;
}

const QString &ReadOutOracle::tooDeepError()
{
    static const QString text =
            QStringLiteral("Fehler beim Auslesen!\nMehr als 20 Untermenü-Ebenen gefunden oder "
                           "Menüstruktur ist inkonsistent!");
    return text;
}

bool ReadOutOracle::writeReadOut(const SimMenu &menu, const QString &path)
{
    QFile out(path);
    return out.open(QIODevice::WriteOnly | QIODevice::Text)
            && out.write(expect(menu).document.toByteArray(1)) > 0;
}
