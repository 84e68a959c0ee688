#ifndef SERVICEVISIT_H
#define SERVICEVISIT_H

#include <QDateTime>
#include <QString>

#include "devicefacts.h"

// What every service document of a job names first: the device (identifier,
// serial number, IMEI and firmware where known), the site, the technician
// and the time. The transfer report and the protocol both begin with it.
class ServiceVisit
{
public:
    // The identifier and what else names the device; empty facts are left out.
    void setDeviceFacts(const DeviceFacts &facts);
    void setSite(const QString &site);
    void setTechnician(const QString &technician);
    void setTime(const QDateTime &time);
    // Device, site, technician and time of another document of the same job.
    void setVisit(const ServiceVisit &visit);

    DeviceFacts deviceFacts() const;
    QString site() const;
    QString technician() const;
    QDateTime time() const;

protected:
    DeviceFacts m_facts;
    QString m_site;
    QString m_technician;
    QDateTime m_time;
};

#endif // SERVICEVISIT_H
