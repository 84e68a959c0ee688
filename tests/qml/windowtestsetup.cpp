#include "windowtestsetup.h"

#include <QGuiApplication>
#include <QLoggingCategory>
#include <QQuickWindow>
#include <QQmlContext>
#include <QQmlEngine>
#include <QtQml>

#include "appidentity.h"
#include "confitem.h"
#include "deviceprofile.h"
#include "kelhandler.h"
#include "lumbot.h"
#include "simulatorprobe.h"
#include "lumqmltypes.h"

WindowTestSetup::WindowTestSetup() = default;

WindowTestSetup::~WindowTestSetup()
{
    delete m_probe;
}

void WindowTestSetup::applicationAvailable()
{
    QCoreApplication::setApplicationVersion(AppIdentity::version());
    QCoreApplication::setOrganizationName(AppIdentity::organizationName());
    QCoreApplication::setOrganizationDomain(QStringLiteral("kestrom.example"));
    // The link's and the robot's byte-by-byte trace would drown the results.
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    // The offscreen platform has no OpenGL; the window draws in software there.
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        QQuickWindow::setSceneGraphBackend(QStringLiteral("software"));
    m_probe = new SimulatorProbe(QStringLiteral(LUM_DEMO_MENU));
    // The window's read-outs and transfers keep their copies and reports
    // here, never in the home folder.
    qputenv("LUM_DOCUMENTS_DIR", m_documents.path().toUtf8());
}

void WindowTestSetup::qmlEngineAvailable(QQmlEngine *engine)
{
    registerLumQmlTypes();
    engine->rootContext()->setContextProperty(QStringLiteral("deviceSim"), m_probe);
}

void WindowTestSetup::cleanupTestCase()
{
    if (m_probe)
        m_probe->stop();
}
