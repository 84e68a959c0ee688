#include "fakerig.h"

#include <QFile>

#include "treetext.h"

FakeRig::FakeRig()
{
    bot.setDeviceLink(&link);
    bot.setProfile(&profile);
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
