#ifndef SERVICERECORD_H
#define SERVICERECORD_H

#include <QDateTime>
#include <QHash>
#include <QMetaObject>
#include <QObject>
#include <QString>
#include <QUrl>

// Qt 6's meta-object code needs the complete type of a pointer property.
#include "lumbot.h"

class TransferReport;

// The service record a technician keeps of a device: after every complete
// read-out a copy in the history folder ("Kestrom LUM/Verlauf"), after every
// transfer, whether it went through or not, a report in the report folder
// ("Kestrom LUM/Protokolle"). It follows the robot it is given; the window
// and lumctl use it alike. A record that cannot be written is reported
// through recordFailed() but never fails the job itself.
class ServiceRecord : public QObject
{
    Q_OBJECT
    Q_PROPERTY(LumBot *bot READ bot WRITE setBot NOTIFY botChanged)
    Q_PROPERTY(bool historyEnabled READ historyEnabled WRITE setHistoryEnabled NOTIFY
                       historyEnabledChanged)
    Q_PROPERTY(QString sourceFile READ sourceFile WRITE setSourceFile NOTIFY sourceFileChanged)
    Q_PROPERTY(QString lastHistoryFile READ lastHistoryFile NOTIFY historyWritten)
    Q_PROPERTY(QString lastReportFile READ lastReportFile NOTIFY reportWritten)
    Q_PROPERTY(QString lastReport READ lastReport NOTIFY reportWritten)
    Q_PROPERTY(QString lastError READ lastError NOTIFY recordFailed)
    Q_PROPERTY(QUrl folderUrl READ folderUrl NOTIFY foldersChanged)
    Q_PROPERTY(QUrl historyFolderUrl READ historyFolderUrl NOTIFY foldersChanged)
    Q_PROPERTY(QUrl reportFolderUrl READ reportFolderUrl NOTIFY foldersChanged)

public:
    explicit ServiceRecord(QObject *parent = nullptr);

    LumBot *bot() const;
    void setBot(LumBot *bot);
    bool historyEnabled() const;
    void setHistoryEnabled(bool enabled);
    // The configuration file a transfer comes from. Left empty, the file the
    // robot's profile was last loaded from or saved to is named.
    QString sourceFile() const;
    void setSourceFile(const QString &path);
    QString lastHistoryFile() const;
    QString lastReportFile() const;
    QString lastReport() const;
    QString lastError() const;

    // Another documents folder than the window's, for tests and lumctl.
    void setDocumentsFolder(const QString &path);
    QString folder() const;
    QString historyFolder() const;
    QString reportFolder() const;
    QUrl folderUrl() const;
    QUrl historyFolderUrl() const;
    QUrl reportFolderUrl() const;

signals:
    void botChanged();
    void historyEnabledChanged();
    void sourceFileChanged();
    void historyWritten();
    void reportWritten();
    void recordFailed();
    void foldersChanged();

private:
    void writeHistory();
    void beginTransfer();
    void noteIdentifier();
    void checkTransferEnd();
    void finishTransfer(const QList<JobResult::Setting> &settings);
    void fillLines(TransferReport *report, const QHash<QString, QString> &before,
                   const QList<JobResult::Setting> &settings) const;
    QHash<QString, QString> knownValues(const QString &device, QString *source) const;
    void fail(const QString &text);

    LumBot *m_bot = nullptr;
    QList<QMetaObject::Connection> m_connections;
    bool m_historyEnabled = true;
    QString m_sourceFile;
    QString m_documentsFolder;
    QString m_lastHistoryFile;
    QString m_lastReportFile;
    QString m_lastReport;
    QString m_lastError;

    bool m_transferRunning = false;
    bool m_transferCompleted = false;
    QString m_transferError;
    QString m_transferDevice;
    QDateTime m_transferTime;

    // What each device read out in this session held, brought up to date by
    // the transfers since, by device identifier.
    QHash<QString, QHash<QString, QString>> m_sessionValues;
    QHash<QString, QString> m_sessionSource;
    QHash<QString, QDateTime> m_sessionUpdates; // the last transfer since the read-out
};

#endif // SERVICERECORD_H
