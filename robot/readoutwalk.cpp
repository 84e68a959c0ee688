#include "readoutwalk.h"

#include "devicekeys.h"
#include "deviceprofile.h"
#include "logcategories.h"
#include "menuscreen.h"
#include "valuetype.h"

#include <QDebug>

namespace {

const char keyOk = DeviceKeys::Ok;
const char keyEsc = DeviceKeys::Esc;
const char keyNext = DeviceKeys::Next;

// A name shown this often on one level means the device's list never comes
// round to what the robot is looking for.
const int maxRepeats = 2;
const int maxLevel = 19;

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

const QString errorNoConnection =
        QStringLiteral("Fehler beim Auslesen!\nKeine Verbindung zum Gerät!");
const QString errorRepeated = QStringLiteral("Fehler beim Auslesen!\nVerbindung zum Gerät wurde "
                                             "getrennt oder Menüstruktur ist inkonsistent!");
const QString errorTooDeep = QStringLiteral("Fehler beim Auslesen!\nMehr als 20 Untermenü-Ebenen "
                                            "gefunden oder Menüstruktur ist inkonsistent!");

bool containsAny(const QString &name, const QStringList &parts)
{
    for (const QString &part : parts) {
        if (name.contains(part))
            return true;
    }
    return false;
}

} // namespace

void ReadOutWalk::reset(DeviceProfile *profile)
{
    m_profile = profile;
    m_level = 0;
    m_searchPath.clear();
    m_seenNames.clear();
    m_recorded = 0;
}

RobotAnswer ReadOutWalk::step(const MenuScreen &screen, bool answered)
{
    RobotAnswer answer;
    if (m_level == 0 && screen.secondLine == configurationEntrySecondLine) {
        answer.press(keyOk);
        m_seenNames.clear();
        return answer;
    }

    qCDebug(lumTrace) << "LUMBOT aktueller Cusorpfad:" << m_profile->currentMenuPath();

    if (m_seenNames.count(screen.name) > maxRepeats) {
        answer.fail(errorRepeated);
        return answer;
    }
    m_seenNames.append(screen.name);

    if (m_level > maxLevel) {
        answer.fail(errorTooDeep);
        return answer;
    }

    if (!m_searchPath.isEmpty()) {
        searchWayBack(screen, answer);
        return answer;
    }

    // The device's lists start again at their first entry after the last:
    // an entry already recorded here means the level has been walked.
    if (screen.name.isEmpty() || m_profile->childTexts().contains(screen.name)) {
        // A device that stopped answering shows its old screen again after
        // the link's extra wait; at the top level that must not pass for the
        // end of the menu.
        if (m_level > 0)
            leaveLevel(screen, answer);
        else if (screen.name.isEmpty() || !answered)
            answer.fail(errorNoConnection);
        else
            answer.finish();
        return answer;
    }

    // A setting the device will not open keeps the cursor on the first row.
    if (m_profile->currentTagName() == MenuScreen::Setting && screen.cursorRow == 0) {
        markReadOnly(answer);
        return answer;
    }

    recordEntry(screen, answer);
    return answer;
}

void ReadOutWalk::searchWayBack(const MenuScreen &screen, RobotAnswer &answer)
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
        answer.press(keyNext);
        return;
    }
    if (screen.isSection() && m_searchPath.contains(screen.name)) {
        answer.press(keyOk);
        m_seenNames.clear();
        return;
    }
    answer.press(keyNext);
}

void ReadOutWalk::leaveLevel(const MenuScreen &screen, RobotAnswer &answer)
{
    const bool hasChildren = m_profile->currentHasChildren();
    const bool isSetting = m_profile->currentTagName() == MenuScreen::Setting;
    // Only a setting can hold a list of choices; marking a section would hide
    // its entries from the editor.
    if (isSetting && hasChildren && (screen.isOption() || screen.name.isEmpty()))
        m_profile->setCurrentAttribute(QStringLiteral("valuetype"), typeSelection);
    if (screen.isOption() && !hasChildren)
        m_profile->setCurrentAttribute(QStringLiteral("valuetype"), typeInputNum);

    answer.press(keyEsc);
    m_seenNames.clear();
    m_searchPath = m_profile->currentMenuPath();
    --m_level;
    m_profile->gotoParent();
}

void ReadOutWalk::markReadOnly(RobotAnswer &answer)
{
    m_profile->setCurrentAttribute(QStringLiteral("valuetype"), typeReadOnly);
    answer.press(keyNext);
    --m_level;
    m_profile->gotoParent();
}

void ReadOutWalk::recordEntry(const MenuScreen &screen, RobotAnswer &answer)
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
        ++m_recorded;

    if (screen.isSection()) {
        if (containsAny(name, blockedSections)) {
            m_profile->setCurrentAttribute(QStringLiteral("sectiontype"), typeBlocked);
            passRecorded(answer);
            return;
        }
        openRecorded(answer);
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
            passRecorded(answer);
            return;
        }
        // Opening it shows whether it offers choices, an input line or nothing.
        openRecorded(answer);
        return;
    }

    // Options and information screens are recorded and passed; what an
    // information screen says on its second line ("fällig 2027") is kept.
    if (screen.kind == MenuScreen::Info)
        m_profile->setCurrentAttribute(QStringLiteral("value"), screen.secondLine);
    passRecorded(answer);
}

// The entry just recorded is left closed: back to its level, on to the next.
void ReadOutWalk::passRecorded(RobotAnswer &answer)
{
    m_profile->gotoParent();
    answer.press(keyNext);
}

// The entry just recorded is opened: a section's list or a setting's field.
void ReadOutWalk::openRecorded(RobotAnswer &answer)
{
    answer.press(keyOk);
    ++m_level;
    m_seenNames.clear();
}
