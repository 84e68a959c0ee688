#include "filelocations.h"
#include "seriessession.h"

#include "deviceprofile.h"
#include "jobresult.h"
#include "lumbot.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

SeriesSession::SeriesSession(DeviceProfile *profile, LumBot *bot, QObject *parent)
    : QObject(parent), m_profile(profile), m_bot(bot)
{
    connect(m_bot, &LumBot::jobFinished, this, &SeriesSession::takeJobResult);
}

QVariantList SeriesSession::lifts() const
{
    QVariantList list;
    for (const SeriesTable::Lift &lift : m_table.lifts()) {
        const SeriesStatus::Entry entry = m_status.entry(lift.name);
        QVariantMap map;
        map.insert(QStringLiteral("name"), lift.name);
        map.insert(QStringLiteral("serialNumber"), lift.serialNumber);
        map.insert(QStringLiteral("outcome"), SeriesStatus::outcomeWord(entry.outcome));
        map.insert(QStringLiteral("done"), entry.isDone());
        map.insert(QStringLiteral("time"),
                   entry.time.isValid() ? entry.time.toString(QStringLiteral("dd.MM.yyyy HH:mm"))
                                        : QString());
        map.insert(QStringLiteral("note"), entry.note);
        list.append(map);
    }
    return list;
}

QString SeriesSession::summary() const
{
    if (!m_open)
        return QString();
    QStringList names;
    for (const SeriesTable::Lift &lift : m_table.lifts())
        names.append(lift.name);
    return m_status.summary(names);
}

void SeriesSession::setCurrentIndex(int index)
{
    if (index < -1 || index >= m_table.lifts().size() || index == m_currentIndex)
        return;
    m_currentIndex = index;
    emit currentIndexChanged();
}

void SeriesSession::setProblemText(const QString &text)
{
    if (text == m_problemText)
        return;
    m_problemText = text;
    emit problemTextChanged();
}

void SeriesSession::setLoadedIndex(int index)
{
    if (index == m_loadedIndex)
        return;
    m_loadedIndex = index;
    emit loadedIndexChanged();
}

void SeriesSession::setDeviceSerialNumber(const QString &serialNumber)
{
    if (serialNumber == m_deviceSerialNumber)
        return;
    m_deviceSerialNumber = serialNumber;
    emit deviceSerialNumberChanged();
    chooseLiftOfDevice();
}

bool SeriesSession::open(const QString &templateFile, const QString &tableFile)
{
    close();
    const QString templatePath = FileLocations::localPathOf(templateFile);
    const QString tablePath = FileLocations::localPathOf(tableFile);
    DeviceProfile templateProfile;
    if (!templateProfile.load(templatePath)) {
        setProblemText(templateProfile.lastErrorString());
        return false;
    }
    SeriesTable table;
    table.load(tablePath);
    const QList<SeriesTable::Problem> problems = table.check(templateProfile);
    if (!problems.isEmpty()) {
        setProblemText(SeriesTable::messages(problems).join(QLatin1Char('\n')));
        return false;
    }
    SeriesStatus status;
    QString error;
    if (!status.load(tablePath, &error)) {
        setProblemText(error);
        return false;
    }
    m_templateFile = templatePath;
    m_tableFile = tablePath;
    m_table = table;
    m_status = status;
    m_open = true;
    setProblemText(QString());
    emit openedChanged();
    emit liftsChanged();
    // The device's lift, else the first one not done.
    m_currentIndex = -1;
    chooseLiftOfDevice();
    if (m_currentIndex < 0 && !m_table.lifts().isEmpty()) {
        m_currentIndex = int(m_table.lifts().size()) - 1;
        m_currentIndex = qMax(nextOpenLift(), 0);
    }
    emit currentIndexChanged();
    return true;
}

void SeriesSession::close()
{
    if (!m_open)
        return;
    m_open = false;
    m_table = SeriesTable();
    m_status = SeriesStatus();
    m_templateFile.clear();
    m_tableFile.clear();
    m_currentIndex = -1;
    m_loadedFile.clear();
    setLoadedIndex(-1);
    emit openedChanged();
    emit liftsChanged();
    emit currentIndexChanged();
}

// With the device's serial number known, its row is the lift to work on.
void SeriesSession::chooseLiftOfDevice()
{
    if (!m_open || m_deviceSerialNumber.isEmpty())
        return;
    const int index = m_table.liftIndexBySerialNumber(m_deviceSerialNumber);
    if (index >= 0)
        setCurrentIndex(index);
}

int SeriesSession::nextOpenLift() const
{
    const int count = int(m_table.lifts().size());
    for (int step = 1; step <= count; ++step) {
        const int index = (qMax(m_currentIndex, 0) + step) % count;
        if (!m_status.entry(m_table.lifts().at(index).name).isDone())
            return index;
    }
    return -1;
}

QString SeriesSession::liftFilePath(int index) const
{
    if (index < 0 || index >= m_table.lifts().size())
        return QString();
    // The lift's name as a file name on any of the technicians' systems.
    QString name = m_table.lifts().at(index).name;
    name.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]")),
                 QStringLiteral("_"));
    const QFileInfo table(m_tableFile);
    return table.dir().filePath(table.completeBaseName() + QStringLiteral(" Anlagen/") + name
                                + QStringLiteral(".lumc"));
}

bool SeriesSession::loadLift()
{
    if (!m_open || m_currentIndex < 0)
        return false;
    const SeriesTable::Lift &lift = m_table.lifts().at(m_currentIndex);
    // The device's row, or one tied to no device: the same choice lumctl makes.
    QString problem;
    if (!m_deviceSerialNumber.isEmpty()
        && m_table.pickLift(m_deviceSerialNumber, lift.name, &problem) != m_currentIndex) {
        setProblemText(problem);
        return false;
    }
    DeviceProfile liftProfile;
    const QString path = liftFilePath(m_currentIndex);
    if (!liftProfile.load(m_templateFile) || !m_table.applyLift(m_currentIndex, &liftProfile)
        || !QDir().mkpath(QFileInfo(path).absolutePath()) || !liftProfile.save(path)
        || !m_profile->load(path)) {
        setProblemText(QStringLiteral("Die Konfiguration von \"%1\" kann nicht geladen werden: %2")
                               .arg(lift.name, liftProfile.lastErrorString()
                                                       + m_profile->lastErrorString()));
        return false;
    }
    m_loadedFile = QFileInfo(path).absoluteFilePath();
    setProblemText(QString());
    setLoadedIndex(m_currentIndex);
    return true;
}

bool SeriesSession::loadedLiftIsOnScreen() const
{
    return m_open && m_loadedIndex >= 0
            && QFileInfo(m_profile->fileName()).absoluteFilePath() == m_loadedFile;
}

void SeriesSession::recordOutcome(SeriesStatus::Outcome outcome, const QString &note)
{
    SeriesStatus::Entry entry;
    entry.lift = m_table.lifts().at(m_loadedIndex).name;
    entry.serialNumber = m_deviceSerialNumber;
    entry.outcome = outcome;
    entry.time = QDateTime::currentDateTime();
    entry.note = note;
    QString error;
    if (!m_status.record(entry, &error))
        setProblemText(error);
    emit liftsChanged();
    if (outcome == SeriesStatus::Failed)
        return;
    // The next lift is one click away.
    setLoadedIndex(-1);
    const int next = nextOpenLift();
    if (next >= 0)
        setCurrentIndex(next);
}

void SeriesSession::takeJobResult()
{
    const JobResult result = m_bot->lastResult();
    if (result.job == JobResult::Identification) {
        // Perhaps another device: its serial number is known again after a
        // check or a read-out.
        setDeviceSerialNumber(QString());
        return;
    }
    const bool done = result.outcome == JobResult::Done;
    if (done && result.job == JobResult::Check && !result.deviceSerialNumber.isEmpty())
        setDeviceSerialNumber(result.deviceSerialNumber.trimmed());
    else if (done && result.job == JobResult::ReadOut)
        setDeviceSerialNumber(m_profile->serialNumberSetting());
    if (!loadedLiftIsOnScreen())
        return;
    // A lift tied to a device counts as done only on that device.
    const SeriesTable::Lift &lift = m_table.lifts().at(m_loadedIndex);
    QString problem;
    if (!lift.serialNumber.isEmpty()
        && m_table.pickLift(m_deviceSerialNumber, lift.name, &problem) != m_loadedIndex) {
        setProblemText(problem);
        return;
    }
    if (result.job == JobResult::Transfer) {
        // A transfer that ended early, or left a setting not taken over, is
        // no lift done.
        const bool complete = done && result.settingsWritten == result.settingsToWrite;
        recordOutcome(complete ? SeriesStatus::Written : SeriesStatus::Failed,
                      result.outcomeLine());
    } else if (done && result.job == JobResult::Check && !result.serialNumberOnly
               && m_profile->differenceCount() == 0) {
        recordOutcome(SeriesStatus::Unchanged,
                      QStringLiteral("unverändert, das Gerät hält die Werte"));
    }
}
