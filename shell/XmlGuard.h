// SPDX-License-Identifier: MIT
#pragma once
// What an XML file is checked for before any parser sees it, in one linear pass over its bytes:
// the parsers spend time quadratic in the attributes of one element, and expand declared
// entities without bound. Every XML reader of the system (the parameters file, TMX maps and
// their tilesets) runs its bytes through here first.

#include <QByteArray>
#include <QString>

namespace velkora {

// The most attributes one element may carry. The busiest elements of the files read here (a
// palette set's 17, a TMX map's 19) need far fewer.
constexpr int MaxXmlAttributes = 64;

namespace XmlGuard {
// Raises EFormatError ("Cannot parse file "FileName": ... (line L)") for an element with more
// than MaxAttributes attributes and for any entity declaration ("<!ENTITY"), naming the line
// where it begins. Comments, CDATA sections, processing instructions and quoted values are
// skipped as the parser would; anything else malformed is left for the parser to report.
void CheckXmlBytes(const QByteArray& Bytes, const QString& FileName,
                   int MaxAttributes = MaxXmlAttributes);
} // namespace XmlGuard

} // namespace velkora
