#ifndef CONFIGDIFF_H
#define CONFIGDIFF_H

#include <QList>
#include <QString>
#include <QVector>

class ConfItem;

// The differences between two configurations, entry by entry along their
// menu paths: settings whose value differs, and entries found in only one.
class ConfigDiff
{
public:
    enum Kind { Changed, OnlyInA, OnlyInB };

    struct Difference
    {
        Kind kind = Changed;
        QString path; // menu path joined with "/"
        QString type;
        QString valueA;
        QString valueB;
    };

    static QVector<Difference> compare(const QList<ConfItem *> &a, const QList<ConfItem *> &b);
    static QString describe(const Difference &difference);
    static QString joinedPath(const ConfItem *item);
};

#endif // CONFIGDIFF_H
