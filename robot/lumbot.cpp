#include "lumbot.h"

#include "devicekeys.h"
#include "deviceprofile.h"
#include "kelhandler.h"
#include "linktiming.h"
#include "loghandler.h"
#include "menuscreen.h"
#include "transfermarks.h"
#include "valuetype.h"

#include <QDateTime>
#include <QDebug>
#include <QDomElement>

namespace {

const char keyOk = DeviceKeys::Ok;
const char keyEsc = DeviceKeys::Esc;
const char keyNext = DeviceKeys::Next;

// The key that follows the base menu and the OK that confirms a value make
// the device redraw more than usual; the link waits longer for the answer.
const int slowAnswerMs = LinkTiming::SlowAnswerMs;

// A name shown this often on one level means the device's list never comes
// round to what the robot is looking for.
const int maxRepeats = 2;
const int maxLevel = 19;
const int maxBaseMenuEscapes = 9;
const int maxUnansweredEscapes = 2;

const QString baseMenuProgrammingEntry = QStringLiteral("Programmierung beenden");
const QString configurationEntrySecondLine = QStringLiteral("konfigurieren?");

const QStringList blockedSections = {
    QStringLiteral("Formatieren"),
    QStringLiteral("Reset"),
    QStringLiteral("Programmierung"),
    QStringLiteral("Ereig.-Speicher"),
};
const QStringList blockedSettings = {
    QStringLiteral("Service-Center"), QStringLiteral("Netzbetreiber"),
    QStringLiteral("Netzauswahl"),    QStringLiteral("Ausgang PICTO"),
    QStringLiteral("Status XIN"),
};

const QString &typeSelection = ValueType::Selection;
const QString &typeInputNum = ValueType::InputNum;
const QString &typeTime = ValueType::InputTime;
const QString &typeSystemTime = ValueType::SystemTime;
const QString &typeSystemDate = ValueType::SystemDate;
const QString &typeReadOnly = ValueType::ReadOnly;
const QString &typeBlocked = ValueType::Blocked;

const QString outcomeReadOut = QStringLiteral("%1 Einträge gelesen (%2)");
const QString outcomeTransfer = QStringLiteral("%1 Einstellungen übertragen (%2)");
const QString outcomeNothingMarked = QStringLiteral("Keine Einstellung zur Übertragung markiert.");
const QString outcomeReadOutAborted = QStringLiteral("Auslesen abgebrochen.");
const QString outcomeTransferAborted = QStringLiteral("Übertragung abgebrochen.");
const QString outcomeIdentificationAborted = QStringLiteral("Identifizierung abgebrochen.");
const QString outcomeReadOutFailed = QStringLiteral("Auslesen fehlgeschlagen.");
const QString outcomeTransferFailed = QStringLiteral("Übertragung fehlgeschlagen.");
const QString deviceReturning = QStringLiteral("Gerät wird ins Basismenü zurückgeführt …");
const QString deviceAtBaseMenu = QStringLiteral("Gerät im Basismenü.");
const QString deviceMaybeElsewhere = QStringLiteral(
        "Gerät steht möglicherweise nicht im Basismenü, bitte am Gerät prüfen.");
const QString deviceLineLost =
        QStringLiteral("Verbindung getrennt, Gerät steht möglicherweise nicht im Basismenü.");
const QString errorNoDevice =
        QStringLiteral("Kein Gerät erkannt: keine Antwort auf der Schnittstelle.");

const QString errorBaseMenu =
        QStringLiteral("Fehler bei Initialisierung!\nBasismenü kann nicht gefunden werden!");
const QString errorNoConnection =
        QStringLiteral("Fehler beim Auslesen!\nKeine Verbindung zum Gerät!");
const QString errorRepeated = QStringLiteral("Fehler beim Auslesen!\nVerbindung zum Gerät wurde "
                                             "getrennt oder Menüstruktur ist inkonsistent!");
const QString errorTooDeep = QStringLiteral("Fehler beim Auslesen!\nMehr als 20 Untermenü-Ebenen "
                                            "gefunden oder Menüstruktur ist inkonsistent!");
const QString errorReadOutLinkLost =
        QStringLiteral("Fehler beim Auslesen!\nVerbindung zum Gerät wurde getrennt!");
const QString errorTransferLinkLost =
        QStringLiteral("Fehler beim Übertragen!\nVerbindung zum Gerät wurde getrennt!");
const QString errorEntryNotFound =
        QStringLiteral("Fehler beim Übertragen von: %1\nMenüpunkt konnte auf dem Gerät leider "
                       "nicht gefunden werden!");
const QString errorOptionNotFound =
        QStringLiteral("Fehler beim Übertragen von: %1\nWert \"%2\" konnte auf dem Gerät leider "
                       "nicht gefunden werden!");
const QString errorNotTakenOver = QStringLiteral(
        "Fehler beim Übertragen von: %1\nÜbernommener Wert: %2\nErwarteter Wert: %3");

QString clockTime()
{
    return QTime::currentTime().toString(QStringLiteral("hh:mm"));
}

QString joinedOutcome(const QString &ending, const QString &whereLeft)
{
    return ending.isEmpty() ? whereLeft : ending + QLatin1Char(' ') + whereLeft;
}

bool containsAny(const QString &name, const QStringList &parts)
{
    for (const QString &part : parts) {
        if (name.contains(part))
            return true;
    }
    return false;
}

} // namespace

LumBot::LumBot(QObject *parent) : QObject(parent) { }

KelHandler *LumBot::kelHandler() const
{
    return m_kelHandler;
}

void LumBot::setKelHandler(KelHandler *kelHandler)
{
    attachLink(kelHandler);
    emit kelHandlerChanged(kelHandler);
}

void LumBot::setDeviceLink(DeviceLink *link)
{
    attachLink(link);
}

DeviceLink *LumBot::deviceLink() const
{
    return m_link;
}

void LumBot::attachLink(DeviceLink *link)
{
    // One connection per link: a screen must never be processed twice.
    disconnect(m_displayConnection);
    disconnect(m_portConnection);
    disconnect(m_linkGoneConnection);
    m_link = link;
    m_kelHandler = qobject_cast<KelHandler *>(link);
    if (!link)
        return;
    m_displayConnection = connect(link, &DeviceLink::displayCompleted, this, &LumBot::readDisplay);
    m_portConnection = connect(link, &DeviceLink::terminalIsReadyChanged, this,
                               &LumBot::onTerminalReadyChanged);
    // The robot does not own the link; it must not outlive it holding a
    // dangling pointer (the scene may destroy its objects in any order).
    m_linkGoneConnection = connect(link, &QObject::destroyed, this, [this] {
        m_link = nullptr;
        m_kelHandler = nullptr;
        stopJob();
    });
}

DeviceProfile *LumBot::profile() const
{
    return m_profile;
}

void LumBot::setProfile(DeviceProfile *profile)
{
    disconnect(m_profileGoneConnection);
    m_profile = profile;
    emit profileChanged(profile);
    if (!profile)
        return;
    m_profileGoneConnection = connect(profile, &QObject::destroyed, this, [this] {
        m_profile = nullptr;
        stopJob();
    });
}

bool LumBot::isEnabled() const
{
    return m_mode != Idle;
}

QString LumBot::deviceIdentifier() const
{
    return m_deviceIdentifier;
}

QString LumBot::deviceWarning() const
{
    return m_deviceWarning;
}

int LumBot::itemsDone() const
{
    return m_itemsDone;
}

int LumBot::itemsTotal() const
{
    return m_itemsTotal;
}

QString LumBot::jobOutcome() const
{
    return m_jobOutcome;
}

QString LumBot::identificationError() const
{
    return m_identificationError;
}

int LumBot::mode() const
{
    return m_mode;
}

QString LumBot::lastErrorString() const
{
    return m_lastError;
}

QList<LumBot::TransferredSetting> LumBot::transferredSettings() const
{
    return m_transferred;
}

// ---------------------------------------------------------------- control

void LumBot::startInit()
{
    if (m_mode != Idle)
        return;
    if (!m_link) {
        qDebug() << "LUMBOT start refused: no terminal link set";
        return;
    }
    clearOutcome();
    beginInit();
}

// The base-menu search that begins every job; also run by the transfer at
// its end to bring the device back and read its identity anew, which keeps
// the transfer's outcome.
void LumBot::beginInit()
{
    qDebug() << "LUMBOT start init";
    reset();
    setProgress(0, 0);
    sendKey(keyEsc);
    m_mode = Init;
    emit enabledChanged();
}

void LumBot::startDownload()
{
    if (!canStartProfileJob())
        return;
    qDebug() << "LUMBOT start download";
    m_profile->resetProfile();
    startInitFor(DownloadInit);
}

void LumBot::startUpload()
{
    if (!canStartProfileJob())
        return;
    qDebug() << "LUMBOT start upload";
    clearTransferState();
    m_transferred.clear();
    m_profile->gotoRoot();
    startInitFor(UploadInit);
    if (m_mode == UploadInit)
        emit transferStarted();
}

// A read-out or a transfer needs the tree as well as the link; a job that is
// already running is never replaced.
bool LumBot::canStartProfileJob() const
{
    if (m_mode != Idle)
        return false;
    if (!m_link || !m_profile) {
        qDebug() << "LUMBOT start refused: terminal link or profile not set";
        return false;
    }
    return true;
}

// Every job begins with the base-menu search; the mode says what follows it.
void LumBot::startInitFor(int mode)
{
    startInit();
    if (m_mode == Init)
        m_mode = mode;
}

void LumBot::clearOutcome()
{
    setJobOutcome(QString());
    setIdentificationError(QString());
}

void LumBot::setJobOutcome(const QString &text)
{
    if (text == m_jobOutcome)
        return;
    m_jobOutcome = text;
    emit jobOutcomeChanged();
}

void LumBot::setIdentificationError(const QString &text)
{
    if (text == m_identificationError)
        return;
    m_identificationError = text;
    emit identificationErrorChanged();
}

// An identification that ends without an identifier found no device: the
// link completed its screens without an answer (or only blank ones).
void LumBot::endIdentification()
{
    setIdentificationError(m_deviceIdentifier.trimmed().isEmpty() ? errorNoDevice : QString());
}

// The user's abort. The robot lets go of the device only at its base menu:
// left deep in the menu, or inside a setting it opened, one key by the
// technician would change a setting there.
void LumBot::abort()
{
    if (m_mode == Idle || m_mode == Return)
        return;
    const int mode = m_mode;
    discardJob();
    if (mode == DownloadInit || mode == Download)
        returnToBaseMenu(outcomeReadOutAborted);
    else if (mode == UploadInit || mode == Upload)
        returnToBaseMenu(outcomeTransferAborted);
    else if (m_jobOutcome.isEmpty())
        returnToBaseMenu(outcomeIdentificationAborted);
    else // the identification that follows a transfer: its outcome stands
        returnToBaseMenu(m_jobOutcome);
}

// Ends the job without a key: after an error, or when the line is lost.
void LumBot::stopJob()
{
    if (m_mode == Idle)
        return;
    discardJob();
    m_mode = Idle;
    emit enabledChanged();
}

// What an aborted job leaves behind: a partial read-out is discarded, the
// device no longer counts as identified.
void LumBot::discardJob()
{
    qDebug() << "LUMBOT abort";
    if (m_mode == Download && m_profile)
        m_profile->resetProfile();
    reset();
    clearTransferState();
}

bool LumBot::linkWorks() const
{
    return m_link && m_link->terminalIsReady();
}

// Every job that ends early on a working line ends here: ESC closes a field
// the robot may have opened (keeping the stored value, where OK would store
// what the field shows), and further ESC climb to the base menu, found as
// the base-menu search finds it. The robot stays busy until then.
void LumBot::returnToBaseMenu(const QString &ending)
{
    m_jobEnding = ending;
    if (!linkWorks()) {
        endReturn(deviceLineLost);
        return;
    }
    qDebug() << "LUMBOT return to the base menu";
    m_lastDisplay.clear();
    m_escCount = 0;
    m_unansweredEscapes = 0;
    sendKey(keyEsc);
    const bool wasIdle = m_mode == Idle;
    m_mode = Return;
    setJobOutcome(joinedOutcome(m_jobEnding, deviceReturning));
    if (wasIdle)
        emit enabledChanged();
}

// One screen of the climb. The base menu is the screen the device draws
// unchanged in answer to ESC; a device that stops answering is given up
// after its second unanswered ESC, a menu that never settles after as many
// ESC as the base-menu search allows.
void LumBot::climbStep(const MenuScreen &screen)
{
    // An open field may show the very text of the closed setting; only the
    // cursor tells them apart.
    const QString current = screen.joinedLines() + QLatin1Char('|') + QString::number(screen.cursorRow);
    const bool answered = m_link->lastKeyAnswered();
    if (answered && !m_lastDisplay.isEmpty() && m_lastDisplay == current) {
        qDebug() << "LUMBOT back at the base menu:" << current;
        endReturn(deviceAtBaseMenu);
        return;
    }
    m_unansweredEscapes = answered ? 0 : m_unansweredEscapes + 1;
    if (m_escCount > maxBaseMenuEscapes || m_unansweredEscapes >= maxUnansweredEscapes) {
        qDebug() << "LUMBOT base menu not reached, giving up";
        endReturn(deviceMaybeElsewhere);
        return;
    }
    sendKey(keyEsc);
    ++m_escCount;
    m_lastDisplay = current;
}

void LumBot::endReturn(const QString &whereLeft)
{
    const bool wasBusy = m_mode != Idle;
    m_mode = Idle;
    m_lastDisplay.clear();
    m_escCount = 0;
    setJobOutcome(joinedOutcome(m_jobEnding, whereLeft));
    if (wasBusy)
        emit enabledChanged();
}

void LumBot::readDisplay()
{
    if (m_mode == Idle || !m_link)
        return;

    const MenuScreen screen =
            MenuScreen::read(m_link->displayLines(), m_link->cursorRow(), m_level);
    screen.log();

    if (m_takeIdentifier) {
        m_deviceIdentifier = screen.firstLine;
        qDebug() << "m_deviceIdentifier" << m_deviceIdentifier;
        m_takeIdentifier = false;
        emit deviceIdentifierChanged();
        if (m_mode == Init) {
            endIdentification();
            enterIdle();
            return;
        }
    }

    switch (m_mode) {
    case Init:
    case DownloadInit:
    case UploadInit:
        searchBaseMenu(screen);
        break;
    case Download:
        if (hasProfileFor(Download))
            readOutStep(screen);
        break;
    case Upload:
        if (hasProfileFor(Upload))
            transferStep(screen);
        break;
    case Return:
        climbStep(screen);
        break;
    default:
        break;
    }
}

void LumBot::reset()
{
    m_takeIdentifier = false;
    m_escCount = 0;
    m_level = 0;
    m_seenNames.clear();
    m_searchPath.clear();
    m_lastDisplay.clear();
    m_deviceIdentifier.clear();
    m_deviceWarning.clear();
    emit deviceIdentifierChanged();
}

void LumBot::clearTransferState()
{
    m_targetPath.clear();
    m_devicePath.clear();
    m_valueEntered = false;
    m_skipVerify = false;
}

void LumBot::enterIdle()
{
    m_mode = Idle;
    emit enabledChanged();
}

void LumBot::setProgress(int done, int total)
{
    if (done == m_itemsDone && total == m_itemsTotal)
        return;
    m_itemsDone = done;
    m_itemsTotal = total;
    emit progressChanged();
}

void LumBot::reportError(const QString &text)
{
    m_lastError = text;
    qDebug() << "LUMBOT ERROR:" << text;
    emit transmissionError();
}

void LumBot::onTerminalReadyChanged()
{
    if (!m_link || m_link->terminalIsReady())
        return;
    switch (m_mode) {
    case Init:
        setIdentificationError(errorNoDevice);
        stopJob();
        break;
    case DownloadInit:
    case Download:
        failReadOut(errorReadOutLinkLost + linkReason());
        break;
    case UploadInit:
    case Upload:
        failTransfer(errorTransferLinkLost + linkReason());
        break;
    case Return:
        endReturn(deviceLineLost);
        break;
    default:
        break;
    }
}

// What the link says about a lost line, as a line of its own.
QString LumBot::linkReason() const
{
    const QString reason = m_link ? m_link->lastErrorString() : QString();
    return reason.isEmpty() ? QString() : QLatin1Char('\n') + reason;
}

// The profile may be unset while a job runs (QML rebinding); stop rather than
// walk without a tree.
bool LumBot::hasProfileFor(int mode)
{
    if (m_profile)
        return true;
    qDebug() << "LUMBOT no profile set in mode" << mode << "- stopping";
    stopJob();
    return false;
}

void LumBot::sendKey(char key)
{
    m_link->sendChar(key);
}

void LumBot::sendText(const QString &text)
{
    for (const QChar c : text)
        m_link->sendChar(c.toLatin1());
}

// ------------------------------------------------------- base-menu search

// The base menu is the screen that ESC no longer changes.
void LumBot::searchBaseMenu(const MenuScreen &screen)
{
    if (m_escCount > maxBaseMenuEscapes) {
        failBaseMenuSearch();
        return;
    }

    const QString current = screen.joinedLines();
    if (m_lastDisplay.isEmpty() || m_lastDisplay != current) {
        sendKey(keyEsc);
        ++m_escCount;
        m_lastDisplay = current;
        return;
    }

    qDebug() << "reached root display:" << m_lastDisplay;
    const bool programmingMode = m_lastDisplay.contains(baseMenuProgrammingEntry);
    reset();
    if (programmingMode) {
        // The jumper keeps the device in programming mode until the user
        // leaves it through this entry; '+' steps past it.
        m_deviceWarning =
                QStringLiteral(
                        "Hinweis: Bitte zum Abschluss \"%1\" wählen und den Jumper zurücksetzen!")
                        .arg(baseMenuProgrammingEntry);
        m_link->sendCharTimer(keyNext, slowAnswerMs);
    } else {
        m_deviceWarning.clear();
        m_link->sendCharTimer(keyEsc, slowAnswerMs);
    }
    m_takeIdentifier = true;
    if (m_mode == DownloadInit)
        m_mode = Download;
    else if (m_mode == UploadInit)
        m_mode = Upload;
}

// The search has sent all the ESC it may: a climb would send as many again.
void LumBot::failBaseMenuSearch()
{
    const int mode = m_mode;
    if (mode != Init)
        reportError(errorBaseMenu);
    else
        setIdentificationError(errorNoDevice);
    stopJob();
    if (mode == DownloadInit)
        setJobOutcome(joinedOutcome(outcomeReadOutFailed, deviceMaybeElsewhere));
    else if (mode == UploadInit)
        setJobOutcome(joinedOutcome(outcomeTransferFailed, deviceMaybeElsewhere));
}

// --------------------------------------------------------------- read-out

void LumBot::readOutStep(const MenuScreen &screen)
{
    if (m_level == 0 && screen.secondLine == configurationEntrySecondLine) {
        sendKey(keyOk);
        m_seenNames.clear();
        return;
    }

    qCDebug(lumTrace) << "LUMBOT aktueller Cusorpfad:" << m_profile->currentMenuPath();

    if (m_seenNames.count(screen.name) > maxRepeats) {
        failReadOut(errorRepeated);
        return;
    }
    m_seenNames.append(screen.name);

    if (m_level > maxLevel) {
        failReadOut(errorTooDeep);
        return;
    }

    if (!m_searchPath.isEmpty()) {
        searchWayBack(screen);
        return;
    }

    // The device's lists start again at their first entry after the last:
    // an entry already recorded here means the level has been walked.
    if (screen.name.isEmpty() || m_profile->childTexts().contains(screen.name)) {
        // A device that stopped answering shows its old screen again after
        // the link's extra wait; at the top level that must not pass for the
        // end of the menu.
        if (m_level > 0)
            leaveLevel(screen);
        else if (screen.name.isEmpty() || !m_link->lastKeyAnswered())
            failReadOut(errorNoConnection);
        else
            finishReadOut();
        return;
    }

    // A setting the device will not open keeps the cursor on the first row.
    if (m_profile->currentTagName() == MenuScreen::Setting && screen.cursorRow == 0) {
        markReadOnly();
        return;
    }

    recordEntry(screen);
}

void LumBot::searchWayBack(const MenuScreen &screen)
{
    qCDebug(lumTrace) << "LUMBOT suche nach nextElementByPath:" << m_searchPath;
    qCDebug(lumTrace) << "- bin bei:" << screen.name;

    const int size = m_searchPath.size();
    // A section named like the entry that was left, and like its parent, is
    // taken to be the parent itself.
    const bool looksLikeParent =
            size >= 2 && screen.name == m_searchPath.at(size - 2) && !screen.isSetting();
    if (screen.name == m_searchPath.last() && !looksLikeParent) {
        m_searchPath.clear();
        sendKey(keyNext);
        return;
    }
    if (screen.isSection() && m_searchPath.contains(screen.name)) {
        sendKey(keyOk);
        m_seenNames.clear();
        return;
    }
    sendKey(keyNext);
}

void LumBot::leaveLevel(const MenuScreen &screen)
{
    const bool hasChildren = m_profile->currentHasChildren();
    const bool isSetting = m_profile->currentTagName() == MenuScreen::Setting;
    // Only a setting can hold a list of choices; marking a section would hide
    // its entries from the editor.
    if (isSetting && hasChildren && (screen.isOption() || screen.name.isEmpty()))
        m_profile->setCurrentAttribute(QStringLiteral("valuetype"), typeSelection);
    if (screen.isOption() && !hasChildren)
        m_profile->setCurrentAttribute(QStringLiteral("valuetype"), typeInputNum);

    sendKey(keyEsc);
    m_seenNames.clear();
    m_searchPath = m_profile->currentMenuPath();
    --m_level;
    m_profile->gotoParent();
}

void LumBot::markReadOnly()
{
    m_profile->setCurrentAttribute(QStringLiteral("valuetype"), typeReadOnly);
    sendKey(keyNext);
    --m_level;
    m_profile->gotoParent();
}

void LumBot::recordEntry(const MenuScreen &screen)
{
    QString name = screen.name;
    if (screen.isOption() && m_profile->currentTagName() == MenuScreen::Section) {
        // A line of dots: the device is busy and draws the real screen later.
        name.remove(QLatin1Char('.'));
        if (name.isEmpty())
            return;
    }

    m_profile->appendChildElement(screen.kind, name);
    m_profile->gotoLastChild();
    if (DeviceProfile::isEntryKind(screen.kind))
        setProgress(m_itemsDone + 1, 0);

    if (screen.isSection()) {
        if (containsAny(name, blockedSections)) {
            m_profile->setCurrentAttribute(QStringLiteral("sectiontype"), typeBlocked);
            m_profile->gotoParent();
            sendKey(keyNext);
            return;
        }
        sendKey(keyOk);
        ++m_level;
        m_seenNames.clear();
        return;
    }

    if (screen.isSetting()) {
        m_profile->setCurrentAttribute(QStringLiteral("value"), screen.value);
        m_profile->setCurrentAttribute(QStringLiteral("active"), QStringLiteral("0"));

        QString closedType;
        if (containsAny(name, blockedSettings))
            closedType = typeBlocked;
        else if (name.contains(QLatin1String("Timerzeit")))
            closedType = typeTime;
        else if (name == QLatin1String("Uhrzeit"))
            closedType = typeSystemTime;
        else if (name == QLatin1String("Datum"))
            closedType = typeSystemDate;

        if (!closedType.isEmpty()) {
            m_profile->setCurrentAttribute(QStringLiteral("valuetype"), closedType);
            m_profile->gotoParent();
            sendKey(keyNext);
            return;
        }
        // Opening it shows whether it offers choices, an input line or nothing.
        sendKey(keyOk);
        ++m_level;
        m_seenNames.clear();
        return;
    }

    // Options and information screens are recorded and passed; what an
    // information screen says on its second line ("fällig 2027") is kept.
    if (screen.kind == MenuScreen::Info)
        m_profile->setCurrentAttribute(QStringLiteral("value"), screen.secondLine);
    m_profile->gotoParent();
    sendKey(keyNext);
}

void LumBot::finishReadOut()
{
    enterIdle();
    if (m_mode != Idle)
        return;
    m_profile->rebuildConfItemList();
    // Counted as the technician counts them, the same number lumctl gives.
    const int entries = m_profile->entryCount();
    setProgress(entries, 0);
    setJobOutcome(outcomeReadOut.arg(entries).arg(clockTime()));
    emit readOutCompleted();
}

void LumBot::failReadOut(const QString &text)
{
    reportError(text);
    if (m_mode == Idle || m_mode == Return)
        return;
    discardJob();
    returnToBaseMenu(outcomeReadOutFailed);
}

// --------------------------------------------------------------- transfer

void LumBot::transferStep(const MenuScreen &screen)
{
    if (m_targetPath != m_devicePath) {
        walkTowardsTarget(screen);
        return;
    }
    if (m_targetPath.isEmpty()) {
        setProgress(0, countTransferable());
        chooseMarkedSetting(true, screen);
        return;
    }
    if (m_valueEntered) {
        verifyValue(screen);
        return;
    }
    qDebug() << "reached pending bot path: " << m_targetPath;
    enterValue(screen);
}

void LumBot::walkTowardsTarget(const MenuScreen &screen)
{
    qCDebug(lumTrace) << "LUMBOT device path:" << m_devicePath << "target path:" << m_targetPath;

    const int depth = m_devicePath.size();
    const bool offTarget = depth != 0
            && (depth > m_targetPath.size() || m_devicePath.last() != m_targetPath.at(depth - 1));
    if (offTarget) {
        sendKey(keyEsc);
        if (m_level > 0)
            --m_level;
        m_devicePath.removeLast();
    }

    // After an ESC the screen still shows the level being left, so its name
    // says nothing about the level above.
    if (!offTarget && m_devicePath.size() < m_targetPath.size()
        && screen.name == m_targetPath.at(m_devicePath.size())) {
        sendKey(keyOk);
        ++m_level;
        m_devicePath.append(screen.name);
        m_seenNames.clear();
        return;
    }

    if (m_seenNames.count(screen.name) > maxRepeats) {
        failTransfer(errorEntryNotFound.arg(m_targetPath.join(QLatin1Char('/'))));
        return;
    }
    m_seenNames.append(screen.name);
    sendKey(keyNext);
}

void LumBot::enterValue(const MenuScreen &screen)
{
    const QString type = m_profile->currentValueType();
    const QString stored = m_profile->currentValue();

    if (type == typeSelection) {
        enterSelection(screen, stored);
        return;
    }

    if (type == typeInputNum) {
        sendText(stored);
    } else if (type == typeTime) {
        sendText(QString(stored).remove(QLatin1Char(':')));
    } else if (type == typeSystemTime || type == typeSystemDate) {
        const bool time = type == typeSystemTime;
        const QString now = time ? QTime::currentTime().toString(QStringLiteral("hhmm"))
                                 : QDate::currentDate().toString(QStringLiteral("ddMMyy"));
        qDebug() << (time ? "set inputsystemtime to: " : "set inputsystemdate to: ") << now;
        sendText(now);
        // The device shows its clock, not what was keyed in a moment ago.
        m_skipVerify = true;
    } else {
        // Nothing can be keyed in: leave the setting as it is.
        sendKey(keyEsc);
        qDebug() << "valuetype not implemented: " << type;
        m_valueEntered = true;
        m_skipVerify = true;
        return;
    }
    m_link->sendCharTimer(keyOk, slowAnswerMs);
    m_valueEntered = true;
}

void LumBot::enterSelection(const MenuScreen &screen, const QString &wanted)
{
    if (screen.name == wanted) {
        m_link->sendCharTimer(keyOk, slowAnswerMs);
        m_seenNames.clear();
        m_valueEntered = true;
        return;
    }
    if (m_seenNames.count(screen.name) > maxRepeats) {
        failTransfer(errorOptionNotFound.arg(m_targetPath.join(QLatin1Char('/')), wanted));
        return;
    }
    m_seenNames.append(screen.name);
    sendKey(keyNext);
}

void LumBot::verifyValue(const MenuScreen &screen)
{
    if (m_level > 0)
        --m_level;
    m_devicePath.removeLast();
    m_valueEntered = false;

    const QString stored = m_profile->currentValue();
    if (m_skipVerify) {
        m_skipVerify = false;
    } else if (screen.value != stored) {
        failTransfer(
                errorNotTakenOver.arg(m_targetPath.join(QLatin1Char('/')), screen.value, stored));
        return;
    }
    qDebug() << "SUCCESS when uploading" << m_targetPath << "result:" << screen.value
             << "expected:" << stored;
    recordTransferred(screen.value, QString());
    setProgress(m_itemsDone + 1, m_itemsTotal);
    chooseMarkedSetting(false, screen);
}

void LumBot::chooseMarkedSetting(bool first, const MenuScreen &screen)
{
    if (gotoNextTransferable()) {
        m_targetPath = m_profile->currentMenuPath();
        qDebug() << (first ? "first pending bot path: " : "next pending bot path: ")
                 << m_targetPath;
        walkTowardsTarget(screen);
        return;
    }
    setJobOutcome(first ? outcomeNothingMarked : outcomeTransfer.arg(m_itemsDone).arg(clockTime()));
    emit transferCompleted();
    enterIdle();
    // Bring the device back to its base menu and read its identity anew.
    if (!first && m_mode == Idle)
        beginInit();
}

// Marked settings that cannot be keyed in are passed over: the device would
// not open them, and the ESC meant to leave them would leave the whole list.
bool LumBot::gotoNextTransferable()
{
    while (m_profile->gotoNextActive()) {
        const QString type = m_profile->currentValueType();
        if (ValueType::isTransferable(type))
            return true;
        qDebug() << "valuetype not implemented: " << type;
    }
    return false;
}

int LumBot::countTransferable() const
{
    const QDomElement root = m_profile->document().documentElement();
    return TransferMarks::countTaken(root.firstChildElement());
}

void LumBot::failTransfer(const QString &text)
{
    // The setting being worked on, if the walk had reached one.
    if (m_mode == Upload && !m_targetPath.isEmpty())
        recordTransferred(m_profile ? m_profile->currentValue() : QString(), text);
    reportError(text);
    if (m_mode == Idle || m_mode == Return)
        return;
    // Not an abort: the identification and the paths stay as they are.
    returnToBaseMenu(outcomeTransferFailed);
}

void LumBot::recordTransferred(const QString &value, const QString &error)
{
    m_transferred.append({ m_targetPath, value, error });
    emit settingTransferred();
}
