#ifndef EDITHISTORY_H
#define EDITHISTORY_H

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class ConfItem;

// The technician's edits of one configuration, for undo and redo. A step is
// what one action changed: a typed value together with the mark it set, a
// reset, or "Alle" marking every setting at once. The history watches the
// items' change signals and keeps what each item held before, so every
// change of a value or a mark is recorded wherever it came from; changes made
// by undo or redo themselves are not. A read-out or a loaded file starts a
// new history (clear).
class EditHistory : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool canUndo READ canUndo NOTIFY changed)
    Q_PROPERTY(bool canRedo READ canRedo NOTIFY changed)

public:
    explicit EditHistory(QObject *parent = nullptr);

    bool canUndo() const;
    bool canRedo() const;
    Q_INVOKABLE void undo();
    Q_INVOKABLE void redo();

    // Forgets every step and starts watching `items` afresh, taking what
    // they hold now as their starting state.
    void clear();
    void watch(ConfItem *item);

    // Changes between begin and end form one step (nested pairs count as
    // one); outside a pair every change is a step of its own.
    void beginStep();
    void endStep();

signals:
    void changed();

private:
    struct State
    {
        QString value;
        bool active = false;
    };
    struct Change
    {
        QPointer<ConfItem> item;
        State before;
        State after;
    };
    using Step = QList<Change>;

    void recordChange(ConfItem *item);
    void apply(const Step &step, bool forward);
    void closeStep();

    QHash<ConfItem *, State> m_known;
    QList<Step> m_undo;
    QList<Step> m_redo;
    Step m_open;
    int m_depth = 0;
    bool m_replaying = false;
};

#endif // EDITHISTORY_H
