#ifndef TREETEXT_H
#define TREETEXT_H

#include <QDomElement>
#include <QString>
#include <QStringList>

// Canonical text of a menu tree, for comparing two trees regardless of the
// order of attributes: one line per element, indented by depth, with the
// element's attributes sorted by name.
class TreeText
{
public:
    static QStringList canonicalLines(const QDomElement &element);
    static QString canonical(const QDomElement &element);
    // The menu tree element (first child element of the root) of a document.
    static QDomElement menuTreeOf(const QDomDocument &document);
    // A readable line diff ("-" only in expected, "+" only in actual), with
    // a few lines of context around each difference; empty when equal.
    static QString diff(const QStringList &expected, const QStringList &actual);
};

#endif // TREETEXT_H
