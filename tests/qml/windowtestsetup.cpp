#include <QtQuick>
#include <QtQuickTest>

#include "appidentity.h"
#include "lumqmltypes.h"
#include "windowtesttypes.h"

// Prepares the process for the window's test cases: the application's
// version, a simulated device whose port is offered in the port list, and the
// program's own QML types.
class WindowTestSetup : public QObject
{
    Q_OBJECT

public slots:
    void applicationAvailable()
    {
        QCoreApplication::setApplicationVersion(AppIdentity::version());
        QCoreApplication::setOrganizationName(AppIdentity::organizationName());
        QCoreApplication::setOrganizationDomain(AppIdentity::organizationDomain());
        // The link's and the robot's byte-by-byte trace would drown the results.
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
        // The offscreen platform has no OpenGL; the window draws in software there.
        if (QGuiApplication::platformName() == QLatin1String("offscreen"))
            QQuickWindow::setSceneGraphBackend(QStringLiteral("software"));
        m_probe.reset(new SimulatorProbe(QStringLiteral(LUM_DEMO_MENU)));
        TestTypesRegistrar registrar{m_probe.data()};
        visitWindowTestTypes(registrar);
        // The window's read-outs and transfers keep their copies and reports
        // here, never in the home folder.
        qputenv("LUM_DOCUMENTS_DIR", m_documents.path().toUtf8());
        // Remembered settings (the site and the technician) neither come
        // from nor go to the account's own configuration.
        qputenv("XDG_CONFIG_HOME", QDir(m_documents.path()).filePath(QStringLiteral("config")).toUtf8());
    }

    void qmlEngineAvailable(QQmlEngine *)
    {
        registerLumQmlTypes();
    }

    void cleanupTestCase() { m_probe->stop(); }

private:
    // The one simulated device of the process, the same object in every
    // test file's engine, which never owns it.
    struct TestTypesRegistrar {
        SimulatorProbe *probe;
        template<class T> void singleton(const char *name)
        {
            T *instance = probe;
            qmlRegisterSingletonType<T>(windowTestModule, 1, 0, name,
                                        [instance](QQmlEngine *, QJSEngine *) -> QObject * {
                                            QQmlEngine::setObjectOwnership(instance, QQmlEngine::CppOwnership);
                                            return instance;
                                        });
        }
    };

    QScopedPointer<SimulatorProbe> m_probe;
    QTemporaryDir m_documents; // the service record of the read-outs and transfers
};

QUICK_TEST_MAIN_WITH_SETUP(tst_qmlwindow, WindowTestSetup)
#include "windowtestsetup.moc"
