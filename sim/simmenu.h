#ifndef SIMMENU_H
#define SIMMENU_H

#include <QString>
#include <QStringList>
#include <QVector>

// One entry of a simulated device's configuration menu, as the menu file
// describes it. Plain data: tests read the whole tree to know what a program
// that walks the device's menu must find.
//
//   kind       Section (opens a list of children), Setting (has a value),
//              Info (a screen that cannot be opened).
//   valueType  for settings only: how the device edits the value when the
//              setting is opened with OK (see ValueType).
//   name       the entry's name as written in the menu file.
//   line1/2    the screen the device draws for the entry while it is not
//              opened. For a setting line2 is its value, or "<KEIN EINTRAG!>"
//              when the value is empty; screenLine1()/screenLine2() give the
//              lines as drawn now.
//   recordedName  the name a correct read-out records for this entry, as
//              the menu file states it: the entry's name, or its `reads:`
//              attribute where the device's screen names it otherwise. The
//              simulator never works it out from the screen: the menu says
//              what a reader must find, so a misreading shows.
//   value      current value of a setting ("" = empty); for Time and Clock
//              "hh:mm", for Date "dd.MM.yy".
//   options    the choices of a Selection, in the order the device offers
//              them after the current value.
//   children   the entries of a Section, in list order.
//   blocked    the maker's warning for a section that must not be opened or
//              a setting that must not be changed by a program walking the
//              menu ("" for ordinary entries); the device itself treats
//              these entries like any other.
//   depth      0 for entries of the configuration menu's own list.
//   lineNumber line of the menu file that declared the entry.
struct SimMenuNode
{
    enum Kind { Section, Setting, Info };
    enum ValueType {
        NoValue, // sections and info screens
        Selection, // opened: one option per screen, `+` steps, OK takes it
        Input, // opened: empty input line; digits, '*', '#'; OK takes it
        Time, // keyed as hhmm, shown hh:mm (the device's timer times)
        Clock, // the device clock: keyed hhmm, shown hh:mm
        Date, // the device date: keyed ddMMyy, shown dd.MM.yy
        ReadOnly // cannot be opened: OK redraws the same screen
    };

    Kind kind = Info;
    ValueType valueType = NoValue;
    QString name;
    QString line1;
    QString line2;
    QString recordedName;
    QString value;
    QStringList options;
    QVector<SimMenuNode> children;
    QString blocked;
    int depth = 0;
    int lineNumber = 0;

    bool isSetting() const { return kind == Setting; }
    bool isSection() const { return kind == Section; }
    QString screenLine1() const;
    QString screenLine2() const;

    static QString kindWord(Kind kind); // "section", "setting", "info"
    static QString valueTypeWord(ValueType type); // the menu file's keyword
};

// A parsed menu file: the device identifier and the configuration menu's
// top-level entries. See sim/menus/README.md for the file format.
class SimMenu
{
public:
    static constexpr const char *EmptyValueText = "<KEIN EINTRAG!>";

    QString identifier; // shown over "konfigurieren?"
    QVector<SimMenuNode> entries; // the configuration menu's own list

    // Parses the text of a menu file. On failure returns false and, when
    // `error` is given, a message with the offending line number.
    bool parse(const QString &text, QString *error = nullptr);
    bool load(const QString &path, QString *error = nullptr);

    // The entry at a path of recorded names, outermost first; nullptr if
    // there is none.
    const SimMenuNode *find(const QStringList &recordedPath) const;
    SimMenuNode *find(const QStringList &recordedPath);

    int entryCount() const; // every node in the tree
    int maxDepth() const; // deepest depth + 1; 0 for an empty menu
};

#endif // SIMMENU_H
