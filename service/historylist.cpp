#include "historylist.h"

#include "readouthistory.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {

// The number a second record within one minute carries, " (2)" and on.
int copyNumber(const QString &fileName)
{
    static const QRegularExpression pattern(QStringLiteral(" \\((\\d+)\\)\\.[a-z]+$"));
    const QRegularExpressionMatch match = pattern.match(fileName);
    return match.hasMatch() ? match.captured(1).toInt() : 1;
}

} // namespace

HistoryList::HistoryList(QObject *parent) : QAbstractListModel(parent) { }

void HistoryList::setFolder(const QString &folder)
{
    if (folder == m_folder)
        return;
    m_folder = folder;
    emit folderChanged();
    refresh();
}

void HistoryList::setDevice(const QString &identifier, const QString &serialNumber)
{
    if (identifier == m_deviceIdentifier && serialNumber == m_serialNumber)
        return;
    m_deviceIdentifier = identifier;
    m_serialNumber = serialNumber;
    emit deviceChanged();
    refresh();
}

void HistoryList::setShowAll(bool showAll)
{
    if (showAll == m_showAll)
        return;
    m_showAll = showAll;
    emit showAllChanged();
    refresh();
}

bool HistoryList::filtersByDevice() const
{
    return !m_showAll && !m_deviceIdentifier.isEmpty();
}

// Lifts of one type share the identifier: where the device's serial number
// is known, only its own copies are its; copies named without a serial
// number come from a device whose menu shows none, so they are not this one.
bool HistoryList::belongsToDevice(const Row &row) const
{
    if (row.identifier != m_deviceIdentifier)
        return false;
    return m_serialNumber.isEmpty() || row.serialNumber == m_serialNumber;
}

void HistoryList::refresh()
{
    beginResetModel();
    m_rows.clear();
    if (!m_folder.isEmpty()) {
        const QStringList names = QDir(m_folder).entryList({ QStringLiteral("*.lumc") }, QDir::Files);
        for (const QString &name : names) {
            Row row;
            if (!ReadoutHistory::parseName(name, &row.identifier, &row.serialNumber, &row.when))
                continue;
            row.path = QDir(m_folder).filePath(name);
            row.number = copyNumber(name);
            if (filtersByDevice() && !belongsToDevice(row))
                continue;
            m_rows.append(row);
        }
    }
    std::sort(m_rows.begin(), m_rows.end(), [](const Row &a, const Row &b) {
        if (a.when != b.when)
            return a.when > b.when;
        if (a.number != b.number)
            return a.number > b.number;
        return a.path < b.path;
    });
    endResetModel();
    emit listChanged();
}

QString HistoryList::path(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row).path : QString();
}

int HistoryList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant HistoryList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return QVariant();
    const Row &row = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case FileNameRole:
        return QFileInfo(row.path).fileName();
    case PathRole:
        return row.path;
    case DeviceRole:
        return row.identifier;
    case SerialNumberRole:
        return row.serialNumber;
    case DateRole:
        return row.when.toString(QStringLiteral("dd.MM.yyyy"));
    case TimeRole:
        return row.when.toString(QStringLiteral("HH:mm"));
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> HistoryList::roleNames() const
{
    return {
        { PathRole, "path" },           { FileNameRole, "fileName" },
        { DeviceRole, "device" },       { SerialNumberRole, "serialNumber" },
        { DateRole, "date" },           { TimeRole, "time" },
    };
}
