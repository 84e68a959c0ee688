#ifndef LUMSESSION_H
#define LUMSESSION_H

#include <QObject>

class DeviceProfile;
class KelHandler;
class LumBot;
class ServiceRecord;

// What one window works with, for as long as it is open: the link to the
// device, the configuration on screen, the robot that works the device's menu
// and the record kept of its jobs, wired to one another. The window and its
// components only show these objects and forward the technician's actions to
// them.
class LumSession : public QObject
{
    Q_OBJECT
    Q_PROPERTY(KelHandler *link READ link CONSTANT)
    Q_PROPERTY(DeviceProfile *profile READ profile CONSTANT)
    Q_PROPERTY(LumBot *bot READ bot CONSTANT)
    Q_PROPERTY(ServiceRecord *record READ record CONSTANT)

public:
    explicit LumSession(QObject *parent = nullptr);
    ~LumSession() override;

    KelHandler *link() const { return m_link; }
    DeviceProfile *profile() const { return m_profile; }
    LumBot *bot() const { return m_bot; }
    ServiceRecord *record() const { return m_record; }

private:
    KelHandler *m_link;
    DeviceProfile *m_profile;
    LumBot *m_bot;
    ServiceRecord *m_record;
};

#endif // LUMSESSION_H
