#include "treetext.h"

#include <QDomNamedNodeMap>
#include <QMap>
#include <QVector>

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
    const int n = expected.size();
    const int m = actual.size();
    // Longest common subsequence table, built from the ends.
    QVector<QVector<int>> common(n + 1, QVector<int>(m + 1, 0));
    for (int i = n - 1; i >= 0; --i)
        for (int j = m - 1; j >= 0; --j)
            common[i][j] = expected.at(i) == actual.at(j)
                    ? common[i + 1][j + 1] + 1
                    : qMax(common[i + 1][j], common[i][j + 1]);

    struct DiffLine { QChar mark; QString text; };
    QVector<DiffLine> script;
    int i = 0;
    int j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && expected.at(i) == actual.at(j)) {
            script.append({QLatin1Char(' '), expected.at(i)});
            ++i;
            ++j;
        } else if (j < m && (i == n || common[i][j + 1] >= common[i + 1][j])) {
            script.append({QLatin1Char('+'), actual.at(j)});
            ++j;
        } else {
            script.append({QLatin1Char('-'), expected.at(i)});
            ++i;
        }
    }

    const int context = 3;
    QVector<bool> shown(script.size(), false);
    bool anyDifference = false;
    for (int k = 0; k < script.size(); ++k) {
        if (script.at(k).mark == QLatin1Char(' '))
            continue;
        anyDifference = true;
        for (int c = qMax(0, k - context); c <= qMin(script.size() - 1, k + context); ++c)
            shown[c] = true;
    }
    if (!anyDifference)
        return QString();

    QString text = QStringLiteral("--- expected\n+++ actual\n");
    bool skipping = false;
    for (int k = 0; k < script.size(); ++k) {
        if (!shown.at(k)) {
            if (!skipping)
                text += QStringLiteral("...\n");
            skipping = true;
            continue;
        }
        skipping = false;
        text += script.at(k).mark + script.at(k).text + QLatin1Char('\n');
    }
    return text;
}
