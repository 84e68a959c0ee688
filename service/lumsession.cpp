#include "lumsession.h"

#include "deviceprofile.h"
#include "filelocations.h"
#include "kelhandler.h"
#include "lumbot.h"
#include "servicerecord.h"
#include "csvexport.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const QString siteKey = QStringLiteral("Protokoll/Anlage");
const QString technicianKey = QStringLiteral("Protokoll/Techniker");

} // namespace

LumSession::LumSession(QObject *parent)
    : QObject(parent),
      m_link(new KelHandler(this)),
      m_profile(new DeviceProfile(this)),
      m_bot(new LumBot(this)),
      m_record(new ServiceRecord(this)),
      m_series(new SeriesSession(m_profile, m_bot, this))
{
    // The names the window's tests and the benchmark find them by.
    m_link->setObjectName(QStringLiteral("kelHandler"));
    m_profile->setObjectName(QStringLiteral("deviceProfile"));
    m_bot->setObjectName(QStringLiteral("lumBot"));
    m_record->setObjectName(QStringLiteral("serviceRecord"));
    m_series->setObjectName(QStringLiteral("seriesSession"));

    m_bot->setKelHandler(m_link);
    m_bot->setProfile(m_profile);
    m_record->setBot(m_bot);

    const QSettings settings;
    m_siteAndTechnicianAsked = settings.contains(siteKey) || settings.contains(technicianKey);
    m_record->setSite(settings.value(siteKey).toString());
    m_record->setTechnician(settings.value(technicianKey).toString());

    connect(m_bot, &LumBot::jobFinished, this, [this] {
        const JobResult result = m_bot->lastResult();
        takeSerialNumberOf(result);
        // What a check showed is history once values were written.
        if (result.job == JobResult::Transfer)
            m_profile->clearComparison();
        // The serial number read for a transfer: it decides once every
        // receiver has seen the check's result.
        if (m_transferPending && result.job == JobResult::Check
            && result.outcome == JobResult::Done)
            QMetaObject::invokeMethod(
                    this, [this] { decideTransfer(); }, Qt::QueuedConnection);
        else
            setTransferPending(false);
    });
    // The view of the differences ends with the comparison (a read-out, a
    // file loaded, a transfer, or the technician's "Vergleich ausblenden"),
    // so that the editor is not left empty.
    connect(m_profile, &DeviceProfile::comparisonChanged, this, [this] {
        ItemFilter *filter = m_profile->itemFilter();
        if (!m_profile->hasComparison() && filter->view() == ItemFilter::Differences)
            filter->setView(ItemFilter::All);
    });
    connect(m_bot, &LumBot::deviceIdentifierChanged, this, &LumSession::connectedDeviceChanged);
    // Another lift may be on the line once the port was closed.
    connect(m_link, &KelHandler::terminalIsReadyChanged, this, [this] {
        if (!m_link->terminalIsReady())
            forgetConnectedDevice();
    });
}

bool LumSession::canCompareWithDevice() const
{
    return m_link->terminalIsReady() && !m_bot->isEnabled();
}

bool LumSession::openHistoryCopy(const QString &path, bool compareWithDevice)
{
    if (compareWithDevice && !canCompareWithDevice())
        return false;
    if (!m_profile->loadCopy(path))
        return false;
    if (compareWithDevice)
        m_bot->startCheck(true);
    return true;
}

void LumSession::setSiteAndTechnician(const QString &site, const QString &technician)
{
    m_record->setSite(site.trimmed());
    m_record->setTechnician(technician.trimmed());
    QSettings settings;
    settings.setValue(siteKey, m_record->site());
    settings.setValue(technicianKey, m_record->technician());
    if (!m_siteAndTechnicianAsked) {
        m_siteAndTechnicianAsked = true;
        emit siteAndTechnicianAskedChanged();
    }
}

QString LumSession::csvPathFor(const QString &chosen, const QString &folder)
{
    QString path = DeviceProfile::chosenFilePath(chosen, folder);
    // The dialog's name without an ending gets the configuration's ending there.
    if (!path.isEmpty() && QFileInfo(FileLocations::localPathOf(chosen)).suffix().isEmpty())
        path = QFileInfo(path).path() + QLatin1Char('/') + QFileInfo(path).completeBaseName()
                + QStringLiteral(".csv");
    return path;
}

QString LumSession::exportCsv(const QString &chosen, const QString &folder)
{
    const QString path = csvPathFor(chosen, folder);
    if (path.isEmpty())
        return QStringLiteral("Keine Datei gewählt.");
    QString error;
    if (!CsvExport::write(path, *m_profile, &error))
        return error;
    return QString();
}

// A check that looked at the serial number, or a whole read-out, tells which
// device is on the line; an identification alone only tells its type.
void LumSession::takeSerialNumberOf(const JobResult &result)
{
    if (result.outcome != JobResult::Done)
        return;
    QString serial;
    if (result.job == JobResult::Check)
        serial = result.deviceSerialNumber;
    else if (result.job == JobResult::ReadOut)
        serial = m_profile->serialNumberSetting();
    else
        return;
    if (serial.isEmpty() && result.job == JobResult::Check)
        return; // the check did not look at it
    m_knownDevice.identifier = result.deviceIdentifier.trimmed();
    m_knownDevice.serialNumber = serial;
    emit connectedDeviceChanged();
}

void LumSession::forgetConnectedDevice()
{
    if (m_knownDevice.identifier.isEmpty() && m_knownDevice.serialNumber.isEmpty())
        return;
    m_knownDevice = DeviceOrigin();
    emit connectedDeviceChanged();
}

QString LumSession::connectedSerialNumber() const
{
    return connectedDevice().serialNumber;
}

DeviceOrigin LumSession::connectedDevice() const
{
    DeviceOrigin device;
    device.identifier = m_bot->deviceIdentifier().trimmed();
    if (!device.identifier.isEmpty() && device.identifier == m_knownDevice.identifier)
        device.serialNumber = m_knownDevice.serialNumber;
    return device;
}

bool LumSession::fileFitsDevice() const
{
    return m_profile->origin().fits(connectedDevice());
}

QString LumSession::otherDeviceQuestion() const
{
    if (fileFitsDevice())
        return QString();
    return QStringLiteral("Die Konfiguration gehört zu einem anderen Gerät:\n%1\nTrotzdem übertragen?")
            .arg(m_profile->origin().mismatchText(connectedDevice()));
}

bool LumSession::canTransfer() const
{
    return m_link->terminalIsReady() && !m_bot->isEnabled();
}

void LumSession::transfer()
{
    if (m_transferPending || !canTransfer())
        return;
    if (m_profile->hasInvalidSettings()) {
        emit transferRefused(QStringLiteral("Nicht übertragen. Bitte zuerst korrigieren:\n")
                             + m_profile->invalidSettingsText());
        return;
    }
    // Lifts of one type differ by their serial numbers alone.
    if (m_profile->origin().needsSerialNumberOf(connectedDevice())
        && !m_profile->serialNumberPaths().isEmpty()) {
        m_bot->startSerialCheck();
        setTransferPending(m_bot->isEnabled());
        return;
    }
    decideTransfer();
}

void LumSession::setTransferPending(bool pending)
{
    if (pending == m_transferPending)
        return;
    m_transferPending = pending;
    emit transferPendingChanged();
}

// The device's serial number is known where it can be: the file fits, or
// the technician is asked. (No longer pending once the transfer runs.)
void LumSession::decideTransfer()
{
    if (canTransfer() && fileFitsDevice())
        m_bot->startUpload();
    else if (canTransfer())
        emit otherDeviceQuestionAsked(otherDeviceQuestion());
    setTransferPending(false);
}

void LumSession::transferToOtherDevice()
{
    if (canTransfer())
        m_bot->startUpload();
}

bool LumSession::connectAndIdentify()
{
    m_link->openSerialPort();
    if (!m_link->terminalIsReady())
        return false;
    m_bot->startInit();
    return true;
}

QString LumSession::connectFailureText() const
{
    const QStringList ports = m_link->termPortList();
    const int chosen = m_link->termPortSelectedIndx();
    if (chosen < 0 || chosen >= ports.size())
        return m_link->lastErrorString();
    return QStringLiteral("Fehler beim Öffnen von %1:\n%2")
            .arg(ports.at(chosen), m_link->lastErrorString());
}

// The record reads the robot and the robot works the link and the profile:
// each goes before what it uses.
LumSession::~LumSession()
{
    // What the session follows of them ends before they go.
    m_link->disconnect(this);
    m_bot->disconnect(this);
    m_profile->disconnect(this);
    delete m_series;
    delete m_record;
    delete m_bot;
    delete m_profile;
    delete m_link;
}
