#ifndef DEVICEPROFILE_H
#define DEVICEPROFILE_H

#include <QDomDocument>
#include <QDomElement>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QQmlListProperty>
#include <QSet>
#include <QString>
#include <QStringList>

#include "confitem.h"

// The configuration of one device: the menu tree as an XML document, a cursor
// into it for the robot, and the flat item list for the editor.
class DeviceProfile : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QQmlListProperty<ConfItem> confItemList READ confItemList NOTIFY confItemListChanged)

public:
    explicit DeviceProfile(QObject *parent = nullptr);
    ~DeviceProfile() override;

    QQmlListProperty<ConfItem> confItemList();
    const QList<ConfItem *> &items() const;

    void resetProfile();
    void rebuildConfItemList();

    // The menu entries of the tree as the technician counts them: sections,
    // settings and information lines; the options of a selection are part of
    // their setting. The window's and lumctl's "Einträge" are this number.
    Q_INVOKABLE int entryCount() const;
    // The element names that count as such an entry.
    static bool isEntryKind(const QString &tagName);

    // Cursor operations for the robot.
    QString currentTagName() const;
    QString currentValue() const;
    QString currentValueType() const;
    bool currentHasChildren() const;
    QStringList childTexts() const;
    QStringList currentMenuPath() const;
    void setCurrentAttribute(const QString &name, const QString &value);
    void appendChildElement(const QString &tagName, const QString &text);
    void gotoRoot();
    void gotoParent();
    void gotoLastChild();
    bool gotoNextActive();

    QDomDocument document() const;
    QDomElement currentElement() const;

    Q_INVOKABLE QString lastErrorString() const;

    // The same as the slots, with the outcome (the slots' callers in QML
    // learn it through fileError()).
    bool save(const QString &filename);
    bool load(const QString &filename);

signals:
    void confItemListChanged();
    void fileError();

public slots:
    void saveToFile(QString filename);
    void loadFromFile(QString filename);

private:
    // The QML list counts in int on Qt 5 and in qsizetype on Qt 6.
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    using ListIndex = int;
#else
    using ListIndex = qsizetype;
#endif
    static void appendItem(QQmlListProperty<ConfItem> *list, ConfItem *item);
    static ListIndex itemCount(QQmlListProperty<ConfItem> *list);
    static ConfItem *itemAt(QQmlListProperty<ConfItem> *list, ListIndex index);
    static void clearItems(QQmlListProperty<ConfItem> *list);

    QList<ConfItem *> buildItems(const QDomNode &parent);
    ConfItem *createOwnItem(const QString &type, const QString &menuPath, const QString &value = QString(),
                            const QString &options = QString(), bool active = false);
    void releaseItems();
    QDomElement itemRoot() const;
    void failFileOperation(const QString &text);
    static QString saveFailureText(const QString &path, const QString &reason);
    static int countEntries(const QDomElement &parent);

    QDomDocument m_document;
    QDomElement m_currentElement;
    QList<ConfItem *> m_confItemList;
    QString m_lastError;
    // Items the profile created (QML may append its own, which it keeps), and
    // items taken out of the list whose deferred deletion is still pending.
    QSet<ConfItem *> m_ownItems;
    QList<QPointer<ConfItem>> m_releasedItems;
};

#endif // DEVICEPROFILE_H
