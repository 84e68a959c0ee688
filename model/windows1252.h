#ifndef WINDOWS1252_H
#define WINDOWS1252_H

#include <QByteArray>
#include <QString>

// The 8-bit code page in which the former Windows program wrote its
// configuration files: ISO 8859-1 except for 0x80-0x9F, where it holds the
// euro sign, typographic quotes, dashes and a few letters.
class Windows1252
{
public:
    static QString decode(const QByteArray &bytes);
};

#endif // WINDOWS1252_H
