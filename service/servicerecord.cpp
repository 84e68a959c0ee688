#include "servicerecord.h"

#include "confitem.h"
#include "deviceprofile.h"
#include "filelocations.h"
#include "jobtexts.h"
#include "logcategories.h"
#include "lumbot.h"
#include "readouthistory.h"
#include "transferreport.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

namespace {

const QString dateTimeFormat = QStringLiteral("dd.MM.yyyy HH:mm");

// The clock settings show the time of the moment, not a stored value.
bool showsClock(const QString &valueType)
{
    return valueType == QLatin1String("inputsystemtime")
            || valueType == QLatin1String("inputsystemdate");
}

// How the report names what became of a setting the robot worked on.
TransferReport::Outcome reportOutcome(JobResult::SettingState state)
{
    switch (state) {
    case JobResult::TakenOver:
        return TransferReport::Written; // or unchanged, see fillLines()
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

ServiceRecord::ServiceRecord(QObject *parent)
    : QObject(parent), m_history(new HistoryList(this))
{
    m_history->setFolder(historyFolder());
}

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
QString ServiceRecord::site() const
{
    return m_site;
}
QString ServiceRecord::technician() const
{
    return m_technician;
}
QString ServiceRecord::protocolFile() const
{
    return m_protocolFile;
}
QString ServiceRecord::lastProtocolFile() const
{
    return m_lastProtocolFile;
}
QUrl ServiceRecord::lastProtocolUrl() const
{
    return m_lastProtocolFile.isEmpty() ? QUrl() : QUrl::fromLocalFile(m_lastProtocolFile);
}
bool ServiceRecord::readOutProtocolOffered() const
{
    return m_readOutProtocolOffered;
}
DeviceFacts ServiceRecord::deviceAtHand() const
{
    return m_known.value(m_deviceAtHand).facts;
}

void ServiceRecord::setSite(const QString &site)
{
    if (site == m_site)
        return;
    m_site = site;
    emit siteChanged();
}

void ServiceRecord::setTechnician(const QString &technician)
{
    if (technician == m_technician)
        return;
    m_technician = technician;
    emit technicianChanged();
}

void ServiceRecord::setProtocolFile(const QString &path)
{
    if (path == m_protocolFile)
        return;
    m_protocolFile = path;
    emit protocolFileChanged();
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
            connect(bot, &LumBot::jobFinished, this, &ServiceRecord::noteJobEnd),
            connect(bot, &LumBot::enabledChanged, this, &ServiceRecord::noteJobStart),
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
    m_history->setFolder(historyFolder());
    emit foldersChanged();
}

QString ServiceRecord::folder() const
{
    return FileLocations::documentsFolder(m_documentsFolder);
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
    const QDateTime now = QDateTime::currentDateTime();
    Known known;
    known.facts = DeviceFacts::read(*profile, m_bot->deviceIdentifier());
    for (const ServiceProtocol::Entry &entry : ServiceProtocol::entriesOf(*profile)) {
        const QString key = ReadoutHistory::pathKey(entry.menuPath);
        known.order.append(key);
        known.values.insert(key, entry.value);
    }
    known.source = QStringLiteral("Auslesung vom %1").arg(now.toString(dateTimeFormat));
    m_deviceAtHand = known.facts.recordKey();
    m_known.insert(m_deviceAtHand, known);
    if (!m_historyEnabled)
        return;
    QString error;
    const QString path = ReadoutHistory::save(historyFolder(), profile->document(),
                                              known.facts.identifier, now, &error,
                                              known.facts.serialNumber);
    if (path.isEmpty()) {
        fail(QStringLiteral("Die Auslesung ist vollständig, aber ihre Kopie im Verlauf fehlt.\n")
             + error);
        return;
    }
    qCDebug(lumRecord) << "history copy written:" << path;
    m_lastHistoryFile = path;
    m_history->refresh();
    setLastProtocol(QString(), true);
    emit historyWritten();
}

// ------------------------------------------------------------ the window's

// A job starting takes the last job's protocol off the outcome line.
void ServiceRecord::noteJobStart()
{
    if (m_bot && m_bot->isEnabled())
        setLastProtocol(QString(), false);
}

// The history lists the copies of the device at hand: its serial number is
// known from a read-out of it or from a job that saw it (a check, a
// transfer), its identifier from any job.
void ServiceRecord::noteJobEnd()
{
    const JobResult result = m_bot->lastResult();
    if (result.job == JobResult::Check && result.outcome == JobResult::Done) {
        m_checked = Known();
        m_checked.facts.identifier = result.deviceIdentifier;
        m_checked.facts.serialNumber = result.deviceSerialNumber;
        for (const CheckedSetting &checked : result.checked) {
            if (checked.found)
                m_checked.values.insert(ReadoutHistory::pathKey(checked.menuPath),
                                        checked.deviceValue);
        }
        m_serialShown = m_checked.facts;
    }
    updateHistoryDevice();
}

void ServiceRecord::updateHistoryDevice()
{
    const QString identifier = m_bot ? m_bot->deviceIdentifier() : QString();
    DeviceFacts facts = deviceAtHand();
    if (facts.identifier != identifier)
        facts = m_serialShown;
    m_history->setDevice(identifier,
                         facts.identifier == identifier ? facts.serialNumber : QString());
}

void ServiceRecord::setLastProtocol(const QString &path, bool readOutOffered)
{
    if (path == m_lastProtocolFile && readOutOffered == m_readOutProtocolOffered)
        return;
    m_lastProtocolFile = path;
    m_readOutProtocolOffered = readOutOffered;
    emit protocolChanged();
}

QString ServiceRecord::writeReadOutProtocol()
{
    if (!m_readOutProtocolOffered || m_lastHistoryFile.isEmpty()) {
        fail(QStringLiteral("Keine Auslesung im Verlauf, von der ein Protokoll geschrieben "
                            "werden könnte."));
        return QString();
    }
    const QString path = writeCopyProtocol(m_lastHistoryFile);
    // The read-out's protocol is written; the line names it.
    if (!path.isEmpty())
        setLastProtocol(path, true);
    return path;
}

QString ServiceRecord::writeCopyProtocol(const QString &copyPath)
{
    DeviceProfile copy;
    if (!copy.load(copyPath)) {
        fail(QStringLiteral("Die Datei %1 kann nicht gelesen werden.")
                     .arg(QDir::toNativeSeparators(copyPath)));
        return QString();
    }
    ServiceProtocol protocol = ServiceProtocol::ofCopy(copyPath, copy);
    protocol.setSite(m_site);
    protocol.setTechnician(m_technician);
    if (!QDir().mkpath(reportFolder())) {
        fail(QStringLiteral("Der Ordner %1 kann nicht angelegt werden.")
                     .arg(QDir::toNativeSeparators(reportFolder())));
        return QString();
    }
    const QString path = ReadoutHistory::freePath(
            reportFolder(), QFileInfo(copyPath).completeBaseName() + QStringLiteral(" vorgefunden"),
            QStringLiteral(".pdf"));
    QString error;
    if (!protocol.writePdf(path, &error)) {
        fail(error);
        return QString();
    }
    qCDebug(lumRecord) << "protocol of a copy written:" << path;
    setLastProtocol(path, m_readOutProtocolOffered);
    return path;
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
// A device of another type is not the one read out last.
void ServiceRecord::noteIdentifier()
{
    const QString identifier = m_bot->deviceIdentifier();
    if (identifier.isEmpty()) {
        updateHistoryDevice();
        return;
    }
    if (m_transferRunning)
        m_transferDevice = identifier;
    if (!m_deviceAtHand.isEmpty() && m_known.value(m_deviceAtHand).facts.identifier != identifier)
        m_deviceAtHand.clear();
    if (m_checked.facts.identifier != identifier)
        m_checked = Known();
    updateHistoryDevice();
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

// The device read out last is taken as the one written to as long as what
// the robot saw of it agrees: a setting that showed another value than the
// device at hand holds (a cable moved to the next lift of the same type)
// says it is another device.
bool ServiceRecord::transferIsOnDeviceAtHand(const QList<JobResult::Setting> &settings) const
{
    if (m_deviceAtHand.isEmpty() || !m_known.contains(m_deviceAtHand))
        return false;
    return transferAgreesWith(m_known[m_deviceAtHand], settings);
}

// Whether what the transfer saw of its settings agrees with what is known of
// a device: same identifier, and no setting showing another value before it
// was opened (the clock settings show the time of the moment).
bool ServiceRecord::transferAgreesWith(const Known &known,
                                       const QList<JobResult::Setting> &settings) const
{
    if (!m_transferDevice.isEmpty() && known.facts.identifier != m_transferDevice)
        return false;
    QHash<QString, QString> types;
    if (DeviceProfile *profile = m_bot->profile()) {
        for (const ConfItem *item : profile->items())
            types.insert(ReadoutHistory::pathKey(item->menuPath()), item->type());
    }
    for (const JobResult::Setting &setting : settings) {
        const QString key = ReadoutHistory::pathKey(setting.menuPath);
        if (setting.valueBefore.isNull() || showsClock(types.value(key))
            || !known.values.contains(key))
            continue;
        if (known.values.value(key) != setting.valueBefore) {
            qDebug() << "SERVICERECORD not the device known as" << known.facts.recordKey() << ":"
                     << setting.menuPath << setting.valueBefore << "instead of"
                     << known.values.value(key);
            return false;
        }
    }
    return true;
}

void ServiceRecord::finishTransfer(const QList<JobResult::Setting> &settings)
{
    m_transferRunning = false;
    DeviceProfile *profile = m_bot->profile();

    // Which device this was: the one read out last if all agrees, else a
    // device of this type, known by its identifier only where its menu shows
    // no serial number; a device with an unread serial number is not known.
    DeviceFacts facts;
    facts.identifier = m_transferDevice;
    bool identified = false;
    if (transferIsOnDeviceAtHand(settings)) {
        facts = m_known[m_deviceAtHand].facts;
        identified = true;
    } else if (!m_checked.facts.serialNumber.isEmpty() && transferAgreesWith(m_checked, settings)) {
        // A check of this device (the comparison before the transfer) saw
        // its serial number.
        m_deviceAtHand.clear();
        facts = m_checked.facts;
        identified = true;
    } else {
        m_deviceAtHand.clear();
        identified = !m_transferDevice.isEmpty()
                && !(profile && DeviceFacts::showsSerialNumber(*profile));
    }
    const Known found = identified ? knownOf(facts) : Known();

    TransferReport report;
    report.setDeviceFacts(facts);
    report.setSite(m_site);
    report.setTechnician(m_technician);
    report.setTime(m_transferTime);
    QString source = m_sourceFile;
    if (source.isEmpty() && profile)
        source = profile->property("fileName").toString();
    report.setSourceFile(source);
    if (!m_transferCompleted)
        report.setStopReason(m_transferError.isEmpty() ? JobTexts::transferCancelled
                                                       : m_transferError);
    report.setBeforeSource(found.source);
    fillLines(&report, found, settings);

    // What the device holds now, for the next transfer's report. A setting
    // the device refused may hold anything now.
    Known left = found;
    for (const TransferReport::Line &line : report.lines()) {
        const QString key = ReadoutHistory::pathKey(line.menuPath);
        if (!left.order.contains(key))
            left.order.append(key);
        if (TransferReport::holdsValue(line))
            left.values.insert(key, line.value);
        else if (line.outcome == TransferReport::Failed)
            left.values.remove(key);
        else if (!left.values.contains(key) && !line.before.isNull())
            left.values.insert(key, line.before);
    }
    if (identified) {
        left.facts = facts;
        if (left.source.isEmpty())
            left.source = QStringLiteral("keine Auslesung");
        left.updated = m_transferTime;
        m_known.insert(facts.recordKey(), left);
    }

    m_lastReport = report.text();
    writeProtocol(report, found, left);
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
// it. The value before as the robot saw it on the device, else from what is
// known of this device.
void ServiceRecord::fillLines(TransferReport *report, const Known &known,
                              const QList<JobResult::Setting> &settings) const
{
    for (const JobResult::Setting &setting : settings) {
        TransferReport::Line line;
        line.menuPath = setting.menuPath;
        line.before = setting.valueBefore.isNull()
                ? known.values.value(ReadoutHistory::pathKey(line.menuPath))
                : setting.valueBefore;
        // Taken over: the value as the device shows it (the clock's own time).
        line.value =
                setting.state == JobResult::TakenOver ? setting.deviceShowed : setting.valueWritten;
        line.outcome = reportOutcome(setting.state);
        // Unchanged: the device showed the value before and shows it still
        // (the clock settings show the PC's time now, whatever the file said).
        if (line.outcome == TransferReport::Written && !setting.valueBefore.isNull()
            && setting.valueBefore == setting.valueWritten
            && setting.deviceShowed == setting.valueBefore)
            line.outcome = TransferReport::Unchanged;
        line.note = setting.reason;
        report->addLine(line);
    }
}

// What is known of this device: this session's read-out (and the transfers
// since), else its newest copy in the history, found by serial number where
// it has one.
ServiceRecord::Known ServiceRecord::knownOf(const DeviceFacts &facts) const
{
    const QString key = facts.recordKey();
    if (m_known.contains(key)) {
        Known known = m_known.value(key);
        if (known.updated.isValid())
            known.source += QStringLiteral(", mit den Übertragungen bis %1")
                                    .arg(known.updated.toString(dateTimeFormat));
        return known;
    }
    Known known;
    known.facts = facts;
    const QString newest =
            ReadoutHistory::newestFile(historyFolder(), facts.identifier, facts.serialNumber);
    if (newest.isEmpty())
        return known;
    DeviceProfile copy;
    // A copy renamed by hand is no proof: its content must name the device.
    if (!copy.load(newest) || DeviceFacts::read(copy, facts.identifier).serialNumber
                != facts.serialNumber)
        return known;
    known.source = QStringLiteral("Verlauf, %1").arg(QDir::toNativeSeparators(newest));
    for (const ServiceProtocol::Entry &entry : ServiceProtocol::entriesOf(copy)) {
        const QString entryKey = ReadoutHistory::pathKey(entry.menuPath);
        known.order.append(entryKey);
        known.values.insert(entryKey, entry.value);
    }
    return known;
}

namespace {

QList<ServiceProtocol::Entry> entriesOf(const QStringList &order,
                                        const QHash<QString, QString> &values)
{
    QList<ServiceProtocol::Entry> entries;
    for (const QString &key : order)
        entries.append({ key.split(QLatin1Char('\n')), values.value(key) });
    return entries;
}

} // namespace

// The PDF beside the text report, or where the caller asked for it. The
// PDF's fonts need a GUI application; without one (and without a request)
// the text report stands alone.
void ServiceRecord::writeProtocol(const TransferReport &report, const Known &found,
                                  const Known &left)
{
    setLastProtocol(QString(), false);
    QString path = m_protocolFile;
    if (path.isEmpty()) {
        if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
            return;
        if (!QDir().mkpath(reportFolder()))
            return; // the text report says why
        path = ReadoutHistory::freePath(reportFolder(),
                                        ReadoutHistory::entryName(report.deviceIdentifier(),
                                                                  report.time(),
                                                                  report.deviceFacts().serialNumber),
                                        QStringLiteral(".pdf"));
    }
    // Found: as known before, with what the robot saw where nothing was known.
    QHash<QString, QString> foundValues = found.values;
    QStringList foundOrder = found.order;
    for (const TransferReport::Line &line : report.lines()) {
        const QString key = ReadoutHistory::pathKey(line.menuPath);
        if (!foundOrder.contains(key))
            foundOrder.append(key);
        if (!line.before.isNull())
            foundValues.insert(key, line.before);
    }
    ServiceProtocol protocol = ServiceProtocol::ofTransfer(
            report, entriesOf(foundOrder, foundValues), entriesOf(left.order, left.values));
    if (found.order.isEmpty())
        protocol.addNote(QStringLiteral(
                "Keine Auslesung dieses Geräts: vorgefunden sind nur die Werte, die das Gerät "
                "beim Öffnen der geänderten Einstellungen zeigte."));
    QString error;
    if (!protocol.writePdf(path, &error)) {
        fail(error);
        return;
    }
    qDebug() << "SERVICERECORD protocol" << path;
    setLastProtocol(path, false);
}

void ServiceRecord::fail(const QString &text)
{
    m_lastError = text;
    qCDebug(lumRecord).noquote() << "record failed:" << text;
    emit recordFailed();
}
