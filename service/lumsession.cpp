#include "lumsession.h"

#include "deviceprofile.h"
#include "kelhandler.h"
#include "lumbot.h"
#include "servicerecord.h"

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
    delete m_series;
    delete m_record;
    delete m_bot;
    delete m_profile;
    delete m_link;
}
