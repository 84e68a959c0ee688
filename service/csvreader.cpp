#include "csvreader.h"

#include "windows1252.h"

namespace {

const QChar quote = QLatin1Char('"');

bool isUtf8(const QByteArray &bytes)
{
    // Bytes that are not UTF-8 come back changed from the round trip.
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

} // namespace

QString CsvReader::decode(const QByteArray &bytes)
{
    static const QByteArray byteOrderMark("\xEF\xBB\xBF");
    if (bytes.startsWith(byteOrderMark))
        return QString::fromUtf8(bytes.mid(byteOrderMark.size()));
    if (isUtf8(bytes))
        return QString::fromUtf8(bytes);
    return Windows1252::decode(bytes);
}

QChar CsvReader::detectSeparator(const QString &text)
{
    int semicolons = 0;
    int commas = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == quote)
            quoted = !quoted;
        else if (!quoted && (c == QLatin1Char('\n') || c == QLatin1Char('\r')))
            break;
        else if (!quoted && c == QLatin1Char(';'))
            ++semicolons;
        else if (!quoted && c == QLatin1Char(','))
            ++commas;
    }
    return commas > semicolons ? QLatin1Char(',') : QLatin1Char(';');
}

bool CsvReader::parse(const QString &text, QChar separator, QVector<QStringList> *rows,
                      int *unclosedQuoteRow)
{
    rows->clear();
    QStringList row;
    QString cell;
    bool inQuotes = false;
    const int size = int(text.size());
    for (int i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (inQuotes) {
            if (c == quote) {
                if (i + 1 < size && text.at(i + 1) == quote) {
                    cell += quote;
                    ++i;
                } else {
                    inQuotes = false;
                }
            } else {
                cell += c;
            }
            continue;
        }
        if (c == quote) {
            inQuotes = true;
        } else if (c == separator) {
            row.append(cell);
            cell.clear();
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < size && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            row.append(cell);
            cell.clear();
            rows->append(row);
            row.clear();
        } else {
            cell += c;
        }
    }
    if (inQuotes) {
        *unclosedQuoteRow = int(rows->size()) + 1;
        rows->clear();
        return false;
    }
    // The last line may end without a line break.
    if (!cell.isEmpty() || !row.isEmpty())
        rows->append(row << cell);
    return true;
}
