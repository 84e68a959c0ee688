#ifndef WINDOWTESTSETUP_H
#define WINDOWTESTSETUP_H

#include <QObject>
#include <QTemporaryDir>

class QQmlEngine;
class SimulatorProbe;

// Prepares the process for the window's test cases: the application's
// version, a simulated device whose port is offered in the port list, and the
// program's own QML types.
class WindowTestSetup : public QObject
{
    Q_OBJECT

public:
    WindowTestSetup();
    ~WindowTestSetup() override;

public slots:
    void applicationAvailable();
    void qmlEngineAvailable(QQmlEngine *engine);
    void cleanupTestCase();

private:
    SimulatorProbe *m_probe = nullptr;
    QTemporaryDir m_documents; // the service record of the read-outs and transfers
};

#endif // WINDOWTESTSETUP_H
