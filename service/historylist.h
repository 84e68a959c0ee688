#ifndef HISTORYLIST_H
#define HISTORYLIST_H

#include <QAbstractListModel>
#include <QDateTime>
#include <QList>
#include <QString>

// The copies in the history folder as the window's "Verlauf" lists them:
// one row per copy with its device, serial number, date and time, newest
// first. By default only the copies of the device at hand are listed: those
// of its serial number where it is known, else those of its identifier; with
// no device at hand, or with showAll, every copy. What a row says comes from
// the copy's name (see ReadoutHistory::entryName), so a long folder is
// listed without opening a file.
class HistoryList : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(QString folder READ folder WRITE setFolder NOTIFY folderChanged)
    Q_PROPERTY(QString deviceIdentifier READ deviceIdentifier NOTIFY deviceChanged)
    Q_PROPERTY(QString serialNumber READ serialNumber NOTIFY deviceChanged)
    Q_PROPERTY(bool showAll READ showAll WRITE setShowAll NOTIFY showAllChanged)
    // Whether a device is at hand to filter by; the list shows all without.
    Q_PROPERTY(bool filtersByDevice READ filtersByDevice NOTIFY listChanged)
    Q_PROPERTY(int count READ count NOTIFY listChanged)

public:
    enum Role {
        PathRole = Qt::UserRole + 1,
        FileNameRole,
        DeviceRole,
        SerialNumberRole,
        DateRole,
        TimeRole,
    };
    Q_ENUM(Role)

    explicit HistoryList(QObject *parent = nullptr);

    QString folder() const { return m_folder; }
    void setFolder(const QString &folder);
    QString deviceIdentifier() const { return m_deviceIdentifier; }
    QString serialNumber() const { return m_serialNumber; }
    // The device at hand; an empty serial number: it shows none, or none
    // was read yet.
    void setDevice(const QString &identifier, const QString &serialNumber);
    bool showAll() const { return m_showAll; }
    void setShowAll(bool showAll);
    bool filtersByDevice() const;
    int count() const { return int(m_rows.size()); }

    // Reads the folder anew.
    Q_INVOKABLE void refresh();
    // The file of a row; empty for a row that is not there.
    Q_INVOKABLE QString path(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

signals:
    void folderChanged();
    void deviceChanged();
    void showAllChanged();
    void listChanged();

private:
    struct Row
    {
        QString path;
        QString identifier;
        QString serialNumber;
        QDateTime when;
        int number = 1; // the second copy within a minute is " (2)"
    };
    bool belongsToDevice(const Row &row) const;

    QString m_folder;
    QString m_deviceIdentifier;
    QString m_serialNumber;
    bool m_showAll = false;
    QList<Row> m_rows;
};

#endif // HISTORYLIST_H
