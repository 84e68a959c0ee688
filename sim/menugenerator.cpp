#include "menugenerator.h"

#include "devicesimulator.h"
#include "simmenu.h"

#include <QRandomGenerator>
#include <QSet>
#include <QStringList>
#include <QTextStream>
#include <QVector>

namespace {

struct Item
{
    QString keyword; // the menu file's entry kind
    QString name; // for info screens: the first line
    QString value; // for info screens: the second line
    QStringList options;
    QString line1; // override of the first line, if any
    QString reads; // what a read-out records, where it is not the name
    QString blocked; // the maker's warning, for entries a program must leave alone
    int childList = -1;
};

struct List
{
    int depth = 0;
    QString ownerName;
    QVector<Item> items;
    QSet<QString> recordedNames;
};

const QStringList sectionNames = {
    QStringLiteral("Einstellungen"), QStringLiteral("Notruf"),    QStringLiteral("Rufnummern"),
    QStringLiteral("Timer"),         QStringLiteral("Audio"),     QStringLiteral("Alarmfilter"),
    QStringLiteral("Kommunikation"), QStringLiteral("GSM"),       QStringLiteral("Eingänge"),
    QStringLiteral("Ausgänge"),      QStringLiteral("Relais"),    QStringLiteral("Sprachansage"),
    QStringLiteral("Service"),       QStringLiteral("Anzeige"),   QStringLiteral("Optionen"),
    QStringLiteral("Erweitert"),     QStringLiteral("Kabine"),    QStringLiteral("Schacht"),
    QStringLiteral("Notlicht"),      QStringLiteral("Testalarm"),
};

// The entries the device's maker warns a program against opening or
// changing, as the demo menu records them (its `blocked:` entries): the
// generator places these, so the menus it makes carry the same warnings.
struct MakersWarnings
{
    QVector<SimMenuNode> sections;
    QVector<SimMenuNode> settings;
};

void collectWarnings(const QVector<SimMenuNode> &nodes, MakersWarnings *out)
{
    for (const SimMenuNode &node : nodes) {
        if (!node.blocked.isEmpty())
            (node.isSection() ? out->sections : out->settings).append(node);
        collectWarnings(node.children, out);
    }
}

const MakersWarnings &makersWarnings()
{
    static const MakersWarnings warnings = [] {
        MakersWarnings collected;
        SimMenu demo;
        demo.load(DeviceSimulator::demoMenuPath());
        collectWarnings(demo.entries, &collected);
        return collected;
    }();
    return warnings;
}

// Selection names with the option list that suits them (an index into
// optionPools).
const QVector<QPair<QString, int>> selections = {
    { QStringLiteral("Sprache"), 3 },        { QStringLiteral("Lautstärke"), 2 },
    { QStringLiteral("Wahlverfahren"), 1 },  { QStringLiteral("Rückruf"), 0 },
    { QStringLiteral("Notrufende"), 9 },     { QStringLiteral("Quittierton"), 0 },
    { QStringLiteral("Betriebsart"), 10 },   { QStringLiteral("Alarmeingang"), 6 },
    { QStringLiteral("Filter"), 5 },         { QStringLiteral("Modus"), 4 },
    { QStringLiteral("Kontrast"), 2 },       { QStringLiteral("Relais 1"), 8 },
    { QStringLiteral("Relais 2"), 8 },       { QStringLiteral("Testalarm-Intervall"), 7 },
    { QStringLiteral("Timerstoerung"), 0 },  { QStringLiteral("Alarmfilter"), 5 },
    { QStringLiteral("Notlicht"), 0 },       { QStringLiteral("Eingang 1"), 6 },
    { QStringLiteral("Netzbetreiber"), 11 }, { QStringLiteral("Netzauswahl"), 4 },
    { QStringLiteral("Ausgang PICTO"), 8 },  { QStringLiteral("Status XIN"), 6 },
};

const QStringList inputNames = {
    QStringLiteral("Rufnummer 1"),    QStringLiteral("Rufnummer 2"),
    QStringLiteral("Rufnummer 3"),    QStringLiteral("Rufversuche"),
    QStringLiteral("Gesprächsdauer"), QStringLiteral("Haltezeit"),
    QStringLiteral("Server-Port"),    QStringLiteral("Kennung"),
    QStringLiteral("Wiederholungen"), QStringLiteral("Testrufnummer"),
    QStringLiteral("Amtsholung"),     QStringLiteral("Anlagennummer"),
};

const QStringList readOnlyNames = {
    QStringLiteral("Seriennummer"), QStringLiteral("Firmware"),     QStringLiteral("IMEI"),
    QStringLiteral("Signalstärke"), QStringLiteral("Akkuspannung"), QStringLiteral("Hardware"),
};

const QVector<QStringList> optionPools = {
    { QStringLiteral("Ein"), QStringLiteral("Aus") },
    { QStringLiteral("Ton"), QStringLiteral("Impuls") },
    { QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
      QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("8") },
    { QStringLiteral("Deutsch"), QStringLiteral("English"), QStringLiteral("Français"),
      QStringLiteral("Italiano") },
    { QStringLiteral("Auto"), QStringLiteral("Manuell") },
    { QStringLiteral("Aus"), QStringLiteral("1 s"), QStringLiteral("2 s"), QStringLiteral("5 s"),
      QStringLiteral("10 s") },
    { QStringLiteral("Öffner"), QStringLiteral("Schließer") },
    { QStringLiteral("1 Tag"), QStringLiteral("3 Tage"), QStringLiteral("7 Tage"),
      QStringLiteral("30 Tage") },
    { QStringLiteral("Notruf aktiv"), QStringLiteral("Stoerung"), QStringLiteral("Sprechen"),
      QStringLiteral("Aus") },
    { QStringLiteral("Gegenstelle"), QStringLiteral("Zeitablauf"), QStringLiteral("Taste 0") },
    { QStringLiteral("Normal"), QStringLiteral("Service"), QStringLiteral("Test") },
    { QStringLiteral("Automatisch"), QStringLiteral("Telekom"), QStringLiteral("Vodafone"),
      QStringLiteral("O2") },
};

const QVector<QPair<QString, QString>> infoScreens = {
    { QStringLiteral("Status"), QStringLiteral("Bereit") },
    { QStringLiteral("Akku"), QStringLiteral("13,4 V OK") },
    { QStringLiteral("Version"), QStringLiteral("2.31") },
    { QStringLiteral("Letzter Test"), QStringLiteral("03.12.26 08:00") },
    { QStringLiteral("Netz"), QStringLiteral("nicht verbunden") },
    { QStringLiteral("Wartung"), QStringLiteral("fällig 2027") },
};

// The maker's warning for an entry of this kind and name, "" for none. A
// numbered copy ("Ausgang PICTO 2") carries the warning of its original, and
// so does an entry that another pool of names gave the same name.
QString warningFor(const QString &keyword, const QString &name)
{
    const bool section = keyword == QLatin1String("section");
    const MakersWarnings &warnings = makersWarnings();
    for (const SimMenuNode &warned : section ? warnings.sections : warnings.settings) {
        if (name == warned.name || name.startsWith(warned.name + QLatin1Char(' ')))
            return warned.blocked;
    }
    return QString();
}

class Generator
{
public:
    explicit Generator(quint32 seed) : m_rng(seed) { }

    QString run();

private:
    int pick(int count) { return int(m_rng.bounded(quint32(count))); }
    template<typename T>
    const T &pickFrom(const QVector<T> &list)
    {
        return list.at(pick(list.size()));
    }
    const QString &pickName(const QStringList &names) { return names.at(pick(names.size())); }
    bool chance(int percent) { return pick(100) < percent; }

    static QString recordedName(const Item &item);
    bool add(int list, const Item &item);
    int addSection(int list, const QString &name);
    void addSomewhere(const Item &item, bool needsSectionList = false);
    void addRandomEntry(int list);
    Item randomSelection(const QString &name, int pool = -1);
    Item randomBlockedSetting();
    Item randomInput(const QString &name);
    QString randomDigits(int length);
    QString randomTime();
    QString randomDate();
    void write(QTextStream &out, int list, int indent) const;

    QRandomGenerator m_rng;
    QVector<List> m_lists;
    QString m_identifier;
    int m_entries = 0;
};

// What a correct read-out records for the entry: its `reads:` name where
// the menu gives one, else its name (for an info screen both of its lines).
QString Generator::recordedName(const Item &item)
{
    if (!item.reads.isEmpty())
        return item.reads;
    if (item.keyword == QLatin1String("info") && !item.value.isEmpty())
        return item.name + QLatin1Char(' ') + item.value;
    return item.name;
}

bool Generator::add(int list, const Item &given)
{
    List &target = m_lists[list];
    Item item = given;
    // On its top list the device names an information screen by its first
    // line alone; the second line is what it shows there.
    if (target.depth == 0 && item.keyword == QLatin1String("info") && !item.value.isEmpty())
        item.reads = item.name;
    if (item.keyword != QLatin1String("info"))
        item.blocked = warningFor(item.keyword, item.name);
    const QString shown = recordedName(item);
    if (shown.isEmpty() || target.recordedNames.contains(shown))
        return false;
    if (target.depth == 0 && (shown == QLatin1String("Programmierung") || shown == m_identifier))
        return false;
    // A section inside a section of the same name would be taken for its
    // parent when the device shows it again after ESC.
    if (item.keyword == QLatin1String("section") && item.name == target.ownerName)
        return false;
    target.recordedNames.insert(shown);
    target.items.append(item);
    ++m_entries;
    return true;
}

int Generator::addSection(int list, const QString &name)
{
    Item section;
    section.keyword = QStringLiteral("section");
    section.name = name;
    section.childList = m_lists.size();
    if (!add(list, section))
        return -1;
    List children;
    children.depth = m_lists.at(list).depth + 1;
    children.ownerName = name;
    m_lists.append(children);
    return section.childList;
}

void Generator::addSomewhere(const Item &item, bool needsSectionList)
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int list = pick(m_lists.size());
        if (needsSectionList && m_lists.at(list).depth == 0)
            continue;
        if (add(list, item))
            return;
    }
}

QString Generator::randomDigits(int length)
{
    QString digits;
    for (int i = 0; i < length; ++i)
        digits += QChar(QLatin1Char(char('0' + pick(10))));
    return digits;
}

QString Generator::randomTime()
{
    return QStringLiteral("%1:%2")
            .arg(pick(24), 2, 10, QLatin1Char('0'))
            .arg(pick(12) * 5, 2, 10, QLatin1Char('0'));
}

QString Generator::randomDate()
{
    return QStringLiteral("%1.%2.%3")
            .arg(1 + pick(28), 2, 10, QLatin1Char('0'))
            .arg(1 + pick(12), 2, 10, QLatin1Char('0'))
            .arg(20 + pick(10), 2, 10, QLatin1Char('0'));
}

Item Generator::randomSelection(const QString &name, int pool)
{
    Item item;
    item.keyword = QStringLiteral("selection");
    item.name = name;
    if (pool < 0) {
        pool = pick(optionPools.size());
        for (const auto &known : selections) {
            if (known.first == name)
                pool = known.second;
        }
    }
    const QStringList &options = optionPools.at(pool);
    // Any run of two or more options of the pool, in the pool's order.
    const int count = 2 + pick(options.size() - 1);
    const int first = pick(options.size() - count + 1);
    item.options = options.mid(first, count);
    item.value = chance(8) ? QString() : item.options.at(pick(item.options.size()));
    return item;
}

Item Generator::randomBlockedSetting()
{
    const SimMenuNode &warned = pickFrom(makersWarnings().settings);
    Item item;
    item.keyword = SimMenuNode::valueTypeWord(warned.valueType);
    item.name = warned.name;
    item.options = warned.options;
    item.value = warned.options.isEmpty() ? warned.value
                                          : warned.options.at(pick(warned.options.size()));
    return item;
}

Item Generator::randomInput(const QString &name)
{
    Item item;
    item.keyword = QStringLiteral("input");
    item.name = name;
    item.value = chance(25) ? QString() : randomDigits(1 + pick(10));
    return item;
}

void Generator::addRandomEntry(int list)
{
    const int roll = pick(100);
    Item item;
    if (roll < 35) {
        item = randomSelection(pickFrom(selections).first);
    } else if (roll < 60) {
        item = randomInput(pickName(inputNames));
    } else if (roll < 72) {
        item.keyword = QStringLiteral("readonly");
        item.name = pickName(readOnlyNames);
        item.value = chance(20) ? QString() : randomDigits(2 + pick(8));
    } else if (roll < 82) {
        const auto &screen = pickFrom(infoScreens);
        item.keyword = QStringLiteral("info");
        item.name = screen.first;
        item.value = screen.second;
    } else if (roll < 90) {
        item.keyword = QStringLiteral("time");
        item.name = chance(50) ? QStringLiteral("Timerzeit")
                               : QStringLiteral("Timerzeit %1").arg(1 + pick(3));
        item.value = randomTime();
    } else {
        item = randomBlockedSetting();
    }
    if (!add(list, item)) {
        // Same name already in this list: number it.
        for (int n = 2; n < 10; ++n) {
            Item numbered = item;
            numbered.name = item.name + QStringLiteral(" %1").arg(n);
            if (add(list, numbered))
                return;
        }
    }
}

QString Generator::run()
{
    m_identifier = QStringLiteral("ORV-NR%1 V%2.%3")
                           .arg(QStringList{ QStringLiteral("4000"), QStringLiteral("4100"),
                                             QStringLiteral("2200") }
                                        .at(pick(3)))
                           .arg(1 + pick(3))
                           .arg(pick(100), 2, 10, QLatin1Char('0'));
    m_lists.append(List());

    // Sections first: one chain down to the deepest level, then more
    // sections on random lists above it.
    const int deepest = 2 + pick(3); // lists on levels 0 .. deepest-1
    int list = 0;
    for (int depth = 1; depth < deepest; ++depth) {
        int child = -1;
        while (child < 0)
            child = addSection(list, pickName(sectionNames));
        list = child;
    }
    const int moreSections = 2 + pick(5);
    for (int i = 0; i < moreSections; ++i) {
        const int parent = pick(m_lists.size());
        if (m_lists.at(parent).depth + 1 < deepest)
            addSection(parent, pickName(sectionNames));
    }
    const int sectionLists = m_lists.size();

    // Every special screen once per menu.
    Item item;
    item.keyword = QStringLiteral("clock");
    item.name = QStringLiteral("Uhrzeit");
    item.value = randomTime();
    addSomewhere(item);
    item.keyword = QStringLiteral("date");
    item.name = QStringLiteral("Datum");
    item.value = randomDate();
    addSomewhere(item);
    item.keyword = QStringLiteral("time");
    item.name = QStringLiteral("Timerzeit");
    item.value = randomTime();
    addSomewhere(item);
    item = randomInput(QStringLiteral("SIM-Entsperren"));
    item.line1 = QStringLiteral("SIM-Entsperren?");
    item.value.clear();
    addSomewhere(item);
    const int alarm = 1 + pick(4);
    const int alarmList = pick(sectionLists);
    for (const QString &channel : { QStringLiteral("LSP"), QStringLiteral("MIC") }) {
        item = Item();
        item.keyword = QStringLiteral("readonly");
        // Both channels of a line show the same heading; a reader tells them
        // apart by the channel on the second line.
        item.name = QStringLiteral("ALARM %1 %2").arg(alarm).arg(channel);
        item.line1 = QStringLiteral("ALARM %1:").arg(alarm);
        item.value = QStringLiteral("VERWENDET %1%2").arg(channel).arg(alarm);
        add(alarmList, item);
    }
    item = randomInput(pickName(inputNames));
    item.value.clear();
    addSomewhere(item);
    addSomewhere(randomBlockedSetting());
    addSomewhere(randomSelection(pickFrom(selections).first));
    item.keyword = QStringLiteral("readonly");
    item.name = pickName(readOnlyNames);
    item.value = randomDigits(6);
    addSomewhere(item);
    const auto &screen = pickFrom(infoScreens);
    item.keyword = QStringLiteral("info");
    item.name = screen.first;
    item.value = screen.second;
    addSomewhere(item);

    // A blocked section, which the device opens like any other.
    int blockedParent = pick(sectionLists);
    while (m_lists.at(blockedParent).depth + 1 >= deepest)
        blockedParent = pick(sectionLists);
    const int blocked = addSection(blockedParent, pickFrom(makersWarnings().sections).name);
    if (blocked >= 0) {
        item.keyword = QStringLiteral("info");
        item.name = QStringLiteral("Achtung");
        item.value = QStringLiteral("Daten gehen verloren");
        add(blocked, item);
    }

    // A section holding a setting of its own name.
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int target = 1 + pick(sectionLists - 1);
        if (add(target,
                chance(50) ? randomSelection(m_lists.at(target).ownerName)
                           : randomInput(m_lists.at(target).ownerName)))
            break;
    }

    // Fill up, making sure no section is left empty.
    for (int i = 1; i < m_lists.size(); ++i) {
        if (m_lists.at(i).items.isEmpty())
            addRandomEntry(i);
    }
    const int target = 20 + pick(41);
    for (int guard = 0; m_entries < target && guard < 200; ++guard)
        addRandomEntry(pick(sectionLists));

    // Own shuffle rather than std::shuffle, whose order differs between
    // standard libraries: a seed makes the same menu everywhere.
    for (List &each : m_lists) {
        for (int i = each.items.size() - 1; i > 0; --i)
            std::swap(each.items[i], each.items[pick(i + 1)]);
    }

    QString text;
    QTextStream out(&text);
    out << "# Generated menu\n";
    out << "device " << m_identifier << "\n\n";
    write(out, 0, 0);
    out.flush();
    return text;
}

void Generator::write(QTextStream &out, int list, int indent) const
{
    const QString pad(indent * 4, QLatin1Char(' '));
    for (const Item &item : m_lists.at(list).items) {
        if (item.keyword == QLatin1String("info")) {
            out << pad << "info " << item.name;
            if (!item.value.isEmpty())
                out << " / " << item.value;
            out << '\n';
            if (!item.reads.isEmpty())
                out << pad << "    reads: " << item.reads << '\n';
            continue;
        }
        out << pad << item.keyword << ' ' << item.name;
        if (item.keyword != QLatin1String("section") && !item.value.isEmpty())
            out << " = " << item.value;
        out << '\n';
        if (!item.options.isEmpty())
            out << pad << "    options: " << item.options.join(QStringLiteral(" | ")) << '\n';
        if (!item.line1.isEmpty())
            out << pad << "    line1: " << item.line1 << '\n';
        if (!item.reads.isEmpty())
            out << pad << "    reads: " << item.reads << '\n';
        if (!item.blocked.isEmpty())
            out << pad << "    blocked: " << item.blocked << '\n';
        if (item.childList >= 0)
            write(out, item.childList, indent + 1);
    }
}

} // namespace

QString MenuGenerator::generate(quint32 seed)
{
    return Generator(seed).run();
}
