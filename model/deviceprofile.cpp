#include "deviceprofile.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "filelocations.h"
#include "logcategories.h"
#include "lumcfile.h"
#include "transfermarks.h"
#include "valuetype.h"

#include <algorithm>

namespace {

const QString hintText = QStringLiteral("Bitte Konfiguration öffnen oder auslesen...");

// The menu path of a node as one text, top-level entry first: the texts of
// the node and of every enclosing element that carries a text, joined by
// line feeds. The walk stops at the menu tree element, which has no text.
QString menuPathText(const QDomNode &node)
{
    QString path = node.toElement().attribute(QStringLiteral("text"));
    QDomElement parent = node.parentNode().toElement();
    while (!parent.isNull() && parent.hasAttribute(QStringLiteral("text"))) {
        path.prepend(parent.attribute(QStringLiteral("text")) + QLatin1Char('\n'));
        parent = parent.parentNode().toElement();
    }
    return path;
}

// A selection setting holds its choices as children; they are part of its
// item, not entries of their own. Only a setting does: an old read-out wrote
// valuetype="selection" also on a section it left on an option-like screen,
// and that section's entries are entries like any other.
bool holdsOptions(const QDomElement &element)
{
    return element.tagName() == QLatin1String("setting")
            && ValueType::kindOf(element.attribute(QStringLiteral("valuetype")))
            == ValueType::Kind::Selection;
}

QString optionsText(const QDomElement &setting)
{
    if (!holdsOptions(setting))
        return QString();
    QStringList options;
    for (QDomNode option = setting.firstChild(); !option.isNull(); option = option.nextSibling())
        options.append(option.toElement().attribute(QStringLiteral("text")));
    return options.join(QLatin1Char('\n'));
}

// An information screen's second line ("Wartung" / "fällig 2027") is kept as
// its value; older files have none. It is shown, never edited or marked.
QString shownValue(const QDomElement &element)
{
    if (element.tagName() != QLatin1String("info"))
        return QString();
    return element.attribute(QStringLiteral("value"));
}

} // namespace

QString DeviceProfile::chosenFilePath(const QString &chosen, const QString &folder)
{
    return FileLocations::chosenFilePath(chosen, folder);
}

bool DeviceProfile::fileExists(const QString &path)
{
    return FileLocations::fileExists(path);
}

QString DeviceProfile::documentsFolderUrl()
{
    return FileLocations::documentsFolderUrl();
}

DeviceProfile::DeviceProfile(QObject *parent)
    : QObject(parent),
      m_history(new EditHistory(this)),
      m_filter(new ItemFilter(&m_confItemList, this))
{
    resetProfile();
    emit confItemListChanged();
}

DeviceProfile::~DeviceProfile()
{
    for (ConfItem *item : qAsConst(m_confItemList)) {
        if (m_ownItems.contains(item))
            delete item;
    }
    // Items released earlier whose deferred deletion has not run yet, e.g.
    // because the event loop has already stopped.
    for (const QPointer<ConfItem> &item : qAsConst(m_releasedItems))
        delete item.data();
}

QQmlListProperty<ConfItem> DeviceProfile::confItemList()
{
    return QQmlListProperty<ConfItem>(this, nullptr, &DeviceProfile::appendItem,
                                      &DeviceProfile::itemCount, &DeviceProfile::itemAt,
                                      &DeviceProfile::clearItems);
}

const QList<ConfItem *> &DeviceProfile::items() const
{
    return m_confItemList;
}

void DeviceProfile::resetProfile()
{
    releaseItems();
    m_document = QDomDocument();
    m_confItemList.append(createOwnItem(QStringLiteral("info"), hintText));

    QDomElement root = m_document.createElement(QStringLiteral("deviceProfile"));
    root.setAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    m_document.appendChild(root);
    QDomElement menuTree = m_document.createElement(QStringLiteral("menuTree"));
    m_currentElement = menuTree;
    root.appendChild(menuTree);

    setFileName(QString());
    setModified(false);
    updateMarkedCount();
    m_filter->invalidate();
    emit confItemListChanged();
    emit invalidSettingsChanged();
}

void DeviceProfile::rebuildConfItemList()
{
    releaseItems();
    const QDomElement root = itemRoot();
    if (!root.isNull())
        m_confItemList = buildItems(root);
    updateMarkedCount();
    m_filter->invalidate();
    emit confItemListChanged();
    emit invalidSettingsChanged();
}

// One item per child node in pre-order. The options of a selection are part
// of the setting's item and never items of their own.
int DeviceProfile::entryCount() const
{
    const QDomElement root = itemRoot();
    return root.isNull() ? 0 : countEntries(root);
}

bool DeviceProfile::isEntryKind(const QString &tagName)
{
    return tagName == QLatin1String("section") || tagName == QLatin1String("setting")
            || tagName == QLatin1String("info");
}

// The same walk as buildItems(); options, comments and other nodes the
// technician does not see as a menu entry are not counted.
int DeviceProfile::countEntries(const QDomElement &parent)
{
    int count = 0;
    for (QDomElement element = parent.firstChildElement(); !element.isNull();
         element = element.nextSiblingElement()) {
        if (isEntryKind(element.tagName()))
            ++count;
        if (!holdsOptions(element))
            count += countEntries(element);
    }
    return count;
}

QList<ConfItem *> DeviceProfile::buildItems(const QDomNode &parent)
{
    QList<ConfItem *> result;
    for (QDomNode node = parent.firstChild(); !node.isNull(); node = node.nextSibling()) {
        const QDomElement element = node.toElement();
        const QString path = menuPathText(node);
        if (element.tagName() == QLatin1String("setting")) {
            ConfItem *item = createOwnItem(element.attribute(QStringLiteral("valuetype")), path,
                                           element.attribute(QStringLiteral("value")),
                                           optionsText(element), TransferMarks::isMarked(element));
            item->setElement(element);
            result.append(item);
            item->setReadOutSkipped(item->kind() == ValueType::Kind::Blocked);
        } else {
            ConfItem *item = createOwnItem(element.tagName(), path, shownValue(element));
            item->setReadOutSkipped(element.attribute(QStringLiteral("sectiontype"))
                                    == QLatin1String("blocked"));
            result.append(item);
        }
        if (node.hasChildNodes() && !holdsOptions(element))
            result.append(buildItems(node));
    }
    return result;
}

ConfItem *DeviceProfile::createOwnItem(const QString &type, const QString &menuPath,
                                       const QString &value, const QString &options, bool active)
{
    auto *item = new ConfItem(type, menuPath, value, options, active);
    m_ownItems.insert(item);
    watchItem(item);
    return item;
}

// The editor may still hold an item of the old list until it has handled
// confItemListChanged, so items are deleted from the event loop, not here.
void DeviceProfile::releaseItems()
{
    // Undo never reaches into a former configuration.
    m_history->clear();
    m_releasedItems.removeAll(QPointer<ConfItem>());
    if (m_hasComparison) {
        m_hasComparison = false;
        emit comparisonChanged();
    }
    const QList<ConfItem *> old = m_confItemList;
    m_confItemList.clear();
    for (ConfItem *item : old) {
        disconnect(item, nullptr, this, nullptr);
        if (!m_ownItems.remove(item))
            continue;
        m_releasedItems.append(item);
        item->deleteLater();
    }
}

// The element whose children are the menu's top level: normally menuTree,
// but any first child element of the root serves.
QDomElement DeviceProfile::itemRoot() const
{
    return m_document.documentElement().firstChildElement();
}

QString DeviceProfile::currentTagName() const
{
    return m_currentElement.tagName();
}

QString DeviceProfile::currentValue() const
{
    return m_currentElement.attribute(QStringLiteral("value"));
}

QString DeviceProfile::currentValueType() const
{
    return m_currentElement.attribute(QStringLiteral("valuetype"));
}

bool DeviceProfile::currentHasChildren() const
{
    return m_currentElement.hasChildNodes();
}

QStringList DeviceProfile::childTexts() const
{
    QStringList texts;
    for (QDomNode child = m_currentElement.firstChild(); !child.isNull();
         child = child.nextSibling())
        texts.append(child.toElement().attribute(QStringLiteral("text")));
    return texts;
}

// Options sit below their setting, so an option's path is its own text only.
QStringList DeviceProfile::currentMenuPath() const
{
    if (m_currentElement.isNull())
        return QStringList();
    QStringList path{ m_currentElement.attribute(QStringLiteral("text")) };
    QDomElement parent = m_currentElement.parentNode().toElement();
    while (parent.tagName() == QLatin1String("section")) {
        path.prepend(parent.attribute(QStringLiteral("text")));
        parent = parent.parentNode().toElement();
    }
    return path;
}

void DeviceProfile::setCurrentAttribute(const QString &name, const QString &value)
{
    m_currentElement.setAttribute(name, value);
}

void DeviceProfile::appendChildElement(const QString &tagName, const QString &text)
{
    if (m_currentElement.isNull())
        return;
    QDomElement child = m_document.createElement(tagName);
    child.setAttribute(QStringLiteral("text"), text);
    m_currentElement.appendChild(child);
}

void DeviceProfile::gotoRoot()
{
    m_currentElement = m_document.documentElement();
}

void DeviceProfile::gotoParent()
{
    m_currentElement = m_currentElement.parentNode().toElement();
}

void DeviceProfile::gotoLastChild()
{
    m_currentElement = m_currentElement.lastChildElement();
}

// Document order, depth first, without testing the start element itself.
// The search never leaves the menu tree upwards: once the last entry of the
// top level is passed there is nothing more to transfer.
bool DeviceProfile::gotoNextActive()
{
    if (m_currentElement.isNull())
        return false;
    const QDomElement top = itemRoot();
    QDomElement element = m_currentElement;
    for (;;) {
        QDomElement next = element.firstChildElement();
        while (next.isNull()) {
            // The search never steps past the end of the menu tree, not even
            // from an empty one: marks outside it are not the device's.
            if (element == top || element.tagName() == QLatin1String("menuTree"))
                return false;
            next = element.nextSiblingElement();
            if (!next.isNull())
                break;
            element = element.parentNode().toElement();
            if (element.isNull())
                return false;
        }
        element = next;
        if (TransferMarks::isMarked(element)) {
            m_currentElement = element;
            return true;
        }
    }
}

QDomDocument DeviceProfile::document() const
{
    return m_document;
}

QDomElement DeviceProfile::currentElement() const
{
    return m_currentElement;
}

QString DeviceProfile::lastErrorString() const
{
    return m_lastError;
}

bool DeviceProfile::save(const QString &filename)
{
    const QString path = FileLocations::localPathOf(filename);
    m_lastError.clear();

    QString reason;
    if (!LumcFile::save(path, m_document, &reason)) {
        qCDebug(lumFile) << "Failed to write file.";
        failFileOperation(saveFailureText(path, reason));
        return false;
    }
    setFileName(QFileInfo(path).absoluteFilePath());
    setModified(false);
    return true;
}

bool DeviceProfile::load(const QString &filename)
{
    const QString path = FileLocations::localPathOf(filename);
    m_lastError.clear();

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qCDebug(lumFile) << "Failed to open file for reading.";
        failFileOperation(tr("Die Datei %1 konnte nicht geöffnet werden:\n%2")
                                  .arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    const QByteArray content = file.readAll();
    const bool readFailed = file.error() != QFileDevice::NoError;
    const QString readError = file.errorString();
    file.close();
    if (readFailed) {
        failFileOperation(tr("Die Datei %1 konnte nicht geöffnet werden:\n%2")
                                  .arg(QDir::toNativeSeparators(path), readError));
        return false;
    }

    // Parsed into a document of its own and taken over only when it is
    // sound: a broken file must not wipe the configuration on screen.
    QDomDocument document;
    LumcFile::ParseError error;
    if (!LumcFile::parse(content, &document, &error)) {
        failFileOperation(
                tr("Die Datei %1 ist keine gültige Konfigurationsdatei:\nZeile %2, Spalte %3: %4")
                        .arg(QDir::toNativeSeparators(path), QString::number(error.line),
                             QString::number(error.column), error.message));
        return false;
    }
    // Well-formed XML of another kind would show as an empty configuration
    // that the technician could then save over the file.
    if (document.documentElement().tagName() != QLatin1String("deviceProfile")) {
        failFileOperation(tr("Die Datei %1 ist keine LUM-Konfigurationsdatei.")
                                  .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    m_document = document;
    rebuildConfItemList();
    setFileName(QFileInfo(path).absoluteFilePath());
    setModified(false);
    return true;
}

bool DeviceProfile::loadCopy(const QString &filename)
{
    if (!load(filename))
        return false;
    setFileName(QString());
    return true;
}

QString DeviceProfile::saveFailureText(const QString &path, const QString &reason)
{
    return tr("Die Datei %1 konnte nicht gespeichert werden:\n%2")
            .arg(QDir::toNativeSeparators(path), reason);
}

void DeviceProfile::failFileOperation(const QString &text)
{
    m_lastError = text;
    qCDebug(lumFile).noquote() << text;
    emit fileError();
}

void DeviceProfile::saveToFile(QString filename)
{
    save(filename);
}

void DeviceProfile::loadFromFile(QString filename)
{
    load(filename);
}

void DeviceProfile::appendItem(QQmlListProperty<ConfItem> *list, ConfItem *item)
{
    auto *profile = static_cast<DeviceProfile *>(list->object);
    profile->m_confItemList.append(item);
    profile->watchItem(item);
    profile->updateMarkedCount();
    profile->m_filter->invalidate();
    emit profile->confItemListChanged();
}

DeviceProfile::ListIndex DeviceProfile::itemCount(QQmlListProperty<ConfItem> *list)
{
    return static_cast<DeviceProfile *>(list->object)->m_confItemList.size();
}

ConfItem *DeviceProfile::itemAt(QQmlListProperty<ConfItem> *list, ListIndex index)
{
    return static_cast<DeviceProfile *>(list->object)->m_confItemList.value(index);
}

void DeviceProfile::clearItems(QQmlListProperty<ConfItem> *list)
{
    auto *profile = static_cast<DeviceProfile *>(list->object);
    profile->releaseItems();
    profile->m_filter->invalidate();
    emit profile->confItemListChanged();
    emit profile->invalidSettingsChanged();
}

// Every edit of a value or a mark changes what a save would write.
void DeviceProfile::watchItem(ConfItem *item)
{
    connect(item, &ConfItem::valueChanged, this, [this, item] {
        setModified(true);
        recompare(item);
    });
    connect(item, &ConfItem::activeChanged, this, [this] {
        setModified(true);
        updateMarkedCount();
    });
    connect(item, &ConfItem::problemChanged, this, &DeviceProfile::invalidSettingsChanged);
    m_history->watch(item);
    // A row may come into or leave a view ("markiert/geändert", a search
    // for a value, "Unterschiede") by its own edit or a check of the device.
    const auto refilter = [this] {
        if (m_filter->isActive())
            m_filter->invalidate();
    };
    connect(item, &ConfItem::valueChanged, this, refilter);
    connect(item, &ConfItem::activeChanged, this, refilter);
    connect(item, &ConfItem::comparisonChanged, this, refilter);
}

EditHistory *DeviceProfile::editHistory() const
{
    return m_history;
}

ItemFilter *DeviceProfile::itemFilter() const
{
    return m_filter;
}

int DeviceProfile::editableCount() const
{
    return int(std::count_if(m_confItemList.cbegin(), m_confItemList.cend(),
                             [](const ConfItem *item) { return item->editable(); }));
}

bool DeviceProfile::showsHint() const
{
    if (m_confItemList.size() != 1)
        return false;
    const ConfItem *only = m_confItemList.constFirst();
    return only->type() == QLatin1String("info") && only->menuName() == hintText;
}

int DeviceProfile::markedCount() const
{
    return m_markedCount;
}

void DeviceProfile::updateMarkedCount()
{
    if (m_markingAll)
        return;
    const int marked = int(
            std::count_if(m_confItemList.cbegin(), m_confItemList.cend(),
                          [](const ConfItem *item) { return item->editable() && item->active(); }));
    if (marked == m_markedCount)
        return;
    m_markedCount = marked;
    emit markedCountChanged();
}

// One step for undo: "Alle" is undone as a whole.
void DeviceProfile::setAllMarked(bool marked)
{
    m_history->beginStep();
    m_markingAll = true;
    for (ConfItem *item : qAsConst(m_confItemList)) {
        if (item->editable() && item->active() != marked)
            item->setActive(marked);
    }
    m_markingAll = false;
    updateMarkedCount();
    m_history->endStep();
}

QString DeviceProfile::fileName() const
{
    return m_fileName;
}

bool DeviceProfile::modified() const
{
    return m_modified;
}

void DeviceProfile::setFileName(const QString &fileName)
{
    if (fileName == m_fileName)
        return;
    m_fileName = fileName;
    emit fileNameChanged();
}

void DeviceProfile::setModified(bool modified)
{
    if (modified == m_modified)
        return;
    m_modified = modified;
    emit modifiedChanged();
}

bool DeviceProfile::hasInvalidSettings() const
{
    return std::any_of(m_confItemList.cbegin(), m_confItemList.cend(),
                       [](const ConfItem *item) { return item->hasDraft(); });
}

QString DeviceProfile::invalidSettingsText() const
{
    QStringList lines;
    for (const ConfItem *item : m_confItemList) {
        if (item->hasDraft())
            lines.append(item->menuName() + QStringLiteral(": ") + item->problem());
    }
    return lines.join(QLatin1Char('\n'));
}

// ---------------------------------------------------------------- comparison

namespace {

// A value the device shows and the file holds can be compared: not the clock
// and date, which the transfer takes from the PC.
bool isComparable(const ConfItem *item)
{
    return item->editable() && !ValueType::takesPcClock(item->type());
}

// The device's serial number: a read-only value named so.
bool isSerialNumberItem(const ConfItem *item)
{
    return !item->element().isNull() && item->kind() == ValueType::Kind::ReadOnly
            && DeviceProfile::isSerialNumberPath(item->menuPath());
}

// The settings of `items` that `wanted` picks, each with the value the file
// holds for it: what a check looks up on the device.
template<class Pick>
QList<CheckedSetting> checkedSettings(const QList<ConfItem *> &items, Pick wanted)
{
    QList<CheckedSetting> settings;
    for (const ConfItem *item : items) {
        if (!wanted(item))
            continue;
        CheckedSetting setting;
        setting.menuPath = item->menuPath();
        setting.fileValue = item->value();
        settings.append(setting);
    }
    return settings;
}

} // namespace

bool DeviceProfile::isSerialNumberPath(const QStringList &menuPath)
{
    return !menuPath.isEmpty() && menuPath.last() == QLatin1String("Seriennummer");
}

QString DeviceProfile::serialNumberSetting() const
{
    for (const ConfItem *item : m_confItemList) {
        if (isSerialNumberItem(item))
            return item->value().trimmed();
    }
    return QString();
}

QList<CheckedSetting> DeviceProfile::serialNumberPaths() const
{
    return checkedSettings(m_confItemList, isSerialNumberItem);
}

QList<CheckedSetting> DeviceProfile::checkedPaths(bool allEditable) const
{
    return checkedSettings(m_confItemList, [allEditable](const ConfItem *item) {
        if (item->element().isNull())
            return false;
        return isSerialNumberItem(item) || (isComparable(item) && (allEditable || item->active()));
    });
}

void DeviceProfile::applyComparison(const QList<CheckedSetting> &checked)
{
    m_markingAll = true;
    for (ConfItem *item : qAsConst(m_confItemList)) {
        const auto found = std::find_if(checked.cbegin(), checked.cend(), [&](const auto &c) {
            return c.menuPath == item->menuPath();
        });
        if (found == checked.cend() || item->element().isNull())
            continue;
        if (!found->found) {
            item->setComparison(ConfItem::NotOnDevice, QString());
            if (item->editable() && item->active())
                item->setActive(false);
            continue;
        }
        const bool same = found->deviceValue == item->value();
        item->setComparison(same ? ConfItem::Same : ConfItem::Differs, found->deviceValue);
        if (isComparable(item) && item->active() == same)
            item->setActive(!same);
    }
    m_markingAll = false;
    updateMarkedCount();
    m_hasComparison = true;
    emit comparisonChanged();
}

void DeviceProfile::clearComparison()
{
    for (ConfItem *item : qAsConst(m_confItemList))
        item->setComparison(ConfItem::NotCompared, QString());
    if (!m_hasComparison)
        return;
    m_hasComparison = false;
    emit comparisonChanged();
}

// A setting edited after the check is compared anew with what the device showed.
void DeviceProfile::recompare(ConfItem *item)
{
    const ConfItem::Comparison was = item->comparison();
    if (was != ConfItem::Same && was != ConfItem::Differs)
        return;
    item->setComparison(item->value() == item->deviceValue() ? ConfItem::Same : ConfItem::Differs,
                        item->deviceValue());
    if (item->comparison() != was)
        emit comparisonChanged();
}

int DeviceProfile::differenceCount() const
{
    return int(std::count_if(m_confItemList.cbegin(), m_confItemList.cend(),
                             [](const ConfItem *item) {
                                 return isComparable(item)
                                         && (item->comparison() == ConfItem::Differs
                                             || item->comparison() == ConfItem::NotOnDevice);
                             }));
}

DeviceOrigin DeviceProfile::origin() const
{
    return DeviceOrigin::of(m_document);
}

void DeviceProfile::setOrigin(const DeviceOrigin &origin)
{
    origin.writeTo(m_document);
}
