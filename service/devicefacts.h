#ifndef DEVICEFACTS_H
#define DEVICEFACTS_H

#include <QString>

class DeviceProfile;

// What names one device, as far as its read-out shows it: the identifier of
// its type and software ("ORV-NR4000 V2.31"), and where the menu shows them
// the serial number, the IMEI of its modem and the firmware. Two lifts of one
// type share the identifier; only the serial number tells them apart.
struct DeviceFacts
{
    QString identifier;
    QString serialNumber; // empty: the read-out showed none
    QString imei;
    QString firmware;

    // The facts of a read-out: the settings (or info lines) named
    // "Seriennummer", "IMEI" and "Firmware" wherever the menu has them.
    static DeviceFacts read(const DeviceProfile &profile, const QString &identifier);
    // True when the menu of this configuration has a serial number at all.
    static bool showsSerialNumber(const DeviceProfile &profile);

    // The key under which what is known of this device is kept: the serial
    // number where the device shows one, else the identifier.
    QString recordKey() const;
};

#endif // DEVICEFACTS_H
