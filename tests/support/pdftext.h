#ifndef PDFTEXT_H
#define PDFTEXT_H

#include <QString>
#include <QStringList>

// A protocol's PDF read back as text, to check what it says rather than how
// it looks.
namespace PdfText {

// The text of a PDF as pdftotext lays it out, rows of a table on one line.
QString of(const QString &path);
// Whether the text has a row whose cells, in this order, are these.
bool hasRow(const QString &text, const QStringList &cells);

} // namespace PdfText

#endif // PDFTEXT_H
