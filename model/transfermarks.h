#ifndef TRANSFERMARKS_H
#define TRANSFERMARKS_H

#include <QDomElement>

// Which settings of a menu tree a transfer takes. A setting is marked when
// its `active` attribute reads as a non-zero decimal number; a marked setting
// is taken when its value type can be keyed into the device, and passed over
// otherwise (the device does not open read-only or blocked settings).
class TransferMarks
{
public:
    static bool isMarked(const QDomElement &element);
    static bool isTaken(const QDomElement &element);
    static bool isPassedOver(const QDomElement &element);
    // The settings below `parent` that a transfer takes.
    static int countTaken(const QDomElement &parent);
};

#endif // TRANSFERMARKS_H
