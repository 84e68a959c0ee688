#include "readoutoracle.h"

#include <QFile>

#include "simmenu.h"

namespace {

QDomElement elementOf(QDomDocument &document, const SimMenuNode &node)
{
    static const char *const kindTags[] = { "section", "setting", "info" };
    // By SimMenuNode::ValueType; a setting without value type has none.
    static const char *const valueTypes[] = {
        "",        "selection", "inputnum", "inputtime_hhmm", "inputsystemtime", "inputsystemdate",
        "readonly"
    };
    QDomElement element = document.createElement(QLatin1String(kindTags[node.kind]));
    element.setAttribute(QStringLiteral("text"), node.recordedName);
    if (node.kind == SimMenuNode::Info) {
        // What the screen says on its second line is its value.
        element.setAttribute(QStringLiteral("value"), node.screenLine2().left(32).trimmed());
        return element;
    }
    if (node.kind == SimMenuNode::Section) {
        if (!node.blocked.isEmpty())
            element.setAttribute(QStringLiteral("sectiontype"), QStringLiteral("blocked"));
        else
            for (const SimMenuNode &child : node.children)
                element.appendChild(elementOf(document, child));
        return element;
    }
    // The display shows 32 characters a line.
    element.setAttribute(QStringLiteral("value"), node.value.left(32).trimmed());
    element.setAttribute(QStringLiteral("active"), QStringLiteral("0"));
    // Not opened when blocked, so neither its options nor its kind of input are seen.
    element.setAttribute(QStringLiteral("valuetype"),
                         node.blocked.isEmpty() ? QLatin1String(valueTypes[node.valueType])
                                                : QLatin1String("blocked"));
    if (node.blocked.isEmpty() && node.valueType == SimMenuNode::Selection) {
        // Opened, the device shows the current value (the first option when
        // it offers no such value) and `+` runs on through the list.
        const int first = qMax(0, node.options.indexOf(node.value));
        for (int i = 0; i < node.options.size(); ++i) {
            QDomElement option = document.createElement(QStringLiteral("option"));
            option.setAttribute(
                    QStringLiteral("text"),
                    node.options.at((first + i) % node.options.size()).left(32).trimmed());
            element.appendChild(option);
        }
    }
    return element;
}

} // namespace

ReadOutOracle::Expectation ReadOutOracle::expect(const SimMenu &menu)
{
    Expectation result;
    // "Programmierung beenden?" leaves programming mode; it follows the last
    // entry on the top list and is listed but never opened.
    result.document.setContent(QStringLiteral(
            "<deviceProfile version=\"1.0\"><menuTree><section text=\"Programmierung\" "
            "sectiontype=\"blocked\"/></menuTree></deviceProfile>"));
    QDomElement menuTree = result.document.documentElement().firstChildElement();
    for (const SimMenuNode &node : menu.entries)
        menuTree.insertBefore(elementOf(result.document, node), menuTree.lastChild());
    // Every entry is shown a few times: reached, opened, left, found again.
    result.screens = 6 * menu.entryCount() + 20;
    return result;
}

bool ReadOutOracle::writeReadOut(const SimMenu &menu, const QString &path)
{
    QFile out(path);
    return out.open(QIODevice::WriteOnly | QIODevice::Text)
            && out.write(expect(menu).document.toByteArray(1)) > 0;
}

QString ReadOutOracle::scenarioMenuText()
{
    return QStringLiteral("device TST-R V1.0\n"
                          "section Anlage\n"
                          "    selection Modus = Auto\n"
                          "        options: Auto | Hand | Aus\n"
                          "    input Rufnummer = 12\n"
                          "    time Timerzeit Test = 08:00\n"
                          "    readonly Seriennummer = 4711\n"
                          "    section Tiefer\n"
                          "        input Haltezeit = 10\n"
                          "        selection Relais = Ein\n"
                          "            options: Ein | Aus\n"
                          "selection Sprache = Deutsch\n"
                          "    options: Deutsch | English\n");
}
