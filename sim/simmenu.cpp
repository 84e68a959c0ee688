#include "simmenu.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>

namespace {

const QStringList kindWords = { QStringLiteral("section"),  QStringLiteral("selection"),
                                QStringLiteral("input"),    QStringLiteral("time"),
                                QStringLiteral("clock"),    QStringLiteral("date"),
                                QStringLiteral("readonly"), QStringLiteral("info") };

struct MenuLine
{
    int number = 0;
    int indent = 0;
    QString keyword; // entry kind, or attribute name without its colon
    QString rest;
    bool isAttribute = false;
};

int indentOf(const QString &line)
{
    int columns = 0;
    for (const QChar c : line) {
        if (c == QLatin1Char(' '))
            ++columns;
        else if (c == QLatin1Char('\t'))
            columns += 8 - columns % 8;
        else
            break;
    }
    return columns;
}

QString lineError(int number, const QString &text)
{
    return QStringLiteral("Zeile %1: %2").arg(number).arg(text);
}

bool isValidTime(const QString &value)
{
    static const QRegularExpression form(QStringLiteral("^([01]\\d|2[0-3]):[0-5]\\d$"));
    return value.isEmpty() || form.match(value).hasMatch();
}

bool isValidDate(const QString &value)
{
    static const QRegularExpression form(
            QStringLiteral("^(0[1-9]|[12]\\d|3[01])\\.(0[1-9]|1[0-2])\\.\\d\\d$"));
    return value.isEmpty() || form.match(value).hasMatch();
}

class Parser
{
public:
    QVector<MenuLine> lines;
    int pos = 0;
    QString error;

    bool parseEntries(int indent, int depth, const QString &parentName, QVector<SimMenuNode> *out);

private:
    bool parseEntry(const MenuLine &line, int depth, const QString &parentName, SimMenuNode *node);
    bool applyAttribute(const MenuLine &line, SimMenuNode *node);
    bool finishEntry(SimMenuNode *node);
};

bool Parser::parseEntries(int indent, int depth, const QString &parentName,
                          QVector<SimMenuNode> *out)
{
    while (pos < lines.size() && lines.at(pos).indent >= indent) {
        const MenuLine &line = lines.at(pos);
        if (line.indent > indent || line.isAttribute) {
            error = lineError(line.number,
                              QStringLiteral("unerwartete Einrückung oder Attribut ohne Eintrag"));
            return false;
        }
        SimMenuNode node;
        if (!parseEntry(line, depth, parentName, &node))
            return false;
        ++pos;
        while (pos < lines.size() && lines.at(pos).isAttribute && lines.at(pos).indent > indent) {
            if (!applyAttribute(lines.at(pos), &node))
                return false;
            ++pos;
        }
        if (!finishEntry(&node))
            return false;
        const bool childrenFollow = pos < lines.size() && lines.at(pos).indent > indent;
        if (node.kind == SimMenuNode::Section) {
            if (!childrenFollow) {
                error = lineError(
                        node.lineNumber,
                        QStringLiteral("Abschnitt \"%1\" hat keine Einträge").arg(node.name));
                return false;
            }
            if (!parseEntries(lines.at(pos).indent, depth + 1, node.name, &node.children))
                return false;
        } else if (childrenFollow) {
            error = lineError(lines.at(pos).number,
                              QStringLiteral("nur Abschnitte enthalten Einträge"));
            return false;
        }
        out->append(node);
    }
    return true;
}

bool Parser::parseEntry(const MenuLine &line, int depth, const QString &parentName,
                        SimMenuNode *node)
{
    node->lineNumber = line.number;
    node->depth = depth;
    const QString &kw = line.keyword;
    if (kw == QLatin1String("info")) {
        node->kind = SimMenuNode::Info;
        const int slash = line.rest.indexOf(QLatin1String(" / "));
        node->line1 = slash < 0 ? line.rest : line.rest.left(slash).trimmed();
        node->line2 = slash < 0 ? QString() : line.rest.mid(slash + 3).trimmed();
        node->name =
                node->line2.isEmpty() ? node->line1 : node->line1 + QLatin1Char(' ') + node->line2;
        return true;
    }
    if (line.rest.isEmpty()) {
        error = lineError(line.number, QStringLiteral("%1 ohne Namen").arg(kw));
        return false;
    }
    if (kw == QLatin1String("section")) {
        node->kind = SimMenuNode::Section;
        node->name = line.rest;
        // The device asks whether to open a section: at the top its name
        // stands on the first line, deeper the first line keeps the name of
        // the list the section belongs to.
        node->line1 = depth == 0 ? node->name : parentName;
        node->line2 = depth == 0 ? QStringLiteral("bearbeiten?") : node->name + QLatin1Char('?');
        return true;
    }
    node->kind = SimMenuNode::Setting;
    const int eq = line.rest.indexOf(QLatin1Char('='));
    node->name = (eq < 0 ? line.rest : line.rest.left(eq)).trimmed();
    node->value = eq < 0 ? QString() : line.rest.mid(eq + 1).trimmed();
    if (node->name.isEmpty()) {
        error = lineError(line.number, QStringLiteral("Einstellung ohne Namen"));
        return false;
    }
    node->line1 = node->name + QLatin1Char(':');
    static const QHash<QString, SimMenuNode::ValueType> types = {
        { QStringLiteral("selection"), SimMenuNode::Selection },
        { QStringLiteral("input"), SimMenuNode::Input },
        { QStringLiteral("time"), SimMenuNode::Time },
        { QStringLiteral("clock"), SimMenuNode::Clock },
        { QStringLiteral("date"), SimMenuNode::Date },
        { QStringLiteral("readonly"), SimMenuNode::ReadOnly },
    };
    node->valueType = types.value(kw);
    return true;
}

bool Parser::applyAttribute(const MenuLine &line, SimMenuNode *node)
{
    if (line.keyword == QLatin1String("options")) {
        if (node->valueType != SimMenuNode::Selection) {
            error = lineError(line.number,
                              QStringLiteral("options: gehört zu einer Auswahl (selection)"));
            return false;
        }
        for (const QString &option : line.rest.split(QLatin1Char('|'))) {
            const QString trimmed = option.trimmed();
            if (trimmed.isEmpty()) {
                error = lineError(line.number, QStringLiteral("leere Auswahlmöglichkeit"));
                return false;
            }
            if (node->options.contains(trimmed)) {
                error = lineError(line.number,
                                  QStringLiteral("Auswahlmöglichkeit \"%1\" doppelt").arg(trimmed));
                return false;
            }
            node->options.append(trimmed);
        }
    } else if (line.keyword == QLatin1String("blocked")) {
        if (node->kind == SimMenuNode::Info || line.rest.isEmpty()) {
            error = lineError(line.number,
                              QStringLiteral("blocked needs a section or setting and a reason"));
            return false;
        }
        node->blocked = line.rest;
    } else if (line.keyword == QLatin1String("reads")) {
        if (line.rest.isEmpty()) {
            error = lineError(line.number, QStringLiteral("reads: braucht einen Namen"));
            return false;
        }
        node->recordedName = line.rest;
    } else if (line.keyword == QLatin1String("line1")) {
        node->line1 = line.rest;
    } else if (line.keyword == QLatin1String("line2")) {
        if (node->kind == SimMenuNode::Setting) {
            error = lineError(line.number,
                              QStringLiteral("die zweite Zeile einer Einstellung ist ihr Wert"));
            return false;
        }
        node->line2 = line.rest;
    }
    return true;
}

bool Parser::finishEntry(SimMenuNode *node)
{
    if (node->recordedName.isEmpty())
        node->recordedName = node->name;
    if (node->valueType == SimMenuNode::Selection && node->options.isEmpty()) {
        error = lineError(
                node->lineNumber,
                QStringLiteral("Auswahl \"%1\" hat keine Auswahlmöglichkeiten").arg(node->name));
        return false;
    }
    if ((node->valueType == SimMenuNode::Time || node->valueType == SimMenuNode::Clock)
        && !isValidTime(node->value)) {
        error = lineError(node->lineNumber, QStringLiteral("eine Zeit muss hh:mm lauten"));
        return false;
    }
    if (node->valueType == SimMenuNode::Date && !isValidDate(node->value)) {
        error = lineError(node->lineNumber, QStringLiteral("ein Datum muss dd.mm.yy lauten"));
        return false;
    }
    return true;
}

bool splitLines(const QString &text, QVector<MenuLine> *out, QString *identifier, QString *error)
{
    const QStringList raw = text.split(QLatin1Char('\n'));
    for (int i = 0; i < raw.size(); ++i) {
        QString content = raw.at(i);
        if (content.endsWith(QLatin1Char('\r')))
            content.chop(1);
        const QString trimmed = content.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        MenuLine line;
        line.number = i + 1;
        line.indent = indentOf(content);
        const int space = trimmed.indexOf(QLatin1Char(' '));
        line.keyword = space < 0 ? trimmed : trimmed.left(space);
        line.rest = space < 0 ? QString() : trimmed.mid(space + 1).trimmed();
        if (line.keyword == QLatin1String("device")) {
            *identifier = line.rest;
            continue;
        }
        if (line.keyword.endsWith(QLatin1Char(':'))) {
            line.keyword.chop(1);
            line.isAttribute = true;
            if (line.keyword != QLatin1String("options") && line.keyword != QLatin1String("line1")
                && line.keyword != QLatin1String("line2")
                && line.keyword != QLatin1String("reads")
                && line.keyword != QLatin1String("blocked")) {
                *error =
                        lineError(line.number,
                                  QStringLiteral("unbekanntes Attribut \"%1:\"").arg(line.keyword));
                return false;
            }
        } else if (!kindWords.contains(line.keyword)) {
            *error = lineError(
                    line.number,
                    QStringLiteral("unbekannte Art von Eintrag \"%1\"").arg(line.keyword));
            return false;
        }
        out->append(line);
    }
    return true;
}

int countNodes(const QVector<SimMenuNode> &nodes)
{
    int count = 0;
    for (const SimMenuNode &node : nodes)
        count += 1 + countNodes(node.children);
    return count;
}

int depthOf(const QVector<SimMenuNode> &nodes)
{
    int deepest = 0;
    for (const SimMenuNode &node : nodes)
        deepest = qMax(deepest, 1 + depthOf(node.children));
    return deepest;
}

} // namespace

QString SimMenuNode::screenLine1() const
{
    return line1;
}

QString SimMenuNode::screenLine2() const
{
    if (kind != Setting)
        return line2;
    return value.isEmpty() ? QString::fromLatin1(SimMenu::EmptyValueText) : value;
}

QString SimMenuNode::kindWord(Kind kind)
{
    switch (kind) {
    case Section:
        return QStringLiteral("section");
    case Setting:
        return QStringLiteral("setting");
    case Info:
        break;
    }
    return QStringLiteral("info");
}

QString SimMenuNode::valueTypeWord(ValueType type)
{
    switch (type) {
    case Selection:
        return QStringLiteral("selection");
    case Input:
        return QStringLiteral("input");
    case Time:
        return QStringLiteral("time");
    case Clock:
        return QStringLiteral("clock");
    case Date:
        return QStringLiteral("date");
    case ReadOnly:
        return QStringLiteral("readonly");
    case NoValue:
        break;
    }
    return QString();
}

bool SimMenu::parse(const QString &text, QString *error)
{
    QString message;
    Parser parser;
    QString id = QStringLiteral("ORV-SIM V1.00");
    QVector<SimMenuNode> parsed;
    bool ok = splitLines(text, &parser.lines, &id, &message);
    if (ok && parser.lines.isEmpty()) {
        message = QStringLiteral("das Menü hat keine Einträge");
        ok = false;
    }
    if (ok) {
        ok = parser.parseEntries(parser.lines.first().indent, 0, QString(), &parsed);
        message = parser.error;
        if (ok && parser.pos < parser.lines.size()) {
            message = lineError(parser.lines.at(parser.pos).number,
                                QStringLiteral("weniger eingerückt als der erste Eintrag"));
            ok = false;
        }
    }
    if (!ok) {
        if (error)
            *error = message;
        return false;
    }
    identifier = id;
    entries = parsed;
    return true;
}

bool SimMenu::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    QString message;
    if (!parse(QString::fromUtf8(file.readAll()), &message)) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, message);
        return false;
    }
    return true;
}

const SimMenuNode *SimMenu::find(const QStringList &recordedPath) const
{
    return const_cast<SimMenu *>(this)->find(recordedPath);
}

SimMenuNode *SimMenu::find(const QStringList &recordedPath)
{
    QVector<SimMenuNode> *list = &entries;
    SimMenuNode *found = nullptr;
    for (const QString &name : recordedPath) {
        found = nullptr;
        for (SimMenuNode &node : *list) {
            if (node.recordedName == name) {
                found = &node;
                break;
            }
        }
        if (!found)
            return nullptr;
        list = &found->children;
    }
    return found;
}

int SimMenu::entryCount() const
{
    return countNodes(entries);
}

int SimMenu::maxDepth() const
{
    return depthOf(entries);
}
