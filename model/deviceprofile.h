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

#include "checkedsetting.h"
#include "confitem.h"
#include "deviceorigin.h"
#include "edithistory.h"
#include "itemfilter.h"

// The configuration of one device: the menu tree as an XML document, a cursor
// into it for the robot, and the flat item list for the editor.
class DeviceProfile : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QQmlListProperty<ConfItem> confItemList READ confItemList NOTIFY confItemListChanged)
    // Settings the editor can change, and how many of them are marked for
    // transfer: what the "Alle" box and the transfer button show.
    Q_PROPERTY(int editableCount READ editableCount NOTIFY confItemListChanged)
    Q_PROPERTY(int markedCount READ markedCount NOTIFY markedCountChanged)
    // Whether the list holds nothing but the hint of a fresh profile, to
    // open or read out a configuration.
    Q_PROPERTY(bool showsHint READ showsHint NOTIFY confItemListChanged)
    // The file the configuration was last loaded from or saved to (empty
    // after a read-out), and whether it was changed since.
    Q_PROPERTY(QString fileName READ fileName NOTIFY fileNameChanged)
    Q_PROPERTY(bool modified READ modified NOTIFY modifiedChanged)
    // Whether a setting holds typed text that is not a valid value (a
    // draft, see ConfItem::editValue). The window refuses to save or
    // transfer while one does; a loaded file or a new read-out has none.
    Q_PROPERTY(bool hasInvalidSettings READ hasInvalidSettings NOTIFY invalidSettingsChanged)
    // Whether the settings hold what a check of the device found
    // (ConfItem::comparison), and how many editable settings differ from
    // the device or are not on it.
    Q_PROPERTY(bool hasComparison READ hasComparison NOTIFY comparisonChanged)
    Q_PROPERTY(int differenceCount READ differenceCount NOTIFY comparisonChanged)
    // Undo and redo of the technician's edits since the last read-out or
    // load, and which rows the editor shows.
    Q_PROPERTY(EditHistory *editHistory READ editHistory CONSTANT)
    Q_PROPERTY(ItemFilter *itemFilter READ itemFilter CONSTANT)

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

    int editableCount() const;
    bool showsHint() const;
    int markedCount() const;
    // Marks or clears every setting the editor can change.
    Q_INVOKABLE void setAllMarked(bool marked);

    QString fileName() const;
    bool modified() const;

    EditHistory *editHistory() const;
    ItemFilter *itemFilter() const;

    bool hasInvalidSettings() const;
    // One line per setting with a draft: "NAME: PROBLEM".
    Q_INVOKABLE QString invalidSettingsText() const;

    // The window's file dialogs ask the profile (FileLocations answers):
    // the file a chosen name means, whether it exists, the folder they start in.
    Q_INVOKABLE static QString chosenFilePath(const QString &chosen, const QString &folder);
    Q_INVOKABLE static bool fileExists(const QString &path);
    Q_INVOKABLE static QString documentsFolderUrl();

    // The comparison with the device. checkedPaths(): the settings a check
    // visits, in menu order: the marked ones (every editable one with
    // `allEditable`) whose value can be compared (not those set from the PC
    // clock), and the serial number where the file has one, so the check
    // also tells which device it is. applyComparison() takes what the check
    // found: a differing editable setting is marked, an equal one (or one
    // not on the device, which cannot be written) unmarked; read-only
    // values are compared but never marked or counted.
    QList<CheckedSetting> checkedPaths(bool allEditable) const;
    // The serial number's setting alone (empty when the file has none): a
    // check of it tells which device is connected and compares nothing.
    QList<CheckedSetting> serialNumberPaths() const;
    void applyComparison(const QList<CheckedSetting> &checked);
    Q_INVOKABLE void clearComparison();
    bool hasComparison() const { return m_hasComparison; }
    int differenceCount() const;
    // The serial number the file holds as a setting (the read-out's
    // "Seriennummer"); empty when there is none.
    QString serialNumberSetting() const;
    static bool isSerialNumberPath(const QStringList &menuPath);

    // The device the configuration belongs to (root attributes of the file).
    DeviceOrigin origin() const;
    void setOrigin(const DeviceOrigin &origin);

    // The same as the slots, with the outcome (the slots' callers in QML
    // learn it through fileError()).
    bool save(const QString &filename);
    bool load(const QString &filename);
    // Opens a kept copy (a read-out in the history) to look at, compare or
    // restore from, without taking it as the configuration's own file: a
    // "Speichern" then asks where, so the record of what the device held
    // is never overwritten with edits.
    bool loadCopy(const QString &filename);

signals:
    void confItemListChanged();
    void markedCountChanged();
    void fileNameChanged();
    void modifiedChanged();
    void fileError();
    void invalidSettingsChanged();
    void comparisonChanged();

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
    ConfItem *createOwnItem(const QString &type, const QString &menuPath,
                            const QString &value = QString(), const QString &options = QString(),
                            bool active = false);
    void releaseItems();
    QDomElement itemRoot() const;
    void failFileOperation(const QString &text);
    static QString saveFailureText(const QString &path, const QString &reason);
    static int countEntries(const QDomElement &parent);
    void watchItem(ConfItem *item);
    void updateMarkedCount();
    void recompare(ConfItem *item);
    void setFileName(const QString &fileName);
    void setModified(bool modified);

    // Before the items: they are watched by both from their creation on.
    EditHistory *m_history;
    ItemFilter *m_filter;
    QDomDocument m_document;
    QDomElement m_currentElement;
    QList<ConfItem *> m_confItemList;
    QString m_lastError;
    QString m_fileName;
    bool m_modified = false;
    int m_markedCount = 0;
    bool m_hasComparison = false;
    bool m_markingAll = false;
    // Items the profile created (QML may append its own, which it keeps), and
    // items taken out of the list whose deferred deletion is still pending.
    QSet<ConfItem *> m_ownItems;
    QList<QPointer<ConfItem>> m_releasedItems;
};

#endif // DEVICEPROFILE_H
