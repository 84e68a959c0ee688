// lumctl's commands for the customer's record: the protocol of a copy from
// the history, and the export for a spreadsheet.

#include "lumctl.h"

#include "console.h"
#include "csvexport.h"
#include "deviceprofile.h"
#include "serviceprotocol.h"

#include <QCommandLineParser>

namespace {

const QCommandLineOption protocolOption(QStringLiteral("protocol"), QString(),
                                        QStringLiteral("DATEI"));
const QCommandLineOption siteOption(QStringLiteral("site"), QString(), QStringLiteral("S"));
const QCommandLineOption technicianOption(QStringLiteral("technician"), QString(),
                                          QStringLiteral("T"));
const QCommandLineOption csvOption(QStringLiteral("csv"));
const QCommandLineOption exportOutputOption(QStringList{ QStringLiteral("o"),
                                                         QStringLiteral("output") },
                                            QString(), QStringLiteral("DATEI"));

} // namespace

int Lumctl::runProtocol(const QStringList &arguments)
{
    const QString command = QStringLiteral("protocol");
    QCommandLineParser parser;
    parser.addOption(protocolOption);
    parser.addOption(siteOption);
    parser.addOption(technicianOption);
    int status = Success;
    if (!parse(parser, command, arguments, 1, 1, &status))
        return status;
    if (parser.value(protocolOption).isEmpty())
        return usageError(command, QStringLiteral("--protocol fehlt"));
    const QString file = parser.positionalArguments().first();
    DeviceProfile profile;
    status = loadConfiguration(file, profile);
    if (status != Success)
        return status;

    ServiceProtocol protocol = ServiceProtocol::ofCopy(file, profile);
    protocol.setSite(parser.value(siteOption));
    protocol.setTechnician(parser.value(technicianOption));
    QString error;
    if (!protocol.writePdf(parser.value(protocolOption), &error)) {
        Console::err(error);
        return UsageError;
    }
    Console::out(QStringLiteral("Protokoll: ") + parser.value(protocolOption));
    return Success;
}

int Lumctl::runExport(const QStringList &arguments)
{
    const QString command = QStringLiteral("export");
    QCommandLineParser parser;
    parser.addOption(csvOption);
    parser.addOption(exportOutputOption);
    int status = Success;
    if (!parse(parser, command, arguments, 1, 1, &status))
        return status;
    if (!parser.isSet(csvOption))
        return usageError(command, QStringLiteral("--csv fehlt (das einzige Format)"));
    DeviceProfile profile;
    status = loadConfiguration(parser.positionalArguments().first(), profile);
    if (status != Success)
        return status;
    const QByteArray csv = CsvExport::csv(profile);
    if (!parser.isSet(exportOutputOption)) {
        Console::outRaw(csv);
        return Success;
    }
    QString error;
    if (!CsvExport::write(parser.value(exportOutputOption), profile, &error)) {
        Console::err(error);
        return UsageError;
    }
    return Success;
}
