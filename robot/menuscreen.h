#ifndef MENUSCREEN_H
#define MENUSCREEN_H

#include <QString>

// One completed screen of the device as a menu entry: its two lines as the
// robot compares them, what kind of entry it shows, and the entry's name.
class MenuScreen
{
public:
    // The kinds double as the element names of the menu tree.
    static const QString Setting;
    static const QString Section;
    static const QString Option;
    static const QString Info;

    // displayLines: both display line buffers joined by a line feed;
    // cursorRow: 0 for the first row; level: depth of the walk, 0 being the
    // configuration menu's own level (names are formed differently there).
    static MenuScreen read(const QString &displayLines, int cursorRow, int level);

    // Separator, "PRG DISPLAY:" and "extracted:" lines for the debug log.
    void log() const;

    // First and second line joined by one blank, as the base-menu search
    // compares successive screens.
    QString joinedLines() const;

    bool isSetting() const { return kind == Setting; }
    bool isSection() const { return kind == Section; }
    bool isOption() const { return kind == Option; }

    QString firstLine;
    QString secondLine;
    QString kind;
    QString name;
    // The second line as read; on a setting's screen, the setting's value.
    QString value;
    int cursorRow = 0;

private:
    static void rewriteAmbiguousHeadings(QString &first, const QString &second);
    static QString sectionOrInfoName(const QString &first, const QString &second, int level);
};

#endif // MENUSCREEN_H
