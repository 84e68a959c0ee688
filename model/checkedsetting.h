#ifndef CHECKEDSETTING_H
#define CHECKEDSETTING_H

#include <QString>
#include <QStringList>

// What a check of the device found for one setting of a file: the value its
// list screen shows, or that the device has no such entry. The check walk
// records these; the profile compares them with its own values.
struct CheckedSetting
{
    QStringList menuPath;
    QString fileValue; // the value the file holds for it
    QString deviceValue; // as the device's list shows it; empty when not found
    bool found = false;
    bool reached = false; // the check came this far (false: it ended before)
};

#endif // CHECKEDSETTING_H
