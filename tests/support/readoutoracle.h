#ifndef READOUTORACLE_H
#define READOUTORACLE_H

#include <QDomDocument>

class SimMenu;

// The tree a correct read-out records for a simulated device, taken from the
// menu's own description of its entries (what kind each is, which value it
// holds, which options it offers in which order, which the maker marks as
// not to be touched) rather than from walking screens: a section becomes a
// section element with its entries, a blocked section an empty one marked
// blocked, a setting a setting element whose value type follows from its
// kind, a selection's options follow from the current one in the device's
// order, and the device's own "Programmierung beenden" screen ends the list.
// Menus for read-out tests keep to "A menu a program can read back" in
// sim/menus/README.md; others have no expected tree.
class ReadOutOracle
{
public:
    struct Expectation
    {
        QDomDocument document; // deviceProfile/menuTree as the read-out must build it
        int screens = 0; // a generous count of screens the read-out reads
    };

    static Expectation expect(const SimMenu &menu);
    // Writes the expected read-out as a configuration file; false on failure.
    static bool writeReadOut(const SimMenu &menu, const QString &path);
    // A small device with a section two levels deep and a setting of every
    // kind a transfer writes, for scenarios that need a whole device.
    static QString scenarioMenuText();
};

#endif // READOUTORACLE_H
