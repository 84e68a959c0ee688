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
      m_record(new ServiceRecord(this))
{
    // The names the window's tests and the benchmark find them by.
    m_link->setObjectName(QStringLiteral("kelHandler"));
    m_profile->setObjectName(QStringLiteral("deviceProfile"));
    m_bot->setObjectName(QStringLiteral("lumBot"));
    m_record->setObjectName(QStringLiteral("serviceRecord"));

    m_bot->setKelHandler(m_link);
    m_bot->setProfile(m_profile);
    m_record->setBot(m_bot);
}

// The record reads the robot and the robot works the link and the profile:
// each goes before what it uses.
LumSession::~LumSession()
{
    delete m_record;
    delete m_bot;
    delete m_profile;
    delete m_link;
}
