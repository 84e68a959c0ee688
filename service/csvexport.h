#ifndef CSVEXPORT_H
#define CSVEXPORT_H

#include <QByteArray>
#include <QString>

class DeviceProfile;

// A configuration for the customer's spreadsheet: one row per setting,
// "Pfad;Wert;Typ", separated by ";" in UTF-8 with a byte-order mark (so that
// a spreadsheet takes the umlauts right). Every value stays the text the
// device shows: a phone number with a leading 0 or "+", a PIN, a code.
class CsvExport
{
public:
    // One cell as written: a text a spreadsheet would take as a formula
    // (starting with "=", "+", "-" or "@") or turn into a number, date or
    // time (starting with a digit), or that starts with a tab or line end,
    // gets a leading tab, which keeps it text; a cell holding ";", a double
    // quote, a line end or that leading tab is quoted, quotes doubled.
    static QString cell(const QString &text);
    // The whole file, byte-order mark first, lines ended by CR LF.
    static QByteArray csv(const DeviceProfile &profile);
    // Writes csv() into `path`, whole or not at all; false with the reason,
    // in German, in `error`.
    static bool write(const QString &path, const DeviceProfile &profile, QString *error);
};

#endif // CSVEXPORT_H
