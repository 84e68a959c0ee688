#include "serviceprotocol.h"

#include "confitem.h"
#include "deviceprofile.h"
#include "readouthistory.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

namespace {

const QString unknown = QStringLiteral("unbekannt");
const int resolution = 300; // dots per inch of the PDF's page
const qreal marginMm = 15;
const qreal footerMm = 8;

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

QString shownValue(const QString &value)
{
    if (value.isNull())
        return QStringLiteral("<i>%1</i>").arg(unknown);
    return value.isEmpty() ? QStringLiteral("<i>(leer)</i>") : escaped(value);
}

QString row(const QStringList &cells)
{
    QString html = QStringLiteral("<tr>");
    for (const QString &cell : cells)
        html += QStringLiteral("<td>") + cell + QStringLiteral("</td>");
    return html + QStringLiteral("</tr>\n");
}

QString headRow(const QStringList &cells)
{
    QString html = QStringLiteral("<tr>");
    for (const QString &cell : cells)
        html += QStringLiteral("<th align=\"left\">") + escaped(cell) + QStringLiteral("</th>");
    return html + QStringLiteral("</tr>\n");
}

const QString tableStart = QStringLiteral(
        "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"2\" border=\"0\">\n");

} // namespace

void ServiceProtocol::setKind(Kind kind)
{
    m_kind = kind;
}
void ServiceProtocol::setFound(const QList<Entry> &found)
{
    m_found = found;
}
void ServiceProtocol::setChanges(const QList<TransferReport::Line> &changes)
{
    m_changes = changes;
}
void ServiceProtocol::setLeft(const QList<Entry> &left)
{
    m_left = left;
}
void ServiceProtocol::addNote(const QString &note)
{
    m_notes.append(note);
}

QList<ServiceProtocol::Entry> ServiceProtocol::entriesOf(const DeviceProfile &profile)
{
    QList<Entry> entries;
    for (const ConfItem *item : profile.items()) {
        if (item->element().isNull())
            continue;
        const QString value = item->value();
        entries.append({ item->menuPath(), value.isNull() ? QStringLiteral("") : value });
    }
    return entries;
}

ServiceProtocol ServiceProtocol::ofTransfer(const TransferReport &report,
                                            const QList<Entry> &found, const QList<Entry> &left)
{
    ServiceProtocol protocol;
    protocol.setKind(TransferProtocol);
    protocol.setVisit(report);
    protocol.setFound(found);
    protocol.setChanges(report.lines());
    protocol.setLeft(left);
    if (!report.sourceFile().isEmpty())
        protocol.addNote(QStringLiteral("Übertragen aus: %1")
                                 .arg(QDir::toNativeSeparators(report.sourceFile())));
    protocol.addNote(QStringLiteral("Werte vorher: %1")
                             .arg(report.beforeSource().isEmpty()
                                          ? QStringLiteral("wie vom Gerät beim Öffnen gezeigt")
                                          : report.beforeSource()));
    if (!report.stopReason().isEmpty())
        protocol.addNote(QStringLiteral("Übertragung nicht vollständig: %1")
                                 .arg(report.stopReason()));
    return protocol;
}

QString ServiceProtocol::headerHtml() const
{
    const QString title = m_kind == TransferProtocol
            ? QStringLiteral("Protokoll der Übertragung")
            : QStringLiteral("Protokoll des vorgefundenen Zustands");
    QString html = QStringLiteral("<h2>%1</h2>\n").arg(escaped(title)) + tableStart;
    const auto fact = [&html](const QString &name, const QString &value) {
        if (!value.isEmpty())
            html += row({ QStringLiteral("<b>%1</b>").arg(escaped(name)), escaped(value) });
    };
    fact(QStringLiteral("Gerät"), m_facts.identifier.isEmpty() ? unknown : m_facts.identifier);
    fact(QStringLiteral("Seriennummer"),
         m_facts.serialNumber.isEmpty() ? QStringLiteral("nicht gelesen") : m_facts.serialNumber);
    fact(QStringLiteral("IMEI"), m_facts.imei);
    fact(QStringLiteral("Firmware"), m_facts.firmware);
    fact(QStringLiteral("Anlage"), m_site.isEmpty() ? QStringLiteral("—") : m_site);
    fact(QStringLiteral("Techniker"), m_technician.isEmpty() ? QStringLiteral("—") : m_technician);
    fact(QStringLiteral("Datum"), m_time.toString(QStringLiteral("dd.MM.yyyy HH:mm")));
    fact(QStringLiteral("Programm"),
         QStringLiteral("%1 %2").arg(QCoreApplication::applicationName(),
                                     QCoreApplication::applicationVersion()));
    return html + QStringLiteral("</table>\n");
}

QString ServiceProtocol::entriesHtml(const QString &title, const QList<Entry> &entries,
                                     const QString &none) const
{
    QString html = QStringLiteral("<h3>%1</h3>\n").arg(escaped(title));
    if (entries.isEmpty())
        return html + QStringLiteral("<p>%1</p>\n").arg(escaped(none));
    html += tableStart + headRow({ QStringLiteral("Einstellung"), QStringLiteral("Wert") });
    for (const Entry &entry : entries)
        html += row({ escaped(TransferReport::joinedPath(entry.menuPath)),
                      shownValue(entry.value) });
    return html + QStringLiteral("</table>\n");
}

QString ServiceProtocol::changesHtml() const
{
    QString html = QStringLiteral("<h3>Geändert</h3>\n");
    if (m_changes.isEmpty())
        return html + QStringLiteral("<p>Keine Einstellung geändert.</p>\n");
    html += tableStart
            + headRow({ QStringLiteral("Einstellung"), QStringLiteral("vorher"),
                        QStringLiteral("nachher"), QStringLiteral("Gerät") });
    for (const TransferReport::Line &line : m_changes) {
        QString confirmation;
        switch (line.outcome) {
        case TransferReport::Written:
        case TransferReport::Unchanged:
        case TransferReport::PassedOver: // not keyed in: "übergangen: nur lesbar"
            confirmation = TransferReport::outcomeText(line);
            break;
        case TransferReport::Failed:
            confirmation = QStringLiteral("abgelehnt: ") + line.note;
            break;
        case TransferReport::NotReached:
            confirmation = QStringLiteral("nicht erreicht");
            break;
        }
        html += row({ escaped(TransferReport::joinedPath(line.menuPath)), shownValue(line.before),
                      shownValue(line.value), escaped(confirmation) });
    }
    return html + QStringLiteral("</table>\n");
}

QString ServiceProtocol::html() const
{
    QString html = QStringLiteral("<html><body>\n") + headerHtml();
    html += entriesHtml(QStringLiteral("Vorgefunden"), m_found,
                        QStringLiteral("Vorher nicht ausgelesen."));
    if (m_kind == TransferProtocol) {
        html += changesHtml();
        html += entriesHtml(QStringLiteral("Hinterlassen"), m_left,
                            QStringLiteral("Nicht bekannt."));
    }
    html += QStringLiteral("<h3>Bemerkungen</h3>\n");
    for (const QString &note : m_notes)
        html += QStringLiteral("<p>%1</p>\n").arg(escaped(note));
    html += QStringLiteral("<p><br/><br/></p>\n") + tableStart
            + row({ QStringLiteral("Datum: ____________"),
                    QStringLiteral("Unterschrift Techniker: ____________________"),
                    QStringLiteral("Unterschrift Betreiber: ____________________") })
            + QStringLiteral("</table>\n</body></html>\n");
    return html;
}

ServiceProtocol ServiceProtocol::ofCopy(const QString &file, const DeviceProfile &profile)
{
    QString identifier;
    QString serialNumber;
    QDateTime when;
    if (!ReadoutHistory::parseName(file, &identifier, &serialNumber, &when)) {
        identifier.clear();
        serialNumber.clear();
        when = QFileInfo(file).lastModified();
    }
    ServiceProtocol protocol;
    protocol.setKind(ReadOutProtocol);
    DeviceFacts facts = DeviceFacts::read(profile, identifier);
    if (facts.serialNumber.isEmpty())
        facts.serialNumber = serialNumber;
    protocol.setDeviceFacts(facts);
    protocol.setTime(when);
    protocol.setFound(entriesOf(profile));
    protocol.addNote(QStringLiteral("Vorgefunden: %1").arg(QFileInfo(file).fileName()));
    return protocol;
}

bool ServiceProtocol::writePdf(const QString &path, QString *error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("Das Protokoll %1 kann nicht geschrieben werden: %2")
                         .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setResolution(resolution);
        writer.setCreator(QCoreApplication::applicationName());
        writer.setTitle(QStringLiteral("LUM Protokoll ") + m_facts.identifier);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(marginMm, marginMm, marginMm, marginMm),
                                         QPageLayout::Millimeter));

        QTextDocument document;
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(8.5);
        // No ligatures: "fi" in "Alarmfilter" stays two letters when the
        // text is copied out of the PDF or searched.
        font.setStyleStrategy(QFont::PreferNoShaping);
        document.setDefaultFont(font);
        document.setDocumentMargin(0);
        document.setHtml(html());
        // Points to the writer's dots: the document lays out in the page's
        // own units.
        const QRect page = writer.pageLayout().paintRectPixels(resolution);
        const qreal footer = footerMm / 25.4 * resolution;
        document.documentLayout()->setPaintDevice(&writer);
        document.setPageSize(QSizeF(page.width(), page.height() - footer));
        const int pages = document.pageCount();

        QPainter painter(&writer);
        for (int index = 0; index < pages; ++index) {
            if (index > 0)
                writer.newPage();
            const qreal top = index * (page.height() - footer);
            painter.save();
            painter.translate(0, -top);
            QAbstractTextDocumentLayout::PaintContext context;
            context.clip = QRectF(0, top, page.width(), page.height() - footer);
            painter.setClipRect(context.clip);
            document.documentLayout()->draw(&painter, context);
            painter.restore();
            painter.setFont(font);
            painter.drawText(QRectF(0, page.height() - footer, page.width(), footer),
                             Qt::AlignRight | Qt::AlignBottom,
                             QStringLiteral("Seite %1 von %2").arg(index + 1).arg(pages));
        }
        painter.end();
    }
    if (!file.commit()) {
        *error = QStringLiteral("Das Protokoll %1 kann nicht geschrieben werden: %2")
                         .arg(QDir::toNativeSeparators(path), file.errorString());
        return false;
    }
    return true;
}
