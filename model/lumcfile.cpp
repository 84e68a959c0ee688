#include "lumcfile.h"

#include "windows1252.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDomNamedNodeMap>
#include <QSaveFile>
#include <QStringList>
#include <QXmlStreamReader>

namespace {

// The attributes of the menu vocabulary in the order a reader expects them;
// anything else follows sorted by name.
const QStringList attributeOrder = {
    QStringLiteral("version"), QStringLiteral("text"),      QStringLiteral("value"),
    QStringLiteral("active"),  QStringLiteral("valuetype"), QStringLiteral("sectiontype"),
};

bool isXmlCharacter(char16_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xFFFD);
}

bool hasCharacterData(const QDomNode &element)
{
    for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (child.isCharacterData() && !child.isComment())
            return true;
    }
    return false;
}

} // namespace

void LumcFile::write(QTextStream &out, const QDomDocument &document)
{
    for (QDomNode node = document.firstChild(); !node.isNull(); node = node.nextSibling())
        writeNode(out, node, 0);
}

void LumcFile::writeNode(QTextStream &out, const QDomNode &node, int depth)
{
    const QString indent(depth, QLatin1Char(' '));
    if (node.isElement()) {
        writeElement(out, node.toElement(), depth);
    } else if (node.isComment()) {
        out << indent << "<!--" << node.toComment().data() << "-->\n";
    } else if (node.isProcessingInstruction()) {
        const QString instruction = instructionText(node.toProcessingInstruction());
        if (!instruction.isEmpty())
            out << indent << instruction << '\n';
    }
}

// Every processing instruction is a node of the tree, and so an entry of the
// item list, wherever it stands; dropping one would give a file that reads
// back with other entries. Only the XML declaration is left out: read from a
// foreign file it may name another encoding, and written back it would
// misstate the UTF-8 that follows.
QString LumcFile::instructionText(const QDomProcessingInstruction &instruction)
{
    if (instruction.target() == QLatin1String("xml"))
        return QString();
    return QLatin1String("<?") + instruction.target() + QLatin1Char(' ') + instruction.data()
            + QLatin1String("?>");
}

void LumcFile::writeElement(QTextStream &out, const QDomElement &element, int depth)
{
    // depth < 0: inside mixed content, where added white space would change
    // the text.
    const bool indented = depth >= 0;
    if (indented)
        out << QString(depth, QLatin1Char(' '));
    out << '<' << element.tagName() << attributesText(element);
    if (!element.hasChildNodes()) {
        out << "/>";
    } else if (!indented || hasCharacterData(element)) {
        out << '>';
        for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling()) {
            if (child.isCDATASection()) {
                out << "<![CDATA["
                    << child.toCDATASection().data().replace(QLatin1String("]]>"),
                                                             QLatin1String("]]]]><![CDATA[>"))
                    << "]]>";
            } else if (child.isText()) {
                out << escaped(child.toText().data(), false);
            } else if (child.isComment()) {
                out << "<!--" << child.toComment().data() << "-->";
            } else if (child.isProcessingInstruction()) {
                out << instructionText(child.toProcessingInstruction());
            } else if (child.isElement()) {
                writeElement(out, child.toElement(), -1);
            }
        }
        out << "</" << element.tagName() << '>';
    } else {
        out << ">\n";
        for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling())
            writeNode(out, child, depth + 1);
        out << QString(depth, QLatin1Char(' ')) << "</" << element.tagName() << '>';
    }
    if (indented)
        out << '\n';
}

QString LumcFile::attributesText(const QDomElement &element)
{
    const QDomNamedNodeMap attributes = element.attributes();
    QStringList names;
    names.reserve(attributes.count());
    for (int i = 0; i < attributes.count(); ++i)
        names.append(attributes.item(i).nodeName());
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int rankA =
                attributeOrder.contains(a) ? attributeOrder.indexOf(a) : attributeOrder.size();
        const int rankB =
                attributeOrder.contains(b) ? attributeOrder.indexOf(b) : attributeOrder.size();
        return rankA != rankB ? rankA < rankB : a < b;
    });

    QString text;
    for (const QString &name : qAsConst(names))
        text += QLatin1Char(' ') + name + QLatin1String("=\"")
                + escaped(element.attribute(name), true) + QLatin1Char('"');
    return text;
}

// Line breaks and tabs in attributes are written as character references:
// a reader turns literal ones into spaces. Characters XML cannot carry at all
// (control codes from a garbled display line) become U+FFFD, so that the file
// stays readable.
QString LumcFile::escaped(const QString &text, bool inAttribute)
{
    QString result;
    result.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            result += c;
            result += text.at(++i);
            continue;
        }
        switch (c.unicode()) {
        case '&':
            result += QLatin1String("&amp;");
            break;
        case '<':
            result += QLatin1String("&lt;");
            break;
        case '>':
            result += QLatin1String("&gt;");
            break;
        case '"':
            result += inAttribute ? QLatin1String("&quot;") : QLatin1String("\"");
            break;
        case '\r':
            result += QLatin1String("&#xd;");
            break;
        case '\n':
            result += inAttribute ? QLatin1String("&#xa;") : QLatin1String("\n");
            break;
        case '\t':
            result += inAttribute ? QLatin1String("&#x9;") : QLatin1String("\t");
            break;
        default:
            if (!isXmlCharacter(c.unicode()) || c.isSurrogate())
                result += QChar(QChar::ReplacementCharacter);
            else
                result += c;
        }
    }
    return result;
}

bool LumcFile::save(const QString &path, const QDomDocument &document, QString *reason)
{
    return saveText(
            path, [&document](QTextStream &out) { write(out, document); }, reason);
}

bool LumcFile::saveText(const QString &path, const std::function<void(QTextStream &)> &writer,
                        QString *reason)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        *reason = file.errorString();
        return false;
    }
    QTextStream out(&file);
    // Qt 6's streams write UTF-8 unless told otherwise; Qt 5's follow the locale.
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    out.setCodec("UTF-8");
#endif
    writer(out);
    out.flush();
    // The stream already flushes the file; flushing once more is what makes
    // the file report the system's reason (e.g. a full disk). Without this
    // check a commit could rename a cut-off file over the old one.
    const bool flushed = file.flush();
    if (out.status() != QTextStream::Ok || !flushed) {
        *reason = file.errorString();
        file.cancelWriting();
        file.commit(); // only removes the half-written temporary file
        return false;
    }
    if (!file.commit()) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

bool LumcFile::parse(const QByteArray &content, QDomDocument *document, ParseError *error)
{
    QDomDocument parsed;
    if (isWindows1252(content)) {
        const QString text = Windows1252::decode(content);
        QXmlStreamReader reader(text);
        if (!check(reader, error)
            || !parsed.setContent(text, false, &error->message, &error->line, &error->column))
            return false;
    } else {
        // UTF-8, or the encoding the file declares.
        QXmlStreamReader reader(content);
        if (!check(reader, error)
            || !parsed.setContent(content, false, &error->message, &error->line, &error->column))
            return false;
    }
    *document = parsed;
    return true;
}

// The former Windows program wrote its files in the system's code page and
// declared no encoding. A file that declares one is read in it; a file
// without a declaration is UTF-8 when it is valid UTF-8 (every file LUM
// writes, and every pure ASCII file), and the old program's code page
// otherwise. Files starting with a UTF-16 or UTF-32 byte-order mark or with
// a zero byte are left to the parser's own detection.
bool LumcFile::isWindows1252(const QByteArray &content)
{
    if (content.startsWith("\xFE\xFF") || content.startsWith("\xFF\xFE")
        || content.startsWith('\0'))
        return false;
    if (declaresEncoding(content))
        return false;
    return !isUtf8(content);
}

bool LumcFile::declaresEncoding(const QByteArray &content)
{
    int start = content.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (start < content.size() && QByteArray(" \t\r\n").contains(content.at(start)))
        ++start;
    if (content.mid(start, 5) != "<?xml")
        return false;
    const int end = content.indexOf("?>", start);
    if (end < 0)
        return false;
    return content.mid(start, end - start).contains("encoding");
}

bool LumcFile::isUtf8(const QByteArray &bytes)
{
    const int size = bytes.size();
    int i = 0;
    while (i < size) {
        const uchar lead = uchar(bytes.at(i));
        int continuation = 0;
        uint codePoint = 0;
        uint smallest = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            continuation = 1;
            codePoint = lead & 0x1F;
            smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            continuation = 2;
            codePoint = lead & 0x0F;
            smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            continuation = 3;
            codePoint = lead & 0x07;
            smallest = 0x10000;
        } else {
            return false;
        }
        if (i + continuation >= size)
            return false;
        for (int k = 1; k <= continuation; ++k) {
            const uchar next = uchar(bytes.at(i + k));
            if ((next & 0xC0) != 0x80)
                return false;
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and code points past Unicode are not UTF-8.
        if (codePoint < smallest || codePoint > 0x10FFFF
            || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            return false;
        i += continuation + 1;
    }
    return true;
}

// A streaming pass before the tree is built: it stops at a document type
// declaration before any entity could be expanded, and at absurd nesting.
bool LumcFile::check(QXmlStreamReader &reader, ParseError *error)
{
    int depth = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        QString refusal;
        if (token == QXmlStreamReader::DTD)
            refusal = QCoreApplication::translate(
                    "LumcFile", "Dokumenttyp-Deklarationen werden nicht unterstützt");
        else if (token == QXmlStreamReader::EntityReference)
            refusal = QCoreApplication::translate("LumcFile",
                                                  "Entitätsverweise werden nicht unterstützt");
        else if (token == QXmlStreamReader::StartElement && ++depth > maximumDepth)
            refusal = QCoreApplication::translate("LumcFile", "Mehr als %1 Ebenen verschachtelt")
                              .arg(maximumDepth);
        else if (token == QXmlStreamReader::EndElement)
            --depth;
        if (!refusal.isEmpty()) {
            error->line = int(reader.lineNumber());
            error->column = int(reader.columnNumber());
            error->message = refusal;
            return false;
        }
    }
    if (reader.hasError()) {
        error->line = int(reader.lineNumber());
        error->column = int(reader.columnNumber());
        error->message = reader.errorString();
        return false;
    }
    return true;
}
