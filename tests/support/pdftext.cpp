#include "pdftext.h"

#include <QProcess>
#include <QRegularExpression>

QString PdfText::of(const QString &path)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), { "-layout", "-enc", "UTF-8", path, "-" });
    if (!process.waitForStarted()) {
        qWarning("pdftotext is missing: tools/packages.sh installs poppler-utils");
        return QString();
    }
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool PdfText::hasRow(const QString &text, const QStringList &cells)
{
    QStringList escaped;
    for (const QString &cell : cells)
        escaped << QRegularExpression::escape(cell);
    return QRegularExpression(QStringLiteral("(^|\\n) *") + escaped.join(QStringLiteral(" {2,}"))
                              + QStringLiteral(" *(\\n|$)"))
            .match(text)
            .hasMatch();
}
