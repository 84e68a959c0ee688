#ifndef ITEMFILTER_H
#define ITEMFILTER_H

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

class ConfItem;

// Which rows the editor shows: a search text, found in an entry's menu path
// or its value without regard to letter case, and a view ("alle",
// "markiert/geändert", "Unterschiede"). A section stays visible while an
// entry below it is shown, so every shown setting keeps its headings. The
// editor asks shows() for each row and re-asks whenever `revision` moves.
class ItemFilter : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString searchText READ searchText WRITE setSearchText NOTIFY revisionChanged)
    Q_PROPERTY(View view READ view WRITE setView NOTIFY revisionChanged)
    // The names of the views, in the order of the enum, for the selector.
    Q_PROPERTY(QStringList viewNames READ viewNames CONSTANT)
    Q_PROPERTY(int revision READ revision NOTIFY revisionChanged)
    // How many settings the filter shows, and whether it hides anything.
    Q_PROPERTY(int shownSettings READ shownSettings NOTIFY revisionChanged)
    Q_PROPERTY(bool active READ isActive NOTIFY revisionChanged)

public:
    enum View {
        All, // "alle"
        MarkedOrChanged, // "markiert/geändert": marked for transfer or changed from the read value
        Differences, // "Unterschiede": the device showed another value, or lacks the entry
    };
    Q_ENUM(View)

    explicit ItemFilter(const QList<ConfItem *> *items, QObject *parent = nullptr);

    QString searchText() const;
    void setSearchText(const QString &text);
    View view() const;
    void setView(View view);
    QStringList viewNames() const;
    int revision() const;
    int shownSettings() const;
    bool isActive() const;

    Q_INVOKABLE bool shows(ConfItem *item) const;
    // Whether one entry passes on its own, without the entries below it.
    bool passes(const ConfItem *item) const;

    // The list or an item in it changed: what is shown is worked out anew.
    void invalidate();

signals:
    void revisionChanged();

private:
    bool matchesSearch(const ConfItem *item) const;
    bool passesView(const ConfItem *item) const;
    void update() const;

    const QList<ConfItem *> *m_items;
    QString m_searchText;
    View m_view = All;
    int m_revision = 0;
    mutable bool m_dirty = true;
    mutable QSet<const ConfItem *> m_shown;
    mutable int m_shownSettings = 0;
};

#endif // ITEMFILTER_H
