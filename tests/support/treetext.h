#ifndef TREETEXT_H
#define TREETEXT_H

#include <QDomElement>
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
    // Empty when equal; else the lines of both from the first that differs
    // ("-" expected, "+" actual).
    static QString diff(const QStringList &expected, const QStringList &actual);

    // The canonical text of a document's menu tree ("menuTree" alone when
    // it is empty).
    static QString ofDocument(const QDomDocument &document);
    // An element's entries on one line, for short trees written out in a
    // test: "tag:text=value(type){children}", comma-separated.
    static QString compact(const QDomElement &parent);
    // diff() of two canonical texts.
    static QString diffTrees(const QString &expected, const QString &actual);
};

#endif // TREETEXT_H
