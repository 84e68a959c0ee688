#include "fakerig.h"

#include <QFile>

#include "treetext.h"

FakeRig::FakeRig()
{
    bot.setDeviceLink(&link);
    bot.setProfile(&profile);
}

void FakeRig::playEvents(const QString &events)
{
    for (const QString &step : events.split(QStringLiteral(", "), Qt::SkipEmptyParts)) {
        link.run(step.section(QLatin1Char(' '), 1).toInt());
        if (step.startsWith(QLatin1String("abort")))
            bot.abort();
        else
            link.setReady(false, QStringLiteral("Schreibfehler"));
    }
    link.run();
}

bool FakeRig::loadProfile(const QString &menuTreeXml)
{
    QFile file(dir.filePath(QStringLiteral("profile.lumc")));
    const QByteArray xml = "<deviceProfile version=\"1.0\"><menuTree>" + menuTreeXml.toUtf8()
            + "</menuTree></deviceProfile>";
    return file.open(QIODevice::WriteOnly) && file.write(xml) == xml.size()
            && (file.close(), profile.load(file.fileName()));
}

QString FakeRig::tree() const
{
    return TreeText::compact(TreeText::menuTreeOf(profile.document()));
}
