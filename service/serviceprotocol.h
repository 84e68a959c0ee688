#ifndef SERVICEPROTOCOL_H
#define SERVICEPROTOCOL_H

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include "servicevisit.h"
#include "transferreport.h"

class DeviceProfile;

// The protocol a technician hands the lift's operator, as a PDF on A4 in
// German: the device and the site, what was found ("Vorgefunden"), what was
// changed with the device's confirmation ("Geändert"), what was left
// ("Hinterlassen"), notes, and a line for the date and the signatures of
// technician and operator; page numbers at the foot of every page.
class ServiceProtocol : public ServiceVisit
{
public:
    enum Kind { TransferProtocol, ReadOutProtocol };

    // One setting with its value; a null value is not known.
    struct Entry
    {
        QStringList menuPath;
        QString value;
    };

    void setKind(Kind kind);
    void setFound(const QList<Entry> &found);
    // A read-out protocol has no changes and leaves what it found.
    void setChanges(const QList<TransferReport::Line> &changes);
    void setLeft(const QList<Entry> &left);
    void addNote(const QString &note);

    // The settings of a configuration in menu order.
    static QList<Entry> entriesOf(const DeviceProfile &profile);
    // The protocol of a transfer from its report; `found` and `left` as known.
    static ServiceProtocol ofTransfer(const TransferReport &report, const QList<Entry> &found,
                                      const QList<Entry> &left);

    // The protocol "as found" of a configuration file read into `profile`:
    // a copy from the history names its device and time in its name, any
    // other file names neither and is dated when it was last written.
    static ServiceProtocol ofCopy(const QString &file, const DeviceProfile &profile);

    // The document as HTML, laid out for A4.
    QString html() const;
    // Writes the PDF whole or not at all; false with the reason in `error`.
    bool writePdf(const QString &path, QString *error) const;

private:
    QString headerHtml() const;
    QString entriesHtml(const QString &title, const QList<Entry> &entries,
                        const QString &none) const;
    QString changesHtml() const;

    Kind m_kind = TransferProtocol;
    QList<Entry> m_found;
    QList<TransferReport::Line> m_changes;
    QList<Entry> m_left;
    QStringList m_notes;
};

#endif // SERVICEPROTOCOL_H
