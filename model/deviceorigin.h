#ifndef DEVICEORIGIN_H
#define DEVICEORIGIN_H

#include <QDomDocument>
#include <QString>

// The device a configuration belongs to: its identifier as the base menu
// shows it ("ORV-NR4000 V2.31") and its serial number where the device
// shows one. A file keeps them as attributes of its root element (a file
// without them is from an unknown device); a template is a file meant for
// any device of its identifier, so its serial number does not count.
class DeviceOrigin
{
public:
    QString identifier;
    QString serialNumber;
    bool isTemplate = false;

    // The root element's attributes; empty when the file has none.
    static DeviceOrigin of(const QDomDocument &document);
    // Sets (or, when empty, removes) the root element's attributes.
    void writeTo(QDomDocument &document) const;

    bool isKnown() const { return !identifier.trimmed().isEmpty(); }
    // Whether a file from this origin may be written into the `connected`
    // device without asking: a file of unknown origin may; otherwise the
    // identifiers must be equal, and, unless the file is a template or one
    // side has no serial number, the serial numbers too.
    bool fits(const DeviceOrigin &connected) const;
    // Whether fits() needs the connected device's serial number, not known
    // yet, to tell: the file is of one device (no template) and the device
    // on the line is of its type. Read it first, then ask fits().
    bool needsSerialNumberOf(const DeviceOrigin &connected) const;
    // The question before writing into another device, naming both:
    // "Datei von ORV-NR4000 V2.31, Nr. 4711-0815; angeschlossen: ORV-NR4100 V2.48".
    QString mismatchText(const DeviceOrigin &connected) const;

    // "ORV-NR4000 V2.31, Nr. 4711-0815" (without the number when unknown).
    QString description() const;
};

#endif // DEVICEORIGIN_H
