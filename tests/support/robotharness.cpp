#include "robotharness.h"

#include <QTemporaryDir>

#include "readoutoracle.h"
#include "treetext.h"

RobotHarness::RobotHarness(QObject *parent) : QObject(parent)
{
    m_bot.setKelHandler(&m_link);
    m_bot.setProfile(&m_profile);
}

RobotHarness::~RobotHarness()
{
    m_bot.abort();
    m_link.closeSerialPort();
    m_device.stop();
}

bool RobotHarness::startDevice(QString *error)
{
    if (m_device.start(error) && m_link.openSerialPortByName(m_device.portPath()))
        return true;
    if (error && error->isEmpty())
        *error = QStringLiteral("cannot open %1: %2")
                         .arg(m_device.portPath(), m_link.lastErrorString());
    return false;
}

ConfItem *RobotHarness::item(const QStringList &path) const
{
    const QList<ConfItem *> items = m_profile.items();
    const auto found = std::find_if(items.cbegin(), items.cend(), [&](ConfItem *candidate) {
        return candidate->menuPath() == path;
    });
    return found == items.cend() ? nullptr : *found;
}

bool RobotHarness::loadReadOut()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("readout.lumc"));
    return dir.isValid() && ReadOutOracle::writeReadOut(m_device.menu(), path)
            && m_profile.load(path);
}

bool RobotHarness::atBaseMenu(const DeviceSimulator &device)
{
    const QStringList lines = device.screen();
    return device.currentPath().isEmpty() && !device.cursorOnSecondRow()
            && lines.value(0).trimmed() == QLatin1String("Programmierung")
            && lines.value(1).trimmed() == QLatin1String("beenden?");
}

QString RobotHarness::deviceState(const DeviceSimulator &device)
{
    return TreeText::canonical(TreeText::menuTreeOf(ReadOutOracle::expect(device.menu()).document));
}
