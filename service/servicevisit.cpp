#include "servicevisit.h"

void ServiceVisit::setDeviceFacts(const DeviceFacts &facts)
{
    m_facts = facts;
}

void ServiceVisit::setSite(const QString &site)
{
    m_site = site;
}

void ServiceVisit::setTechnician(const QString &technician)
{
    m_technician = technician;
}

void ServiceVisit::setTime(const QDateTime &time)
{
    m_time = time;
}

void ServiceVisit::setVisit(const ServiceVisit &visit)
{
    *this = visit;
}

DeviceFacts ServiceVisit::deviceFacts() const
{
    return m_facts;
}

QString ServiceVisit::site() const
{
    return m_site;
}

QString ServiceVisit::technician() const
{
    return m_technician;
}

QDateTime ServiceVisit::time() const
{
    return m_time;
}
