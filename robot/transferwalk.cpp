#include "transferwalk.h"

#include "confitem.h"
#include "devicekeys.h"
#include "deviceprofile.h"
#include "linktiming.h"
#include "logcategories.h"
#include "menuscreen.h"
#include "transfermarks.h"
#include "valuetype.h"

#include <QDateTime>

#include <algorithm>
#include <QDebug>
#include <QDomElement>

namespace {

const char keyOk = DeviceKeys::Ok;
const char keyEsc = DeviceKeys::Esc;
const char keyNext = DeviceKeys::Next;

// The OK that confirms a value makes the device redraw more than usual; the
// link waits longer for the answer.
const int slowAnswerMs = LinkTiming::SlowAnswerMs;

// A name shown this often on one level means the device's list never comes
// round to what the robot is looking for.
const int maxRepeats = 2;

const QString &typeSelection = ValueType::Selection;
const QString &typeInputNum = ValueType::InputNum;
const QString &typeTime = ValueType::InputTime;
const QString &typeSystemTime = ValueType::SystemTime;
const QString &typeSystemDate = ValueType::SystemDate;

const QString errorEntryNotFound =
        QStringLiteral("Fehler beim Übertragen von: %1\nMenüpunkt konnte auf dem Gerät leider "
                       "nicht gefunden werden!");
const QString errorOptionNotFound =
        QStringLiteral("Fehler beim Übertragen von: %1\nWert \"%2\" konnte auf dem Gerät leider "
                       "nicht gefunden werden!");
const QString errorNotTakenOver = QStringLiteral(
        "Fehler beim Übertragen von: %1\nÜbernommener Wert: %2\nErwarteter Wert: %3");

} // namespace

void TransferWalk::reset(DeviceProfile *profile)
{
    m_profile = profile;
    m_targetPath.clear();
    m_devicePath.clear();
    m_valueEntered = false;
    m_skipVerify = false;
    m_level = 0;
    m_seenNames.clear();
    m_done = 0;
    m_total = 0;
    m_nothingMarked = false;
    m_transferred.clear();
    m_valueBefore.clear();
    m_records.clear();
}

RobotAnswer TransferWalk::step(const MenuScreen &screen)
{
    RobotAnswer answer;
    if (m_targetPath != m_devicePath) {
        walkTowardsTarget(screen, answer);
    } else if (m_targetPath.isEmpty()) {
        m_total = countTransferable();
        chooseMarkedSetting(true, screen, answer);
    } else if (m_valueEntered) {
        verifyValue(screen, answer);
    } else {
        qCDebug(lumRobot) << "reached pending bot path: " << m_targetPath;
        enterValue(screen, answer);
    }
    return answer;
}

void TransferWalk::walkTowardsTarget(const MenuScreen &screen, RobotAnswer &answer)
{
    qCDebug(lumTrace) << "LUMBOT device path:" << m_devicePath << "target path:" << m_targetPath;

    const int depth = m_devicePath.size();
    const bool offTarget = depth != 0
            && (depth > m_targetPath.size() || m_devicePath.last() != m_targetPath.at(depth - 1));
    if (offTarget) {
        answer.press(keyEsc);
        if (m_level > 0)
            --m_level;
        m_devicePath.removeLast();
    }

    // After an ESC the screen still shows the level being left, so its name
    // says nothing about the level above.
    if (!offTarget && m_devicePath.size() < m_targetPath.size()
        && screen.name == m_targetPath.at(m_devicePath.size())) {
        answer.press(keyOk);
        ++m_level;
        m_devicePath.append(screen.name);
        if (m_devicePath.size() == m_targetPath.size())
            m_valueBefore = screen.value; // the setting itself, still closed
        m_seenNames.clear();
        return;
    }

    if (m_seenNames.count(screen.name) > maxRepeats) {
        failTransfer(errorEntryNotFound.arg(targetText()), answer);
        return;
    }
    m_seenNames.append(screen.name);
    answer.press(keyNext);
}

void TransferWalk::enterValue(const MenuScreen &screen, RobotAnswer &answer)
{
    const QString type = m_profile->currentValueType();
    const QString stored = m_profile->currentValue();

    if (type == typeSelection) {
        enterSelection(screen, stored, answer);
        return;
    }

    if (type == typeInputNum) {
        answer.type(stored);
    } else if (type == typeTime) {
        answer.type(QString(stored).remove(QLatin1Char(':')));
    } else if (type == typeSystemTime || type == typeSystemDate) {
        const bool time = type == typeSystemTime;
        const QString now = time ? QTime::currentTime().toString(QStringLiteral("hhmm"))
                                 : QDate::currentDate().toString(QStringLiteral("ddMMyy"));
        qCDebug(lumRobot) << (time ? "set inputsystemtime to: " : "set inputsystemdate to: ") << now;
        answer.type(now);
        // The device shows its clock, not what was keyed in a moment ago.
        m_skipVerify = true;
    } else {
        // Nothing can be keyed in: leave the setting as it is.
        answer.press(keyEsc);
        qCDebug(lumRobot) << "valuetype not implemented: " << type;
        m_valueEntered = true;
        m_skipVerify = true;
        return;
    }
    answer.pressSlow(keyOk, slowAnswerMs);
    m_valueEntered = true;
}

void TransferWalk::enterSelection(const MenuScreen &screen, const QString &wanted,
                                  RobotAnswer &answer)
{
    if (screen.name == wanted) {
        answer.pressSlow(keyOk, slowAnswerMs);
        m_seenNames.clear();
        m_valueEntered = true;
        return;
    }
    if (m_seenNames.count(screen.name) > maxRepeats) {
        failTransfer(errorOptionNotFound.arg(targetText(), wanted), answer);
        return;
    }
    m_seenNames.append(screen.name);
    answer.press(keyNext);
}

void TransferWalk::verifyValue(const MenuScreen &screen, RobotAnswer &answer)
{
    if (m_level > 0)
        --m_level;
    m_devicePath.removeLast();
    m_valueEntered = false;

    const QString stored = m_profile->currentValue();
    if (m_skipVerify) {
        m_skipVerify = false;
    } else if (screen.value != stored) {
        const QString error = errorNotTakenOver.arg(targetText(), screen.value, stored);
        m_records.append({ m_targetPath, m_valueBefore, stored, screen.value,
                           JobResult::NotTakenOver, error });
        m_transferred.append({ m_targetPath, stored, error });
        answer.fail(error);
        return;
    }
    qCDebug(lumRobot) << "SUCCESS when uploading" << m_targetPath << "result:" << screen.value
             << "expected:" << stored;
    m_transferred.append({ m_targetPath, screen.value, QString() });
    m_records.append(
            { m_targetPath, m_valueBefore, stored, screen.value, JobResult::TakenOver, QString() });
    ++m_done;
    chooseMarkedSetting(false, screen, answer);
}

void TransferWalk::chooseMarkedSetting(bool first, const MenuScreen &screen, RobotAnswer &answer)
{
    if (gotoNextTransferable()) {
        m_targetPath = m_profile->currentMenuPath();
        qCDebug(lumRobot) << (first ? "first pending bot path: " : "next pending bot path: ")
                 << m_targetPath;
        walkTowardsTarget(screen, answer);
        return;
    }
    m_nothingMarked = first;
    answer.finish();
}

// Marked settings that cannot be keyed in are passed over: the device would
// not open them, and the ESC meant to leave them would leave the whole list.
bool TransferWalk::gotoNextTransferable()
{
    while (m_profile->gotoNextActive()) {
        const QString type = m_profile->currentValueType();
        if (ValueType::isTransferable(type))
            return true;
        qCDebug(lumRobot) << "valuetype not implemented: " << type;
        m_records.append({ m_profile->currentMenuPath(), QString(), m_profile->currentValue(),
                           QString(), JobResult::PassedOver, JobResult::passedOverReason(type) });
    }
    return false;
}

int TransferWalk::countTransferable() const
{
    const QDomElement root = m_profile->document().documentElement();
    return TransferMarks::countTaken(root.firstChildElement());
}

void TransferWalk::failTransfer(const QString &text, RobotAnswer &answer)
{
    noteFailure(text);
    answer.fail(text);
}

void TransferWalk::noteFailure(const QString &error)
{
    // The setting being worked on, if the walk had reached one.
    if (m_targetPath.isEmpty())
        return;
    const QString stored = m_profile ? m_profile->currentValue() : QString();
    m_transferred.append({ m_targetPath, stored, error });
    m_records.append({ m_targetPath, m_devicePath == m_targetPath ? m_valueBefore : QString(),
                       stored, QString(), JobResult::NotTakenOver, error });
}

QList<JobResult::Setting> TransferWalk::settingRecords() const
{
    QList<JobResult::Setting> settings;
    if (!m_profile)
        return settings;
    QList<JobResult::Setting> records = m_records;
    for (const ConfItem *item : m_profile->items()) {
        if (item->element().isNull())
            continue;
        if (!item->active()) {
            // Left unmarked by a check that found the device holding the value.
            if (item->comparison() == ConfItem::Same && ValueType::isTransferable(item->type()))
                settings.append({ item->menuPath(), item->deviceValue(), item->value(),
                                  item->deviceValue(), JobResult::Unchanged, QString() });
            continue;
        }
        const auto found = std::find_if(records.begin(), records.end(), [&](const auto &record) {
            return record.menuPath == item->menuPath();
        });
        if (found != records.end()) {
            settings.append(*found);
            records.erase(found);
            continue;
        }
        JobResult::Setting notReached;
        notReached.menuPath = item->menuPath();
        notReached.valueWritten = item->value();
        settings.append(notReached);
    }
    return settings;
}

QString TransferWalk::targetText() const
{
    return m_targetPath.join(QLatin1Char('/'));
}
