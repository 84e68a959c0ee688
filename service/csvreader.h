#ifndef CSVREADER_H
#define CSVREADER_H

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>
#include <QVector>

// Reads a table as a spreadsheet exports it to CSV: UTF-8 with or without a
// byte order mark, or the Windows code page 1252 that older spreadsheets
// write; ";" (German spreadsheets) or "," between the cells, whichever the
// first line uses; cells in double quotes may hold separators, line breaks
// and doubled quotes. Every record is one row of the table.
class CsvReader
{
public:
    // The text of the file's bytes: UTF-8 when they are valid UTF-8 (a byte
    // order mark is dropped), Windows-1252 otherwise.
    static QString decode(const QByteArray &bytes);
    // The separator of the first line (outside quotes): ";" unless that line
    // has more "," than ";".
    static QChar detectSeparator(const QString &text);
    // The records of `text` with their cells. Blank lines are kept as rows
    // of one empty cell, so that row numbers stay those of the spreadsheet.
    // False when a quote is not closed, with the 1-based number of the row
    // it opens in.
    static bool parse(const QString &text, QChar separator, QVector<QStringList> *rows,
                      int *unclosedQuoteRow);
};

#endif // CSVREADER_H
