#ifndef DEVICESIMULATOR_H
#define DEVICESIMULATOR_H

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

// A lift emergency-call device as seen through its programming port: it opens
// a pseudo-terminal, reads key bytes from it and answers with display bytes,
// running a menu described by a menu file. It can misbehave on purpose.
//
// (Contract for the rest of the project; the implementation may add to it.)
class SimMenu;

class DeviceSimulator : public QObject
{
    Q_OBJECT

public:
    // One key as the simulator saw it, for tests and benchmarks.
    struct KeyRecord
    {
        char key = 0;
        qint64 receivedMs =
                0; // monotonic ms when the key arrived (QElapsedTimer::msecsSinceReference())
        qint64 lastAnswerByteMs =
                -1; // when the last byte of the answer before this key went out (-1: none)
    };

    explicit DeviceSimulator(QObject *parent = nullptr);
    ~DeviceSimulator() override;

    // The menu: a menu file (see sim/menus/README.md) or its text.
    bool loadMenuFile(const QString &path, QString *error = nullptr);
    bool loadMenuText(const QString &text, QString *error = nullptr);
    // The demo menu built into the simulator (loaded by the constructor).
    static QString demoMenuPath();
    // The menu as parsed, with the values as they stand now.
    const SimMenu &menu() const;

    // Gives the device another serial number: the value of its read-only
    // setting "Seriennummer" (wherever the menu has it), so that several
    // simulated devices of one menu are told apart. Call it before start();
    // false when the menu has no such setting.
    bool setSerialNumber(const QString &serialNumber);

    // Opens the pseudo-terminal and publishes a stable symlink to its slave.
    // Call setLinkPath() before to choose the symlink's path; by default it
    // lies in a private temporary folder. A device whose line was dropped can
    // be started again: it keeps its menu state and its records.
    bool start(QString *error = nullptr);
    void setLinkPath(const QString &path);
    // Drops the line: closes the pseudo-terminal and removes the symlink.
    void stop();
    bool isRunning() const;
    bool isPeerConnected() const; // a program holds the port open
    QString portPath() const; // the symlink, e.g. /tmp/lum-devsim-XXXXXX/ttyLUM
    QString slavePath() const; // the /dev/pts/N behind it

    // Misbehaviour, all off by default.
    void setAnswerDelay(int ms); // wait before the first byte of every answer
    // Key counts run from start-up or the last clearRecords().
    void setSilentAfterKeys(int keys); // answer no key after this many keys (-1: off)
    void setDropAfterKeys(
            int keys); // close the line after this many keys, once their answers are out (-1: off)
    void setPaced(bool on); // send at real 9600-baud speed (~1.04 ms a byte)
    void setByteGap(int ms); // send answers byte by byte with this gap (0: off)
    void setNoise(int intervalMs,
                  const QByteArray &bytes); // send bytes of its own every interval (0: off)
    // A value confirmed for the setting at this path is stored as `stored`
    // instead (e.g. "05" becomes "5"); an empty path applies to every input value
    // given as `from`.
    void setValueAlteration(const QStringList &path, const QString &from, const QString &stored);
    void clearValueAlterations();
    // The selection at `path` no longer offers `option` (fewer options than
    // a configuration read out earlier expects).
    void hideOption(const QStringList &path, const QString &option);
    // ESC on the base menu keeps changing the screen, so the base menu never
    // settles.
    void setRestlessBaseMenu(bool on);
    // Every key and the screen it led to go to the debug output (qInfo).
    void setLogging(bool on);
    void sendRaw(const QByteArray &bytes); // bytes of its own, now

    // State, for tests.
    // Paths are the entry names a correct read-out records
    // (SimMenuNode::recordedName), outermost first.
    QString value(const QStringList &path)
            const; // current value of the setting at the menu path (null: no such setting)
    QString keyedInput(const QStringList &path)
            const; // characters last confirmed in its input field (null: none)
    QStringList currentPath() const; // where the device stands (empty on its two special screens)
    QStringList screen() const; // the two display lines as last drawn
    bool cursorOnSecondRow() const;
    int keyCount() const;
    QByteArray receivedKeys() const;
    QVector<KeyRecord> keyRecords() const;
    qint64 lastAnswerByteMs() const; // when the last answer's last byte went out (-1: none yet)
    // The longest the line stayed quiet between two bytes of one answer sent
    // in pieces (byte gap or line speed): a busy machine can hold the
    // simulator up beyond the gap it was given.
    int longestGapInAnswerMs() const;
    void clearRecords();

signals:
    void keyReceived(char key);
    void lineDropped();

private:
    class Private;
    Private *d;
};

#endif // DEVICESIMULATOR_H
