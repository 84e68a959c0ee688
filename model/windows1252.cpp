#include "windows1252.h"

namespace {

// 0x80-0x9F. The five bytes the code page leaves unassigned (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) keep their ISO 8859-1 meaning, as Windows itself maps them.
const char16_t upperControlRange[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

QString Windows1252::decode(const QByteArray &bytes)
{
    QString text;
    text.resize(bytes.size());
    QChar *out = text.data();
    for (const char byte : bytes) {
        const uchar code = uchar(byte);
        *out++ = (code >= 0x80 && code <= 0x9F) ? QChar(upperControlRange[code - 0x80])
                                                : QChar(code);
    }
    return text;
}
