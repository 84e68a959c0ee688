#ifndef PROFILEGENERATOR_H
#define PROFILEGENERATOR_H

// Writes configuration files of a chosen size for the benchmarks: a menu of
// top-level sections, each holding groups of settings the way the devices
// arrange them, with every kind of item the editor draws. The size is the
// number of items the profile's list will hold (sections, settings and
// information lines; the options of a selection are not items of their own).

#include <QFile>
#include <QString>
#include <QStringList>
#include <QXmlStreamWriter>

namespace ProfileGenerator {

struct Leaf
{
    const char *kind;
    const char *name;
    const char *valueType;
    const char *value;
    QStringList options;
};

inline QVector<Leaf> leafPattern()
{
    return {
        { "setting",
          "Notrufende",
          "selection",
          "Gegenstelle",
          { "Gegenstelle", "Zeitablauf", "Taste 0" } },
        { "setting", "Gesprächsdauer", "inputnum", "180", {} },
        { "setting", "Rückruf", "selection", "Ein", { "Ein", "Aus" } },
        { "setting", "Timerzeit Testalarm", "inputtime_hhmm", "08:00", {} },
        { "info", "Status / Bereit", "", "", {} },
        { "setting", "Rufnummer", "inputnum", "0800123456", {} },
        { "setting",
          "Sprache",
          "selection",
          "Deutsch",
          { "Deutsch", "English", "Français", "Italiano" } },
        { "setting", "Seriennummer", "readonly", "4711-0815", {} },
        { "setting",
          "Lautstärke LSP",
          "selection",
          "5",
          { "1", "2", "3", "4", "5", "6", "7", "8" } },
    };
}

class Writer
{
public:
    Writer(QXmlStreamWriter &xml, int items) : m_xml(xml), m_left(items) { }

    void writeMenu()
    {
        const QVector<Leaf> pattern = leafPattern();
        int area = 0;
        while (m_left > 0) {
            ++area;
            openSection(QStringLiteral("Bereich %1").arg(area));
            for (int group = 1; group <= 5 && m_left > 0; ++group) {
                openSection(QStringLiteral("Gruppe %1.%2").arg(area).arg(group));
                for (int leaf = 0; leaf < pattern.size() && m_left > 0; ++leaf)
                    writeLeaf(pattern.at(leaf), leaf);
                m_xml.writeEndElement();
            }
            m_xml.writeEndElement();
        }
    }

private:
    void openSection(const QString &text)
    {
        m_xml.writeStartElement(QStringLiteral("section"));
        m_xml.writeAttribute(QStringLiteral("text"), text);
        --m_left;
    }

    void writeLeaf(const Leaf &leaf, int serial)
    {
        m_xml.writeStartElement(QString::fromLatin1(leaf.kind));
        m_xml.writeAttribute(
                QStringLiteral("text"),
                QStringLiteral("%1 %2").arg(QString::fromUtf8(leaf.name)).arg(serial + 1));
        if (qstrcmp(leaf.kind, "setting") == 0) {
            m_xml.writeAttribute(QStringLiteral("value"), QString::fromUtf8(leaf.value));
            m_xml.writeAttribute(QStringLiteral("active"), QStringLiteral("0"));
            m_xml.writeAttribute(QStringLiteral("valuetype"), QString::fromLatin1(leaf.valueType));
            for (const QString &option : leaf.options) {
                m_xml.writeEmptyElement(QStringLiteral("option"));
                m_xml.writeAttribute(QStringLiteral("text"), option);
            }
        }
        m_xml.writeEndElement();
        --m_left;
    }

    QXmlStreamWriter &m_xml;
    int m_left;
};

// Writes a configuration file whose item list will hold `items` items.
inline bool writeProfile(const QString &path, int items)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QXmlStreamWriter xml(&file);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartElement(QStringLiteral("deviceProfile"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    xml.writeStartElement(QStringLiteral("menuTree"));
    Writer(xml, items).writeMenu();
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return !xml.hasError() && file.error() == QFile::NoError;
}

} // namespace ProfileGenerator

#endif // PROFILEGENERATOR_H
