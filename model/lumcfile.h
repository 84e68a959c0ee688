#ifndef LUMCFILE_H
#define LUMCFILE_H

#include <functional>

#include <QByteArray>
#include <QDomDocument>
#include <QString>
#include <QTextStream>

class QXmlStreamReader;

// The text form of a menu tree as kept in .lumc files.
class LumcFile
{
public:
    struct ParseError
    {
        int line = 0;
        int column = 0;
        QString message;
    };

    // One element per line, indented by one space per level, elements
    // without children in the short form, attributes in a fixed order so
    // that two saves of the same tree give the same text.
    static void write(QTextStream &out, const QDomDocument &document);

    // Writes `document` to `path` in that form, atomically: the text goes to
    // a file beside the target, which replaces the target only once it is
    // complete, so a full disk or a pulled stick never costs the old file.
    // On failure `reason` holds the system's reason.
    static bool save(const QString &path, const QDomDocument &document, QString *reason);
    // The same for any text LUM keeps (reports): `writer` fills the stream.
    static bool saveText(const QString &path, const std::function<void(QTextStream &)> &writer,
                         QString *reason);

    // Parses a whole file into `document`, in the encoding it declares, as
    // UTF-8, or, when it is neither, in the code page the former Windows
    // program wrote (Windows-1252). Files with a document type
    // declaration are refused: LUM never writes one, and entity
    // declarations are the way to make a parser expand text without bound
    // or read other files.
    static bool parse(const QByteArray &content, QDomDocument *document, ParseError *error);

    // Deeper than any device menu by far; refusing deeper files keeps the
    // recursive walks over the tree within a sane stack depth.
    static const int maximumDepth = 256;

private:
    static void writeNode(QTextStream &out, const QDomNode &node, int depth);
    static void writeElement(QTextStream &out, const QDomElement &element, int depth);
    static QString instructionText(const QDomProcessingInstruction &instruction);
    static QString attributesText(const QDomElement &element);
    static QString escaped(const QString &text, bool inAttribute);
    static bool check(QXmlStreamReader &reader, ParseError *error);
    static bool isWindows1252(const QByteArray &content);
    static bool declaresEncoding(const QByteArray &content);
    static bool isUtf8(const QByteArray &bytes);
};

#endif // LUMCFILE_H
