#include "treetext.h"

#include <QDomNamedNodeMap>
#include <QMap>

namespace {

void appendLines(const QDomElement &element, int depth, QStringList &lines)
{
    QMap<QString, QString> sorted;
    const QDomNamedNodeMap attributes = element.attributes();
    for (int i = 0; i < attributes.count(); ++i) {
        const QDomAttr attribute = attributes.item(i).toAttr();
        sorted.insert(attribute.name(), attribute.value());
    }
    QString line = QString(depth * 2, QLatin1Char(' ')) + element.tagName();
    for (auto it = sorted.cbegin(); it != sorted.cend(); ++it)
        line += QStringLiteral(" %1=\"%2\"").arg(it.key(), it.value());
    lines.append(line);
    for (QDomElement child = element.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement())
        appendLines(child, depth + 1, lines);
}

} // namespace

QStringList TreeText::canonicalLines(const QDomElement &element)
{
    QStringList lines;
    if (!element.isNull())
        appendLines(element, 0, lines);
    return lines;
}

QString TreeText::canonical(const QDomElement &element)
{
    return canonicalLines(element).join(QLatin1Char('\n'));
}

QDomElement TreeText::menuTreeOf(const QDomDocument &document)
{
    return document.documentElement().firstChildElement();
}

QString TreeText::diff(const QStringList &expected, const QStringList &actual)
{
    if (expected == actual)
        return QString();
    // From the first line that differs, a few lines of each side.
    int first = 0;
    while (first < expected.size() && first < actual.size()
           && expected.at(first) == actual.at(first))
        ++first;
    return QStringLiteral("first difference at line %1\n-%2\n+%3\n")
            .arg(first + 1)
            .arg(expected.mid(first, 6).join(QStringLiteral("\n-")),
                 actual.mid(first, 6).join(QStringLiteral("\n+")));
}

QString TreeText::ofDocument(const QDomDocument &document)
{
    return canonical(menuTreeOf(document));
}

QString TreeText::diffTrees(const QString &expected, const QString &actual)
{
    return diff(expected.split(QLatin1Char('\n')), actual.split(QLatin1Char('\n')));
}

QString TreeText::compact(const QDomElement &parent)
{
    QStringList parts;
    for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        QString part = e.tagName() + QLatin1Char(':') + e.attribute(QStringLiteral("text"));
        if (e.hasAttribute(QStringLiteral("value")))
            part += QLatin1Char('=') + e.attribute(QStringLiteral("value"));
        for (const char *type : { "valuetype", "sectiontype" })
            if (e.hasAttribute(QLatin1String(type)))
                part += QLatin1Char('(') + e.attribute(QLatin1String(type)) + QLatin1Char(')');
        if (!e.firstChildElement().isNull())
            part += QLatin1Char('{') + compact(e) + QLatin1Char('}');
        parts.append(part);
    }
    return parts.join(QStringLiteral(", "));
}
