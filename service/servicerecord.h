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

#include "devicefacts.h"
#include "historylist.h"
#include "serviceprotocol.h"

class TransferReport;

// The service record a technician keeps of a device: after every complete
// read-out a copy in the history folder ("Kestrom LUM/Verlauf"), after every
// transfer, whether it went through or not, a report in the report folder
// ("Kestrom LUM/Protokolle"). It follows the robot it is given; the window
// and lumctl use it alike. A record that cannot be written is reported
// through recordFailed() but never fails the job itself.
//
// What a device held before a transfer ("vorher") comes from the robot,
// which sees every setting it opens, and otherwise only from what is known of
// that very device: this session's read-out of it or its newest copy in the
// history, found by its serial number. Lifts of one type share the
// identifier, so the identifier alone names a device only where the menu
// shows no serial number.
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
    Q_PROPERTY(QString site READ site WRITE setSite NOTIFY siteChanged)
    Q_PROPERTY(QString technician READ technician WRITE setTechnician NOTIFY technicianChanged)
    Q_PROPERTY(QString protocolFile READ protocolFile WRITE setProtocolFile NOTIFY
                       protocolFileChanged)
    Q_PROPERTY(QString lastProtocolFile READ lastProtocolFile NOTIFY protocolChanged)
    Q_PROPERTY(QUrl lastProtocolUrl READ lastProtocolUrl NOTIFY protocolChanged)
    Q_PROPERTY(bool readOutProtocolOffered READ readOutProtocolOffered NOTIFY protocolChanged)
    Q_PROPERTY(HistoryList *history READ history CONSTANT)
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
    // The site ("Anlage") and the technician the protocols name.
    QString site() const;
    void setSite(const QString &site);
    QString technician() const;
    void setTechnician(const QString &technician);
    // Where the next transfer's PDF protocol goes. Left empty, it goes beside
    // the text report when a GUI application runs (the PDF needs its fonts).
    QString protocolFile() const;
    void setProtocolFile(const QString &path);
    // The PDF protocol of the last job, for the window to name and open:
    // the transfer's, or the one written of a read-out or a history copy on
    // request. Cleared when the next job starts.
    QString lastProtocolFile() const;
    QUrl lastProtocolUrl() const;
    // After a complete read-out with its copy in the history, until the next
    // job: its protocol ("as found") can be written.
    bool readOutProtocolOffered() const;
    // Writes the protocol of the last read-out, as found, beside the
    // transfer reports; the path written, or empty (recordFailed() says why).
    Q_INVOKABLE QString writeReadOutProtocol();
    // The same for a copy from the history (or any configuration file): as
    // found, dated and named as the copy's name says.
    Q_INVOKABLE QString writeCopyProtocol(const QString &copyPath);
    // The copies of the history folder, filtered to the device at hand.
    HistoryList *history() const { return m_history; }
    // What names the device last read out on this record (also across
    // robots, as lumctl runs one robot a job); empty before a read-out.
    DeviceFacts deviceAtHand() const;

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
    void siteChanged();
    void technicianChanged();
    void protocolFileChanged();
    void protocolChanged();

private:
    void writeHistory();
    void noteJobStart();
    void noteJobEnd();
    void updateHistoryDevice();
    void setLastProtocol(const QString &path, bool readOutOffered);
    void beginTransfer();
    void noteIdentifier();
    void checkTransferEnd();
    void finishTransfer(const QList<JobResult::Setting> &settings);
    // What is known of one device: its settings in menu order with their
    // values, and where they come from.
    struct Known
    {
        DeviceFacts facts;
        QStringList order; // path keys
        QHash<QString, QString> values;
        QString source;
        QDateTime updated; // the last transfer since the read-out
    };

    void fillLines(TransferReport *report, const Known &known,
                   const QList<JobResult::Setting> &settings) const;
    bool transferIsOnDeviceAtHand(const QList<JobResult::Setting> &settings) const;
    bool transferAgreesWith(const Known &known, const QList<JobResult::Setting> &settings) const;
    Known knownOf(const DeviceFacts &facts) const;
    void writeProtocol(const TransferReport &report, const Known &found, const Known &left);
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

    QString m_site;
    QString m_technician;
    QString m_protocolFile;
    QString m_lastProtocolFile;
    bool m_readOutProtocolOffered = false;
    HistoryList *m_history;

    // What each device read out in this session held, brought up to date by
    // the transfers since, by DeviceFacts::recordKey().
    QHash<QString, Known> m_known;
    QString m_deviceAtHand; // the record key of the device last read out
    // The serial number the last check saw, with the identifier, and the
    // values it saw (no source: a check is not a read-out of everything).
    DeviceFacts m_serialShown;
    Known m_checked;
};

#endif // SERVICERECORD_H
