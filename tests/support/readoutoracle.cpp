#include "readoutoracle.h"

#include <QRegularExpression>

#include "simmenu.h"

namespace {

const QString kSection = QStringLiteral("section");
const QString kSetting = QStringLiteral("setting");
const QString kOption = QStringLiteral("option");
const QString kInfo = QStringLiteral("info");

const QStringList kBlockedSections = {
    QStringLiteral("Formatieren"), QStringLiteral("Reset"),
    QStringLiteral("Programmierung"), QStringLiteral("Ereig.-Speicher")};
const QStringList kBlockedSettings = {
    QStringLiteral("Service-Center"), QStringLiteral("Netzbetreiber"),
    QStringLiteral("Netzauswahl"), QStringLiteral("Ausgang PICTO"),
    QStringLiteral("Status XIN")};

// The display keeps 32 characters a line; the device's padding goes with the trim.
constexpr int kLineCells = 32;
// Levels 0 to 19 can be walked; a screen read deeper ends the read-out.
constexpr int kDeepestLevel = 19;
// A walk this long has lost its way.
constexpr int kScreenLimit = 200000;

bool containsAny(const QString &name, const QStringList &words)
{
    for (const QString &word : words) {
        if (name.contains(word))
            return true;
    }
    return false;
}

QString without(QString text, const QString &what)
{
    return text.remove(what);
}

// One screen as the robot must read it: its kind, its name at the level it
// is shown on, and a setting's value.
struct Reading {
    QString line1;
    QString line2;
    QString kind;
    QString name;
    QString value;
};

Reading readScreen(const ReadOutOracle::Screen &screen, int level)
{
    static const QRegularExpression alarmLine(QStringLiteral("^ALARM \\d:$"));
    static const QRegularExpression speakerLine(QStringLiteral("^VERWENDET LSP\\d$"));
    static const QRegularExpression microphoneLine(QStringLiteral("^VERWENDET MIC\\d$"));

    Reading r;
    r.line1 = screen.line1.left(kLineCells).trimmed();
    r.line2 = screen.line2.left(kLineCells).trimmed();
    if (r.line1 == QLatin1String("SIM-Entsperren?"))
        r.line1 = QStringLiteral("SIM-Entsperren:");
    if (alarmLine.match(r.line1).hasMatch() && speakerLine.match(r.line2).hasMatch())
        r.line1 = without(r.line1, QStringLiteral(":")) + QStringLiteral(" LSP:");
    if (alarmLine.match(r.line1).hasMatch() && microphoneLine.match(r.line2).hasMatch())
        r.line1 = without(r.line1, QStringLiteral(":")) + QStringLiteral(" MIC:");

    if (r.line1.endsWith(QLatin1Char(':'))) {
        if (screen.cursorRow != 0) {
            r.kind = kOption;
            r.name = r.line2;
        } else {
            r.kind = kSetting;
            r.name = without(r.line1, QStringLiteral(":"));
            r.value = without(r.line2, QStringLiteral("<KEIN EINTRAG!>"));
        }
        return r;
    }
    const QString question = QStringLiteral("?");
    r.kind = (r.line1.endsWith(question) || r.line2.endsWith(question)) ? kSection : kInfo;
    if (level == 0) {
        r.name = without(r.line1, question);
    } else if (r.line2.endsWith(question)) {
        r.name = without(r.line2, question);
    } else {
        r.name = without(r.line1, question);
        if (!r.line2.isEmpty())
            r.name += QLatin1Char(' ') + without(r.line2, question);
    }
    return r;
}

QStringList childTexts(const QDomElement &element)
{
    QStringList texts;
    for (QDomElement child = element.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement())
        texts.append(child.attribute(QStringLiteral("text")));
    return texts;
}

// The menu path the robot keeps for an element: its text and the texts of
// the sections around it, outermost first.
QStringList menuPathOf(const QDomElement &element)
{
    QStringList path{element.attribute(QStringLiteral("text"))};
    for (QDomElement parent = element.parentNode().toElement();
         !parent.isNull() && parent.tagName() == kSection;
         parent = parent.parentNode().toElement())
        path.prepend(parent.attribute(QStringLiteral("text")));
    return path;
}

} // namespace

class ReadOutOracle::Walk
{
public:
    Expectation result;

    QDomElement start()
    {
        QDomElement root = result.document.createElement(QStringLiteral("deviceProfile"));
        root.setAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
        result.document.appendChild(root);
        QDomElement menuTree = result.document.createElement(QStringLiteral("menuTree"));
        root.appendChild(menuTree);
        return menuTree;
    }

    // Walks one device list, recording below `cursor`. False when the walk
    // ended (error or doubt); true when the level is complete (or, at level
    // 0, the read-out is).
    int configurationStart = 0;

    bool walkList(QDomElement cursor, const QVector<Entry> &list, int firstShown, int level)
    {
        if (level > kDeepestLevel) {
            ++result.screens;
            return fail(tooDeepError());
        }
        if (list.isEmpty())
            return doubt(QStringLiteral("an empty list below %1").arg(pathText(cursor)));

        QStringList seen;
        int index = firstShown % list.size();
        for (;;) {
            const Entry &entry = list.at(index);
            const Reading r = readScreen(entry.screen, level);
            ++result.screens;
            if (result.screens > kScreenLimit)
                return doubt(QStringLiteral("the walk does not end"));
            if (level == 0 && r.line2 == QLatin1String("konfigurieren?")) {
                // Not recorded: OK enters the configuration menu (again).
                seen.clear();
                index = configurationStart % list.size();
                continue;
            }
            if (seen.count(r.name) > 2)
                return fail(inconsistentError());
            seen.append(r.name);

            if (childTexts(cursor).contains(r.name) || r.name.isEmpty())
                return endLevel(cursor, r, level);
            if (cursor.tagName() == kSetting && entry.screen.cursorRow == 0)
                return doubt(QStringLiteral("a first-row screen inside the open setting %1").arg(pathText(cursor)));

            QString name = r.name;
            if (r.kind == kOption && cursor.tagName() == kSection) {
                name.remove(QLatin1Char('.'));
                if (name.isEmpty())
                    return doubt(QStringLiteral("a screen of dots in %1: the robot waits for the device").arg(pathText(cursor)));
            }
            QDomElement element = result.document.createElement(r.kind);
            element.setAttribute(QStringLiteral("text"), name);
            cursor.appendChild(element);

            if (r.kind == kSection) {
                if (containsAny(name, kBlockedSections)) {
                    element.setAttribute(QStringLiteral("sectiontype"), QStringLiteral("blocked"));
                } else {
                    if (!entry.opens)
                        return doubt(QStringLiteral("the section screen %1 does not open").arg(pathText(element)));
                    if (!walkList(element, entry.children, entry.firstShown, level + 1)
                            || !findWayBack(element, list, index, level, seen))
                        return false;
                }
            } else if (r.kind == kSetting) {
                element.setAttribute(QStringLiteral("value"), r.value);
                element.setAttribute(QStringLiteral("active"), QStringLiteral("0"));
                if (!readSetting(element, entry, list, index, level, seen))
                    return false;
            }
            index = (index + 1) % list.size();
        }
    }

private:
    bool readSetting(QDomElement element, const Entry &entry, const QVector<Entry> &list,
                     int index, int level, QStringList &seen)
    {
        const QString name = element.attribute(QStringLiteral("text"));
        QString valueType;
        if (containsAny(name, kBlockedSettings))
            valueType = QStringLiteral("blocked");
        else if (name.contains(QLatin1String("Timerzeit")))
            valueType = QStringLiteral("inputtime_hhmm");
        else if (name == QLatin1String("Uhrzeit"))
            valueType = QStringLiteral("inputsystemtime");
        else if (name == QLatin1String("Datum"))
            valueType = QStringLiteral("inputsystemdate");
        if (!valueType.isEmpty()) {
            element.setAttribute(QStringLiteral("valuetype"), valueType);
            return true;
        }

        if (entry.opens) {
            return walkList(element, entry.children, entry.firstShown, level + 1)
                    && findWayBack(element, list, index, level, seen);
        }
        // The device does not open it: the same screen comes back, still on
        // the first row, and is taken as a read-only setting.
        ++result.screens;
        if (level + 1 > kDeepestLevel)
            return fail(tooDeepError());
        element.setAttribute(QStringLiteral("valuetype"), QStringLiteral("readonly"));
        seen = QStringList{name};
        return true;
    }

    bool endLevel(QDomElement cursor, const Reading &r, int level)
    {
        if (level == 0) {
            if (r.name.isEmpty())
                return fail(noConnectionError());
            return true;
        }
        // Only a setting holds choices; a section keeps its entries visible.
        if ((r.kind == kOption || r.name.isEmpty()) && cursor.hasChildNodes() && cursor.tagName() == kSetting)
            cursor.setAttribute(QStringLiteral("valuetype"), QStringLiteral("selection"));
        if (r.kind == kOption && !cursor.hasChildNodes())
            cursor.setAttribute(QStringLiteral("valuetype"), QStringLiteral("inputnum"));
        return true;
    }

    // After ESC out of `left` the device shows its entry again; the robot
    // searches for it by the path of the element it left. Where names along
    // that path repeat, the search may enter lists again; it is followed on
    // the device as long as it can be, and ends in a doubt where the robot's
    // picture and the device part ways.
    bool findWayBack(const QDomElement &left, const QVector<Entry> &parentList, int leftIndex,
                     int level, QStringList &seen)
    {
        const QStringList path = menuPathOf(left);
        struct Position { const QVector<Entry> *list; int index; };
        QVector<Position> device{{&parentList, leftIndex}};
        seen.clear();
        for (;;) {
            Position &at = device.last();
            const Entry &entry = at.list->at(at.index);
            const Reading r = readScreen(entry.screen, level);
            ++result.screens;
            if (seen.count(r.name) > 2)
                return fail(inconsistentError());
            seen.append(r.name);

            const bool enclosingOfSameName = path.size() >= 2 && r.name == path.at(path.size() - 2)
                    && r.kind != kSetting;
            if (r.name == path.last() && !enclosingOfSameName) {
                if (device.size() == 1 && at.index == leftIndex)
                    return true;
                return doubt(QStringLiteral("the way back out of %1 ends elsewhere").arg(path.join(QLatin1Char('/'))));
            }
            if (path.contains(r.name) && r.kind == kSection) {
                if (!entry.opens || entry.children.isEmpty())
                    return doubt(QStringLiteral("the way back out of %1 enters an entry that does not open").arg(path.join(QLatin1Char('/'))));
                device.append({&entry.children, static_cast<int>(entry.firstShown % entry.children.size())});
                seen.clear();
            } else {
                at.index = (at.index + 1) % at.list->size();
            }
        }
    }

    bool fail(const QString &error)
    {
        result.error = error;
        return false;
    }

    bool doubt(const QString &why)
    {
        result.doubts.append(why);
        return false;
    }

    static QString pathText(const QDomElement &element)
    {
        return QLatin1Char('\'') + menuPathOf(element).join(QLatin1Char('/')) + QLatin1Char('\'');
    }
};

ReadOutOracle::Expectation ReadOutOracle::expect(const QVector<Entry> &topList, int firstShown,
                                                 int configurationStart)
{
    Walk walk;
    walk.configurationStart = configurationStart;
    const QDomElement menuTree = walk.start();
    if (!walk.walkList(menuTree, topList, firstShown, 0)) {
        // A failed read-out leaves nothing of its partial tree.
        QDomElement emptyTree = walk.result.document.createElement(QStringLiteral("menuTree"));
        walk.result.document.documentElement().replaceChild(emptyTree, menuTree);
    }
    return walk.result;
}

ReadOutOracle::Entry ReadOutOracle::section(const QString &line1, const QString &line2,
                                            const QVector<Entry> &children)
{
    Entry entry;
    entry.screen = {line1, line2, 0};
    entry.opens = true;
    entry.children = children;
    return entry;
}

ReadOutOracle::Entry ReadOutOracle::setting(const QString &name, const QString &value)
{
    Entry entry;
    entry.screen = {name + QLatin1Char(':'), value, 0};
    return entry;
}

ReadOutOracle::Entry ReadOutOracle::selection(const QString &name, const QString &value,
                                              const QStringList &options)
{
    Entry entry = setting(name, value);
    entry.opens = true;
    for (const QString &option : options)
        entry.children.append(Entry{{entry.screen.line1, option, 1}, false, {}, 0});
    entry.firstShown = qMax(0, options.indexOf(value));
    return entry;
}

ReadOutOracle::Entry ReadOutOracle::numberInput(const QString &name, const QString &value)
{
    Entry entry = setting(name, value);
    entry.opens = true;
    entry.children.append(Entry{{entry.screen.line1, QString(), 1}, false, {}, 0});
    return entry;
}

ReadOutOracle::Entry ReadOutOracle::info(const QString &line1, const QString &line2)
{
    Entry entry;
    entry.screen = {line1, line2, 0};
    return entry;
}

const QString &ReadOutOracle::noConnectionError()
{
    static const QString text = QStringLiteral("Fehler beim Auslesen!\nKeine Verbindung zum Gerät!");
    return text;
}

const QString &ReadOutOracle::inconsistentError()
{
    static const QString text = QStringLiteral(
            "Fehler beim Auslesen!\nVerbindung zum Gerät wurde getrennt oder Menüstruktur ist inkonsistent!");
    return text;
}

const QString &ReadOutOracle::tooDeepError()
{
    static const QString text = QStringLiteral(
            "Fehler beim Auslesen!\nMehr als 20 Untermenü-Ebenen gefunden oder Menüstruktur ist inkonsistent!");
    return text;
}

ReadOutOracle::Expectation ReadOutOracle::expect(const SimMenu &menu)
{
    // The walk begins on the identification screen, which `+` shows after
    // "Programmierung beenden"; its OK shows the first configuration entry.
    return expect(topListOf(menu), 1, 2);
}

QVector<ReadOutOracle::Entry> ReadOutOracle::topListOf(const SimMenu &menu)
{
    QVector<Entry> top;
    // In programming mode the jumper keeps the device from leaving: OK on
    // "Programmierung beenden" changes nothing.
    top.append(info(QStringLiteral("Programmierung"), QStringLiteral("beenden?")));
    top.append(info(menu.identifier, QStringLiteral("konfigurieren?")));
    for (const SimMenuNode &node : menu.entries)
        top.append(entryOf(node));
    return top;
}

ReadOutOracle::Entry ReadOutOracle::entryOf(const SimMenuNode &node)
{
    Entry entry;
    entry.screen = {node.screenLine1(), node.screenLine2(), 0};
    switch (node.kind) {
    case SimMenuNode::Section:
        entry.opens = !node.children.isEmpty();
        for (const SimMenuNode &child : node.children)
            entry.children.append(entryOf(child));
        break;
    case SimMenuNode::Setting:
        switch (node.valueType) {
        case SimMenuNode::Selection:
            entry = selection(QString(), node.value, node.options);
            entry.screen = {node.screenLine1(), node.screenLine2(), 0};
            for (Entry &option : entry.children)
                option.screen.line1 = node.screenLine1();
            break;
        case SimMenuNode::Input:
        case SimMenuNode::Time:
        case SimMenuNode::Clock:
        case SimMenuNode::Date:
            // Opened, these show an empty input line under the name.
            entry.opens = true;
            entry.children.append(Entry{{node.screenLine1(), QString(), 1}, false, {}, 0});
            break;
        case SimMenuNode::ReadOnly:
        case SimMenuNode::NoValue:
            break;
        }
        break;
    case SimMenuNode::Info:
        break;
    }
    return entry;
}
