#ifndef MENUGENERATOR_H
#define MENUGENERATOR_H

#include <QString>

// Makes varied, plausible menu files for the device simulator from a seed:
// up to four levels, every kind of entry and value type, the special screens
// ("SIM-Entsperren?", 'ALARM n:' over 'VERWENDET LSPn'/'VERWENDET MICn',
// "<KEIN EINTRAG!>", blocked sections and settings, "Uhrzeit", "Datum",
// "Timerzeit ..."), the same names on different levels, and sections that
// hold a setting of their own name. Roughly 20 to 60 entries.
//
// Every menu made is one that a program walking the device by its screens
// can read back: within one list the names as the screens show them are
// distinct, the options of a selection are distinct and not empty, every
// section holds entries, and no section holds a section of its own name
// (after ESC the device shows the section that was left, and a reader could
// not tell it from the section around it).
class MenuGenerator
{
public:
    static QString generate(quint32 seed);
};

#endif // MENUGENERATOR_H
