#include <QCoreApplication>
#include <QTextStream>

#include "lumqmltypes.h"
#include "qmltypeswriter.h"
#include "windowtesttypes.h"

// Writes the type descriptions Qt 6's qmllint reads for the modules the
// documents and their tests import (com.orv.lum and com.orv.lum.test), from
// the same lists that register the types:
//   lumqmltypesdump IMPORTROOT
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    QTextStream err(stderr);
    if (arguments.size() != 2) {
        err << "usage: lumqmltypesdump IMPORTROOT\n";
        return 2;
    }
    QmlTypesWriter program(QString::fromLatin1(lumQmlModule));
    visitLumQmlTypes(program);
    QmlTypesWriter windowTest(QString::fromLatin1(windowTestModule));
    visitWindowTestTypes(windowTest);
    QString error;
    for (const QmlTypesWriter *writer : {&program, &windowTest}) {
        if (!writer->write(arguments.at(1), &error)) {
            err << error << '\n';
            return 1;
        }
    }
    return 0;
}
