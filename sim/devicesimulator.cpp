#include "devicesimulator.h"

#include "simdevice.h"
#include "simmenu.h"
#include "simpseudoterminal.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QList>
#include <QTimer>

#include <chrono>

static void initSimulatorResources()
{
    Q_INIT_RESOURCE(simmenus);
}

namespace {

// One byte on a 9600-baud line with start and stop bit: 10 bits.
const qint64 ByteTimeUs = 1042;
const int RetryWriteMs = 5;
// A dropped line goes this long after the last answer has left, so that the
// program on the line has read it before the hangup discards what is unread.
const int DropAfterAnswerMs = 150;

qint64 monotonicMs()
{
    QElapsedTimer clock;
    clock.start();
    return clock.msecsSinceReference();
}

qint64 monotonicUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
}

QByteArray drawScreen(const SimDevice::Screen &screen)
{
    QByteArray bytes;
    bytes.append('\x0c');
    bytes.append(screen.line1.left(32).toLatin1());
    bytes.append("\r\n");
    bytes.append(screen.line2.left(32).toLatin1());
    // Ordinary screens put the cursor back home; an opened setting keeps it
    // behind the text on the second row, where the next character goes.
    if (!screen.cursorOnSecondRow)
        bytes.append('\x11');
    return bytes;
}

} // namespace

class DeviceSimulator::Private
{
public:
    struct Chunk
    {
        QByteArray bytes;
        qint64 dueMs = 0;
        bool isAnswer = false;
    };

    explicit Private(DeviceSimulator *q) : q(q) { }

    void handleBytes(const QByteArray &bytes);
    void handleKey(char key, qint64 nowMs);
    void enqueue(const QByteArray &bytes, qint64 dueMs, bool isAnswer);
    void pumpOutput();
    int bytesToSendNow(const Chunk &chunk, int *waitMs);
    void checkDrop();
    void dropLine();

    DeviceSimulator *q;
    SimDevice device;
    SimPseudoTerminal terminal;
    QString requestedLink;

    int answerDelayMs = 0;
    int silentAfterKeys = -1;
    int dropAfterKeys = -1;
    bool paced = false;
    int byteGapMs = 0;
    QByteArray noiseBytes;
    QTimer noiseTimer;
    bool logging = false;

    QList<Chunk> queue;
    QTimer pumpTimer;
    qint64 nextByteDueUs = 0;
    bool dropPending = false;

    int keyCount = 0;
    QByteArray receivedKeys;
    QVector<KeyRecord> records;
    qint64 lastAnswerByteMs = -1;
    qint64 lastPieceUs = -1; // when the last piece of an unfinished answer went out
    qint64 longestGapInAnswerUs = 0;
};

void DeviceSimulator::Private::handleBytes(const QByteArray &bytes)
{
    const qint64 now = monotonicMs();
    for (const char key : bytes) {
        if (!terminal.isOpen())
            break;
        handleKey(key, now);
    }
}

void DeviceSimulator::Private::handleKey(char key, qint64 nowMs)
{
    ++keyCount;
    receivedKeys.append(key);
    records.append({ key, nowMs, lastAnswerByteMs });
    emit q->keyReceived(key);
    const bool dropping = dropAfterKeys >= 0 && keyCount > dropAfterKeys;
    if (dropping || (silentAfterKeys >= 0 && keyCount > silentAfterKeys)) {
        if (logging)
            qInfo().noquote() << "Taste" << int(uchar(key)) << "(keine Antwort)";
        checkDrop();
        return;
    }
    const SimDevice::Screen shown = device.pressKey(key);
    if (logging)
        qInfo().noquote() << "Taste" << int(uchar(key)) << "->" << shown.line1 << "|"
                          << shown.line2;
    enqueue(drawScreen(shown), nowMs + answerDelayMs, true);
    checkDrop();
}

void DeviceSimulator::Private::enqueue(const QByteArray &bytes, qint64 dueMs, bool isAnswer)
{
    if (bytes.isEmpty())
        return;
    if (queue.isEmpty())
        nextByteDueUs = qMax(nextByteDueUs, monotonicUs());
    queue.append({ bytes, dueMs, isAnswer });
    if (!pumpTimer.isActive())
        pumpTimer.start(0);
}

int DeviceSimulator::Private::bytesToSendNow(const Chunk &chunk, int *waitMs)
{
    if (!paced && byteGapMs <= 0)
        return chunk.bytes.size();
    const qint64 nowUs = monotonicUs();
    if (nowUs < nextByteDueUs) {
        *waitMs = int((nextByteDueUs - nowUs + 999) / 1000);
        return 0;
    }
    if (byteGapMs > 0) {
        nextByteDueUs = nowUs + qMax<qint64>(byteGapMs * 1000, paced ? ByteTimeUs : 0);
        return 1;
    }
    // At line speed a late timer is made up by sending the bytes that are
    // due by now, so that the average stays at one byte per byte time.
    const int due = int(1 + (nowUs - nextByteDueUs) / ByteTimeUs);
    const int count = qMin(due, chunk.bytes.size());
    nextByteDueUs += count * ByteTimeUs;
    return count;
}

void DeviceSimulator::Private::pumpOutput()
{
    while (!queue.isEmpty()) {
        if (!terminal.isOpen()) {
            queue.clear();
            break;
        }
        Chunk &chunk = queue.first();
        const qint64 now = monotonicMs();
        if (chunk.dueMs > now) {
            pumpTimer.start(int(chunk.dueMs - now));
            return;
        }
        int waitMs = 0;
        const int count = bytesToSendNow(chunk, &waitMs);
        if (count == 0) {
            pumpTimer.start(qMax(1, waitMs));
            return;
        }
        const qint64 written = terminal.write(chunk.bytes.left(count));
        if (written < 0) {
            queue.removeFirst();
            continue;
        }
        if (written == 0) {
            pumpTimer.start(RetryWriteMs);
            return;
        }
        chunk.bytes.remove(0, int(written));
        const qint64 nowUs = monotonicUs();
        if (lastPieceUs >= 0)
            longestGapInAnswerUs = qMax(longestGapInAnswerUs, nowUs - lastPieceUs);
        lastPieceUs = chunk.bytes.isEmpty() ? -1 : nowUs;
        if (chunk.bytes.isEmpty()) {
            if (chunk.isAnswer)
                lastAnswerByteMs = monotonicMs();
            queue.removeFirst();
        }
    }
    checkDrop();
}

void DeviceSimulator::Private::checkDrop()
{
    if (dropAfterKeys < 0 || keyCount < dropAfterKeys || !terminal.isOpen())
        return;
    // The answer to the last key still goes out before the line drops.
    if (!queue.isEmpty())
        return;
    if (!dropPending) {
        dropPending = true;
        QTimer::singleShot(DropAfterAnswerMs, q, [this] { dropLine(); });
    }
}

void DeviceSimulator::Private::dropLine()
{
    dropPending = false;
    if (!terminal.isOpen())
        return;
    if (logging)
        qInfo().noquote() << "Leitung wird nach" << keyCount << "Tasten getrennt";
    q->stop();
}

DeviceSimulator::DeviceSimulator(QObject *parent) : QObject(parent), d(new Private(this))
{
    initSimulatorResources();
    d->pumpTimer.setSingleShot(true);
    d->pumpTimer.setTimerType(Qt::PreciseTimer);
    connect(&d->pumpTimer, &QTimer::timeout, this, [this] { d->pumpOutput(); });
    connect(&d->noiseTimer, &QTimer::timeout, this, [this] { sendRaw(d->noiseBytes); });
    connect(&d->terminal, &SimPseudoTerminal::bytesReceived, this,
            [this](const QByteArray &bytes) { d->handleBytes(bytes); });
    connect(&d->terminal, &SimPseudoTerminal::peerConnected, this, [this] {
        if (d->logging)
            qInfo().noquote() << "Gegenstelle verbunden";
    });
    connect(&d->terminal, &SimPseudoTerminal::peerDisconnected, this, [this] {
        if (d->logging)
            qInfo().noquote() << "Gegenstelle getrennt";
    });
    loadMenuFile(demoMenuPath());
}

DeviceSimulator::~DeviceSimulator()
{
    d->terminal.close();
    delete d;
}

QString DeviceSimulator::demoMenuPath()
{
    return QStringLiteral(":/lumsim/demo.menu");
}

bool DeviceSimulator::loadMenuFile(const QString &path, QString *error)
{
    SimMenu menu;
    if (!menu.load(path, error))
        return false;
    d->device.setMenu(menu);
    return true;
}

bool DeviceSimulator::loadMenuText(const QString &text, QString *error)
{
    SimMenu menu;
    if (!menu.parse(text, error))
        return false;
    d->device.setMenu(menu);
    return true;
}

namespace {

int setReadOnlyValue(QVector<SimMenuNode> *entries, const QString &name, const QString &value)
{
    int changed = 0;
    for (SimMenuNode &node : *entries) {
        if (node.isSetting() && node.valueType == SimMenuNode::ReadOnly && node.name == name) {
            node.value = value;
            ++changed;
        }
        changed += setReadOnlyValue(&node.children, name, value);
    }
    return changed;
}

} // namespace

bool DeviceSimulator::setSerialNumber(const QString &serialNumber)
{
    SimMenu menu = d->device.menu();
    if (setReadOnlyValue(&menu.entries, QStringLiteral("Seriennummer"), serialNumber) == 0)
        return false;
    d->device.setMenu(menu);
    return true;
}

const SimMenu &DeviceSimulator::menu() const
{
    return d->device.menu();
}

bool DeviceSimulator::start(QString *error)
{
    QString message;
    if (!d->terminal.open(d->requestedLink, &message)) {
        if (error)
            *error = message;
        return false;
    }
    d->nextByteDueUs = 0;
    return true;
}

void DeviceSimulator::stop()
{
    const bool wasRunning = d->terminal.isOpen();
    d->terminal.close();
    d->queue.clear();
    d->pumpTimer.stop();
    if (wasRunning)
        emit lineDropped();
}

bool DeviceSimulator::isRunning() const
{
    return d->terminal.isOpen();
}

bool DeviceSimulator::isPeerConnected() const
{
    return d->terminal.isPeerConnected();
}

QString DeviceSimulator::portPath() const
{
    return d->terminal.linkPath();
}

QString DeviceSimulator::slavePath() const
{
    return d->terminal.isOpen() ? d->terminal.slavePath() : QString();
}

void DeviceSimulator::setLinkPath(const QString &path)
{
    d->requestedLink = path;
}

void DeviceSimulator::setAnswerDelay(int ms)
{
    d->answerDelayMs = qMax(0, ms);
}

void DeviceSimulator::setSilentAfterKeys(int keys)
{
    d->silentAfterKeys = keys;
}

void DeviceSimulator::setDropAfterKeys(int keys)
{
    d->dropAfterKeys = keys;
    d->checkDrop();
}

void DeviceSimulator::setPaced(bool on)
{
    d->paced = on;
}

void DeviceSimulator::setByteGap(int ms)
{
    d->byteGapMs = qMax(0, ms);
}

void DeviceSimulator::setNoise(int intervalMs, const QByteArray &bytes)
{
    d->noiseBytes = bytes;
    if (intervalMs > 0 && !bytes.isEmpty())
        d->noiseTimer.start(intervalMs);
    else
        d->noiseTimer.stop();
}

void DeviceSimulator::setValueAlteration(const QStringList &path, const QString &from,
                                         const QString &stored)
{
    d->device.addValueAlteration(path, from, stored);
}

void DeviceSimulator::clearValueAlterations()
{
    d->device.clearValueAlterations();
}

void DeviceSimulator::hideOption(const QStringList &path, const QString &option)
{
    d->device.hideOption(path, option);
}

void DeviceSimulator::setRestlessBaseMenu(bool on)
{
    d->device.setRestlessBaseMenu(on);
}

void DeviceSimulator::setLogging(bool on)
{
    d->logging = on;
}

void DeviceSimulator::sendRaw(const QByteArray &bytes)
{
    if (d->terminal.isOpen())
        d->enqueue(bytes, monotonicMs(), false);
}

QString DeviceSimulator::value(const QStringList &path) const
{
    return d->device.value(path);
}

QString DeviceSimulator::keyedInput(const QStringList &path) const
{
    return d->device.keyedInput(path);
}

QStringList DeviceSimulator::currentPath() const
{
    return d->device.currentPath();
}

QStringList DeviceSimulator::screen() const
{
    const SimDevice::Screen shown = d->device.screen();
    return { shown.line1, shown.line2 };
}

bool DeviceSimulator::cursorOnSecondRow() const
{
    return d->device.screen().cursorOnSecondRow;
}

int DeviceSimulator::longestGapInAnswerMs() const
{
    return int(d->longestGapInAnswerUs / 1000);
}

int DeviceSimulator::keyCount() const
{
    return d->keyCount;
}

QByteArray DeviceSimulator::receivedKeys() const
{
    return d->receivedKeys;
}

QVector<DeviceSimulator::KeyRecord> DeviceSimulator::keyRecords() const
{
    return d->records;
}

qint64 DeviceSimulator::lastAnswerByteMs() const
{
    return d->lastAnswerByteMs;
}

void DeviceSimulator::clearRecords()
{
    d->keyCount = 0;
    d->receivedKeys.clear();
    d->records.clear();
}
