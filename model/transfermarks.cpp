#include "transfermarks.h"

#include "valuetype.h"

// Anything that does not read as a non-zero integer (missing, "0", garbage
// from a hand-edited file) leaves a setting alone.
bool TransferMarks::isMarked(const QDomElement &element)
{
    bool ok = false;
    const int mark = element.attribute(QStringLiteral("active")).toInt(&ok, 10);
    return ok && mark != 0;
}

bool TransferMarks::isTaken(const QDomElement &element)
{
    return isMarked(element)
            && ValueType::isTransferable(element.attribute(QStringLiteral("valuetype")));
}

bool TransferMarks::isPassedOver(const QDomElement &element)
{
    return isMarked(element)
            && !ValueType::isTransferable(element.attribute(QStringLiteral("valuetype")));
}

int TransferMarks::countTaken(const QDomElement &parent)
{
    int count = 0;
    for (QDomElement child = parent.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        if (isTaken(child))
            ++count;
        count += countTaken(child);
    }
    return count;
}
