#include "checkwalk.h"

#include "devicekeys.h"
#include "loghandler.h"
#include "menuscreen.h"

#include <QDebug>

namespace {

const char keyOk = DeviceKeys::Ok;
const char keyEsc = DeviceKeys::Esc;
const char keyNext = DeviceKeys::Next;

// A name shown this often on one level means the device's list never comes
// round to what the walk is looking for.
const int maxRepeats = 2;

} // namespace

void CheckWalk::reset(const QList<CheckedSetting> &paths)
{
    m_records = paths;
    for (CheckedSetting &record : m_records) {
        record.deviceValue.clear();
        record.found = false;
        record.reached = false;
    }
    m_next = 0;
    m_devicePath.clear();
    m_seenNames.clear();
}

RobotAnswer CheckWalk::step(const MenuScreen &screen)
{
    RobotAnswer answer;
    // One screen may settle several paths (a setting read, the next one not
    // on this level); a key ends the step.
    while (m_next < m_records.size() && answer.keys().isEmpty()) {
        if (m_devicePath != targetParent()) {
            if (!walkTowardsParent(screen, answer))
                continue;
        } else {
            readTarget(screen, answer);
        }
    }
    if (m_next >= m_records.size() && answer.keys().isEmpty())
        answer.finish();
    return answer;
}

QStringList CheckWalk::targetParent() const
{
    const QStringList &path = m_records.at(m_next).menuPath;
    return path.mid(0, path.size() - 1);
}

// One key towards the section that holds the setting looked for: ESC out of
// a section off its path, OK into the next section on it, + along a list.
// False without a key when the section is not on the device.
bool CheckWalk::walkTowardsParent(const MenuScreen &screen, RobotAnswer &answer)
{
    const QStringList parent = targetParent();
    qCDebug(lumTrace) << "CHECK device path:" << m_devicePath << "section:" << parent;

    const int depth = m_devicePath.size();
    const bool offPath = depth != 0
            && (depth > parent.size() || m_devicePath.last() != parent.at(depth - 1));
    if (offPath) {
        answer.press(keyEsc);
        m_devicePath.removeLast();
        m_seenNames.clear();
    }

    // After an ESC the screen still shows the level being left, so its name
    // says nothing about the level above.
    if (!offPath && depth < parent.size() && screen.name == parent.at(depth)) {
        answer.press(keyOk);
        m_devicePath.append(screen.name);
        m_seenNames.clear();
        return true;
    }

    if (!offPath && m_seenNames.count(screen.name) > maxRepeats) {
        skipSectionNotFound();
        return false;
    }
    if (!offPath)
        m_seenNames.append(screen.name);
    answer.press(keyNext);
    return true;
}

// On the setting's own list: its screen shows the value, read without
// opening it; a list that does not come round to it has no such setting.
void CheckWalk::readTarget(const MenuScreen &screen, RobotAnswer &answer)
{
    const QString name = m_records.at(m_next).menuPath.last();
    if (screen.name == name) {
        recordTarget(true, screen.value);
        return;
    }
    if (m_seenNames.count(screen.name) > maxRepeats) {
        recordTarget(false, QString());
        return;
    }
    m_seenNames.append(screen.name);
    answer.press(keyNext);
}

void CheckWalk::recordTarget(bool found, const QString &value)
{
    CheckedSetting &record = m_records[m_next];
    record.reached = true;
    record.found = found;
    record.deviceValue = value;
    qDebug() << "CHECK" << record.menuPath << (found ? "device shows:" : "not found") << value;
    m_seenNames.clear();
    ++m_next;
}

// A section on the way is not on the device: neither is any setting in it.
void CheckWalk::skipSectionNotFound()
{
    const QStringList missing = targetParent().mid(0, m_devicePath.size() + 1);
    while (m_next < m_records.size() && m_records.at(m_next).menuPath.mid(0, missing.size()) == missing)
        recordTarget(false, QString());
}
