#ifndef READOUTORACLE_H
#define READOUTORACLE_H

#include <QDomDocument>
#include <QDomElement>
#include <QString>
#include <QStringList>
#include <QVector>

class SimMenu;
struct SimMenuNode;

// What a correct read-out must record for a device menu, worked out from the
// menu itself (never from the robot): which screens the device shows, how
// each is read and named at its level, what is entered and what is only
// recorded. The device is described neutrally below (screens and what OK
// does on them); expect(const SimMenu &) describes the simulated device's
// menu that way first.
class ReadOutOracle
{
public:
    // One screen as the device draws it.
    struct Screen {
        QString line1;
        QString line2;
        int cursorRow = 0;
    };

    // One entry of a device list: the screen it shows while the list stands
    // on it, and what OK does there. An entry with `opens` set shows the
    // list `children` after OK, beginning with children[firstShown] (a
    // submenu, the options of a setting, or the one empty input line of a
    // number setting). Without `opens`, OK leaves the screen as it is (a
    // read-only setting, an info screen). After ESC out of the list the
    // device shows this entry again.
    struct Entry {
        Screen screen;
        bool opens = false;
        QVector<Entry> children;
        int firstShown = 0;
    };

    struct Expectation {
        QDomDocument document;  // deviceProfile/menuTree as the read-out must build it
        QString error;          // the error text the read-out must end with, if any
        QStringList doubts;     // why the outcome cannot be predicted (empty: it can)
        int screens = 0;        // screens the walk reads after entering the configuration menu
        bool predictable() const { return doubts.isEmpty(); }
    };

    // `topList` is the device's top list as `+` runs through it; the walk
    // begins on entry `firstShown` (the screen that follows the base menu)
    // and OK on a "konfigurieren?" entry of it shows entry
    // `configurationStart`.
    static Expectation expect(const QVector<Entry> &topList, int firstShown, int configurationStart);
    // The same for the project's simulated device running `menu`: its top
    // list holds "Programmierung beenden", the identification screen and
    // then the configuration menu's entries.
    static Expectation expect(const SimMenu &menu);
    static QVector<Entry> topListOf(const SimMenu &menu);

    // Entry helpers, to describe small menus in tests.
    static Entry section(const QString &line1, const QString &line2, const QVector<Entry> &children);
    static Entry setting(const QString &name, const QString &value);
    static Entry selection(const QString &name, const QString &value, const QStringList &options);
    static Entry numberInput(const QString &name, const QString &value);
    static Entry info(const QString &line1, const QString &line2);

    static const QString &noConnectionError();
    static const QString &inconsistentError();
    static const QString &tooDeepError();

private:
    class Walk;
    static Entry entryOf(const SimMenuNode &node);
};

#endif // READOUTORACLE_H
