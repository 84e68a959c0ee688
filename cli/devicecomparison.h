#ifndef DEVICECOMPARISON_H
#define DEVICECOMPARISON_H

#include <QByteArray>
#include <QStringList>

class DeviceProfile;
class DeviceOrigin;

// What "lumctl compare" says about a profile a check has compared with the
// device: one line per editable setting whose value differs
//   ~ PFAD: "Wert in der Datei" -> "Wert im Gerät"
// and per setting the device does not have
//   - PFAD: nicht im Gerät
// or the same as one JSON object for scripts.
class DeviceComparison
{
public:
    static QStringList lines(const DeviceProfile &profile);
    static QByteArray json(const DeviceProfile &profile, const DeviceOrigin &device);
    // The settings a check found holding the file's value (editable ones).
    static int sameCount(const DeviceProfile &profile);
};

#endif // DEVICECOMPARISON_H
