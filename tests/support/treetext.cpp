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
