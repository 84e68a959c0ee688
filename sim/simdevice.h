#ifndef SIMDEVICE_H
#define SIMDEVICE_H

#include "simmenu.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

// The keypad-and-display logic of a simulated emergency-call device in
// programming mode, without any I/O: a key goes in, the screen the device
// then shows comes out.
//
// The base menu is the top list. It holds "Programmierung beenden", the
// identification screen (identifier over "konfigurieren?") and then the
// configuration menu's own entries; `+` runs through it in that order and
// starts again at "Programmierung beenden" after the last entry. ESC on the
// top list returns to "Programmierung beenden" and leaves it there; deeper,
// ESC goes up one level and shows the entry that was left.
class SimDevice
{
public:
    struct Screen
    {
        QString line1;
        QString line2;
        bool cursorOnSecondRow = false; // an opened setting keeps the cursor on row 1
        bool operator==(const Screen &other) const
        {
            return line1 == other.line1 && line2 == other.line2
                    && cursorOnSecondRow == other.cursorOnSecondRow;
        }
    };

    static constexpr char KeyOk = 13;
    static constexpr char KeyEsc = 27;
    static constexpr char KeyNext = '+';
    static constexpr char KeyPrevious = '-';

    SimDevice();

    // Replaces the menu and goes back to "Programmierung beenden".
    void setMenu(const SimMenu &menu);
    const SimMenu &menu() const { return m_menu; }

    // Handles one key byte and returns the screen shown afterwards. Unknown
    // bytes change nothing (the screen is drawn again).
    Screen pressKey(char key);
    Screen screen() const;

    // Where the device stands: shown names from the top-level entry down to
    // the entry shown (empty on the two special screens of the top list).
    QStringList currentPath() const;
    bool isSettingOpen() const { return m_open != Closed; }

    // ESC on the top list keeps moving to another entry instead of settling.
    void setRestlessBaseMenu(bool on) { m_restlessBase = on; }
    // A confirmed value `from` of the setting at `path` is stored as `stored`;
    // an empty path applies to every setting.
    void addValueAlteration(const QStringList &path, const QString &from, const QString &stored);
    void clearValueAlterations() { m_alterations.clear(); }
    // The selection at `path` no longer offers `option`.
    void hideOption(const QStringList &path, const QString &option);

    QString value(const QStringList &path) const;
    // The characters last keyed into the input field of the setting at
    // `path` and confirmed with OK (null if none was).
    QString keyedInput(const QStringList &path) const;

private:
    enum OpenState { Closed, SelectionOpen, InputOpen };
    struct Alteration
    {
        QStringList path;
        QString from;
        QString stored;
    };

    static const int SpecialTopEntries = 2; // "Programmierung beenden", identification
    static const int MaxInputLength = 20;

    int topListSize() const { return SpecialTopEntries + m_menu.entries.size(); }
    QVector<SimMenuNode> *listAt(int level);
    const QVector<SimMenuNode> *listAt(int level) const;
    int listSize(int level) const;
    SimMenuNode *currentNode();
    const SimMenuNode *currentNode() const;

    void pressInList(char key);
    void closeFieldOn(char key);
    void pressInSelection(char key);
    void pressInInput(char key);
    void step(int delta);
    void openCurrent();
    void confirmValue(SimMenuNode *node, const QString &value);
    QStringList visibleOptions(const SimMenuNode *node) const;
    QString inputAsDisplayed(const SimMenuNode *node) const;
    QString storedFormOfInput(const SimMenuNode *node, bool *accepted) const;

    SimMenu m_menu;
    QVector<int> m_pos; // index on each level; m_pos[0] counts the two special screens
    OpenState m_open = Closed;
    int m_option = 0;
    QString m_input;
    bool m_restlessBase = false;
    QVector<Alteration> m_alterations;
    QHash<QString, QStringList> m_hiddenOptions; // joined path -> options
    QHash<QString, QString> m_keyedInputs; // joined path -> keys
};

#endif // SIMDEVICE_H
