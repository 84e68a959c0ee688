#include "edithistory.h"

#include "confitem.h"

#include <QDebug>

EditHistory::EditHistory(QObject *parent) : QObject(parent) {}

bool EditHistory::canUndo() const
{
    return !m_undo.isEmpty();
}

bool EditHistory::canRedo() const
{
    return !m_redo.isEmpty();
}

void EditHistory::clear()
{
    for (auto it = m_known.cbegin(); it != m_known.cend(); ++it)
        disconnect(it.key(), nullptr, this, nullptr);
    m_known.clear();
    m_open.clear();
    m_depth = 0;
    const bool hadSteps = canUndo() || canRedo();
    m_undo.clear();
    m_redo.clear();
    if (hadSteps)
        emit changed();
}

void EditHistory::watch(ConfItem *item)
{
    if (!item || m_known.contains(item))
        return;
    m_known.insert(item, State{ item->value(), item->active() });
    connect(item, &ConfItem::valueChanged, this, [this, item] { recordChange(item); });
    connect(item, &ConfItem::activeChanged, this, [this, item] { recordChange(item); });
    connect(item, &ConfItem::editBegun, this, &EditHistory::beginStep);
    connect(item, &ConfItem::editEnded, this, &EditHistory::endStep);
    connect(item, &QObject::destroyed, this, [this, item] { m_known.remove(item); });
}

void EditHistory::beginStep()
{
    ++m_depth;
}

void EditHistory::endStep()
{
    if (m_depth == 0)
        return;
    if (--m_depth == 0)
        closeStep();
}

// The items' setters signal on every call, also when nothing changed; only
// a real change is a step.
void EditHistory::recordChange(ConfItem *item)
{
    const State before = m_known.value(item);
    const State after{ item->value(), item->active() };
    if (before.value == after.value && before.active == after.active)
        return;
    m_known.insert(item, after);
    if (m_replaying)
        return;
    // A second change of the same item within one step keeps its first
    // "before".
    for (Change &change : m_open) {
        if (change.item == item) {
            change.after = after;
            if (m_depth == 0)
                closeStep();
            return;
        }
    }
    m_open.append(Change{ item, before, after });
    if (m_depth == 0)
        closeStep();
}

void EditHistory::closeStep()
{
    if (m_open.isEmpty())
        return;
    m_undo.append(m_open);
    m_open.clear();
    m_redo.clear();
    emit changed();
}

void EditHistory::undo()
{
    if (m_undo.isEmpty())
        return;
    const Step step = m_undo.takeLast();
    apply(step, false);
    m_redo.append(step);
    emit changed();
}

void EditHistory::redo()
{
    if (m_redo.isEmpty())
        return;
    const Step step = m_redo.takeLast();
    apply(step, true);
    m_undo.append(step);
    emit changed();
}

// Undone in the reverse order the changes were made. Typed text that was not
// a value is dropped with it: the field shows what the item holds again.
void EditHistory::apply(const Step &step, bool forward)
{
    m_replaying = true;
    for (int i = 0; i < step.size(); ++i) {
        const Change &change = forward ? step.at(i) : step.at(step.size() - 1 - i);
        ConfItem *item = change.item.data();
        if (!item) {
            qDebug() << "EditHistory: an item of this step is gone";
            continue;
        }
        const State &state = forward ? change.after : change.before;
        item->discardDraft();
        if (item->value() != state.value)
            item->setValue(state.value);
        if (item->active() != state.active)
            item->setActive(state.active);
    }
    m_replaying = false;
}
