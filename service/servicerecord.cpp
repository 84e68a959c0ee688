#include "servicerecord.h"

#include "confitem.h"
#include "deviceprofile.h"
#include "jobtexts.h"
#include "logcategories.h"
#include "lumbot.h"
#include "readouthistory.h"
#include "transferreport.h"

#include <QDebug>
#include <QDir>

namespace {

const QString dateTimeFormat = QStringLiteral("dd.MM.yyyy HH:mm");

// How the report names what became of a setting the robot worked on.
TransferReport::Outcome reportOutcome(JobResult::SettingState state)
{
    switch (state) {
    case JobResult::TakenOver:
        return TransferReport::Written;
    case JobResult::PassedOver:
        return TransferReport::PassedOver;
    case JobResult::NotTakenOver:
        return TransferReport::Failed;
    case JobResult::Unchanged:
        return TransferReport::Unchanged;
    case JobResult::NotReached:
        break;
    }
    return TransferReport::NotReached;
}

} // namespace

ServiceRecord::ServiceRecord(QObject *parent) : QObject(parent) { }

LumBot *ServiceRecord::bot() const
{
    return m_bot;
}
bool ServiceRecord::historyEnabled() const
{
    return m_historyEnabled;
}
QString ServiceRecord::sourceFile() const
{
    return m_sourceFile;
}
QString ServiceRecord::lastHistoryFile() const
{
    return m_lastHistoryFile;
}
QString ServiceRecord::lastReportFile() const
{
    return m_lastReportFile;
}
QString ServiceRecord::lastReport() const
{
    return m_lastReport;
}
QString ServiceRecord::lastError() const
{
    return m_lastError;
}

void ServiceRecord::setBot(LumBot *bot)
{
    if (bot == m_bot)
        return;
    for (const QMetaObject::Connection &connection : qAsConst(m_connections))
        disconnect(connection);
    m_connections.clear();
    m_transferRunning = false;
    m_bot = bot;
    if (bot) {
        m_connections = {
            connect(bot, &LumBot::readOutCompleted, this, &ServiceRecord::writeHistory),
            connect(bot, &LumBot::transferStarted, this, &ServiceRecord::beginTransfer),
            connect(bot, &LumBot::deviceIdentifierChanged, this, &ServiceRecord::noteIdentifier),
            connect(bot, &LumBot::jobFinished, this, &ServiceRecord::checkTransferEnd),
            connect(bot, &QObject::destroyed, this, [this] { setBot(nullptr); }),
        };
    }
    emit botChanged();
}

void ServiceRecord::setHistoryEnabled(bool enabled)
{
    if (enabled == m_historyEnabled)
        return;
    m_historyEnabled = enabled;
    emit historyEnabledChanged();
}

void ServiceRecord::setSourceFile(const QString &path)
{
    if (path == m_sourceFile)
        return;
    m_sourceFile = path;
    emit sourceFileChanged();
}

void ServiceRecord::setDocumentsFolder(const QString &path)
{
    m_documentsFolder = path;
    emit foldersChanged();
}

QString ServiceRecord::folder() const
{
    return DeviceProfile::documentsFolder(m_documentsFolder);
}
QString ServiceRecord::historyFolder() const
{
    return QDir(folder()).filePath(QStringLiteral("Verlauf"));
}
QString ServiceRecord::reportFolder() const
{
    return QDir(folder()).filePath(QStringLiteral("Protokolle"));
}
QUrl ServiceRecord::folderUrl() const
{
    return QUrl::fromLocalFile(folder());
}
QUrl ServiceRecord::historyFolderUrl() const
{
    return QUrl::fromLocalFile(historyFolder());
}
QUrl ServiceRecord::reportFolderUrl() const
{
    return QUrl::fromLocalFile(reportFolder());
}

// ------------------------------------------------------------------ history

void ServiceRecord::writeHistory()
{
    DeviceProfile *profile = m_bot ? m_bot->profile() : nullptr;
    if (!profile)
        return;
    const QString device = m_bot->deviceIdentifier();
    const QDateTime now = QDateTime::currentDateTime();
    m_sessionValues.insert(device, ReadoutHistory::settingValues(*profile));
    m_sessionSource.insert(device,
                           QStringLiteral("Auslesung vom %1").arg(now.toString(dateTimeFormat)));
    m_sessionUpdates.remove(device);
    if (!m_historyEnabled)
        return;
    QString error;
    const QString path =
            ReadoutHistory::save(historyFolder(), profile->document(), device, now, &error);
    if (path.isEmpty()) {
        fail(QStringLiteral("Die Auslesung ist vollständig, aber ihre Kopie im Verlauf fehlt.\n")
             + error);
        return;
    }
    qCDebug(lumRecord) << "history copy written:" << path;
    m_lastHistoryFile = path;
    emit historyWritten();
}

// ----------------------------------------------------------------- transfer

void ServiceRecord::beginTransfer()
{
    m_transferRunning = true;
    m_transferCompleted = false;
    m_transferError.clear();
    m_transferDevice.clear();
    m_transferTime = QDateTime::currentDateTime();
}

// The robot forgets the identifier when it is stopped; the report keeps it.
void ServiceRecord::noteIdentifier()
{
    if (m_transferRunning && !m_bot->deviceIdentifier().isEmpty())
        m_transferDevice = m_bot->deviceIdentifier();
}

// The robot's result says how the transfer ended and what became of every
// marked setting.
void ServiceRecord::checkTransferEnd()
{
    const JobResult result = m_bot->lastResult();
    if (!m_transferRunning || result.job != JobResult::Transfer)
        return;
    m_transferCompleted = result.outcome == JobResult::Done;
    m_transferError = result.error;
    finishTransfer(result.settings);
}

void ServiceRecord::finishTransfer(const QList<JobResult::Setting> &settings)
{
    m_transferRunning = false;
    DeviceProfile *profile = m_bot->profile();

    TransferReport report;
    report.setDeviceIdentifier(m_transferDevice);
    report.setTime(m_transferTime);
    QString source = m_sourceFile;
    if (source.isEmpty() && profile)
        source = profile->property("fileName").toString();
    report.setSourceFile(source);
    if (!m_transferCompleted)
        report.setStopReason(m_transferError.isEmpty() ? JobTexts::transferCancelled
                                                       : m_transferError);

    QString beforeSource;
    QHash<QString, QString> known = knownValues(m_transferDevice, &beforeSource);
    report.setBeforeSource(beforeSource);
    fillLines(&report, known, settings);

    // What the device holds now, for the next transfer's report. A setting
    // the device refused may hold anything now.
    if (!m_transferDevice.isEmpty() && (!known.isEmpty() || !report.lines().isEmpty())) {
        for (const TransferReport::Line &line : report.lines()) {
            const QString key = ReadoutHistory::pathKey(line.menuPath);
            if (line.outcome == TransferReport::Written)
                known.insert(key, line.value);
            else if (line.outcome == TransferReport::Failed)
                known.remove(key);
        }
        if (!m_sessionValues.contains(m_transferDevice))
            m_sessionSource.insert(m_transferDevice,
                                   beforeSource.isEmpty() ? QStringLiteral("keine Auslesung")
                                                          : beforeSource);
        m_sessionValues.insert(m_transferDevice, known);
        m_sessionUpdates.insert(m_transferDevice, m_transferTime);
    }

    m_lastReport = report.text();
    QString error;
    const QString path = report.save(reportFolder(), &error);
    if (path.isEmpty()) {
        m_lastReportFile.clear();
        emit reportWritten();
        fail(error);
        return;
    }
    qCDebug(lumRecord) << "transfer report written:" << path;
    m_lastReportFile = path;
    emit reportWritten();
}

// One line per marked setting in menu order, as the robot's result names
// it; the value before from what this session or the history knows.
void ServiceRecord::fillLines(TransferReport *report, const QHash<QString, QString> &before,
                              const QList<JobResult::Setting> &settings) const
{
    for (const JobResult::Setting &setting : settings) {
        TransferReport::Line line;
        line.menuPath = setting.menuPath;
        line.before = before.value(ReadoutHistory::pathKey(line.menuPath));
        // Taken over: the value as the device shows it (the clock's own time).
        line.value =
                setting.state == JobResult::TakenOver ? setting.deviceShowed : setting.valueWritten;
        line.outcome = reportOutcome(setting.state);
        line.note = setting.reason;
        report->addLine(line);
    }
}

// The values the device held before: from this session's read-out (and the
// transfers since), else from its newest copy in the history.
QHash<QString, QString> ServiceRecord::knownValues(const QString &device, QString *source) const
{
    source->clear();
    if (device.isEmpty())
        return {};
    if (m_sessionValues.contains(device)) {
        *source = m_sessionSource.value(device);
        if (m_sessionUpdates.contains(device))
            *source += QStringLiteral(", mit den Übertragungen bis %1")
                               .arg(m_sessionUpdates.value(device).toString(dateTimeFormat));
        return m_sessionValues.value(device);
    }
    const QString newest = ReadoutHistory::newestFile(historyFolder(), device);
    if (newest.isEmpty())
        return {};
    DeviceProfile copy;
    if (!copy.load(newest))
        return {};
    *source = QStringLiteral("Verlauf, %1").arg(QDir::toNativeSeparators(newest));
    return ReadoutHistory::settingValues(copy);
}

void ServiceRecord::fail(const QString &text)
{
    m_lastError = text;
    qCDebug(lumRecord).noquote() << "record failed:" << text;
    emit recordFailed();
}
