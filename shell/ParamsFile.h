// SPDX-License-Identifier: MIT
#pragma once
// The parameters file XMLParams.xml: the game's palettes, the map texture sets and the palette
// sets, each in a container found by position under the root (first, second, third child).
// The document object is opened (loaded and parsed into a fresh tree) for each operation and
// closed again, so the file on disk is the single source of truth.

#include "shell/MyTypes.h"

#include <QDomDocument>
#include <QDomElement>
#include <QHash>
#include <QStringList>

#include <vector>

namespace velkora {

class TXMLDocument {
public:
    // The file the document reads and writes; a relative name resolves against the current
    // directory at the moment of each Open and Save.
    QString FileName;

    // Loads and parses FileName into a fresh tree. Raises EFOpenError for a missing file (or one
    // over MaxParamsFileSize) and EFormatError (file, line, column) for one that does not parse
    // or goes beyond MaxParamsDepth or MaxParamsNodes.
    // Comments are kept; whitespace-only text is dropped.
    void Open();
    // Writes the whole tree back to FileName atomically, as UTF-8 with a fresh XML declaration,
    // indented by two spaces. Elements read from the file keep their attributes in the file's
    // order; attributes the file did not have follow in natural order (name, p1, p2 ... p16).
    // A text that XML cannot hold (a control character) raises EFormatError and nothing is
    // written; so does a save of a closed document.
    void Save();
    // Discards the tree.
    void Close();
    bool Active() const { return fActive; }
    QDomDocument& Document() { return fDocument; }
    QDomElement DocumentElement() const { return fDocument.documentElement(); }
    // The names of E's attributes in the order the file has them; attributes the file did not
    // have (and those of elements made since it was read) follow in natural order.
    QStringList AttributeNames(const QDomElement& E) const;

private:
    // The text Save writes (see there): a fresh UTF-8 declaration, the document type, the nodes.
    QByteArray Serialize() const;
    void WriteNode(QString& Out, const QDomNode& Node, int Depth) const;

    QDomDocument fDocument;
    // The attribute order of each element as read, keyed by where the element starts in the
    // file (elements made since have no entry).
    QHash<qint64, QStringList> fAttributeOrder;
    bool fActive = false;
};

// Limits of the parameters files Open accepts: size, nesting of elements, and nodes (elements,
// attributes, comments and non-blank texts). A game's palettes and a user's sets need a small
// fraction of each.
constexpr uint64_t MaxParamsFileSize = uint64_t(16) << 20;
constexpr int MaxParamsDepth = 256;
constexpr int64_t MaxParamsNodes = 250000;

namespace ParamsFile {
// The first character of Text that XML 1.0 cannot hold (it holds tab, line feed, carriage
// return and the characters from U+0020 up, except the surrogate code points and U+FFFE,
// U+FFFF; a surrogate pair is one character), or -1 when there is none.
int FirstBadXmlChar(const QString& Text);

// Children that count: elements and comments, in document order. Text (whitespace-only text is
// not even kept), CDATA and processing instructions do not count.
bool IsCountedChild(const QDomNode& Node);
int ChildCount(const QDomNode& Node);
// The Index-th counted child; a null node when there is none.
QDomNode ChildAt(const QDomNode& Node, int Index);
// Walking the counted children in order: null nodes at the end.
QDomNode FirstCountedChild(const QDomNode& Node);
QDomNode NextCountedSibling(const QDomNode& Node);
// "element "Set_3" (line 12)", "comment (line 4)": a node as named in error messages.
QString DescribeNode(const QDomNode& Node);
// The Index-th container under the root (0 palettes, 1 map texture sets, 2 palette sets);
// raises EFormatError, naming the first missing container, when the root has fewer than three
// children.
QDomNode ContainerOf(const QDomElement& Root, int Index);
QDomNode Container(TXMLDocument& Doc, int Index);

// A whole-number attribute: optional sign and decimal digits, surrounding spaces allowed, within
// the 32-bit signed range. A missing, empty, non-numeric or out-of-range value raises
// EFormatError naming the attribute and its element.
int32_t IntAttribute(const QDomNode& Node, const QString& Name);
// A text attribute; a missing one raises EFormatError naming the attribute and its element.
QString TextAttribute(const QDomNode& Node, const QString& Name);
} // namespace ParamsFile

// One map texture set: two sprite library positions and a display name.
struct TSet {
    int32_t i1 = 0;
    int32_t i2 = 0;
    QString Name;
};
using TSetArray = std::vector<TSet>;

// One palette set: a colour mapping and its display name.
struct TPalSet {
    TPalletteArray pal{};
    QString Name;
};
using TPalSetArray = std::vector<TPalSet>;

namespace ParamsFile {
// Each opens Doc, works on its tree and closes it again, also when it fails. Readers replace sa
// with one entry per counted child of the container, in order. An error in an entry leaves sa
// with exactly the entries completely read before it; one before the container is reached (the
// file cannot be read or parsed, the root lacks the container: EFormatError) leaves sa as it was.
void ReadMapSets(TXMLDocument& Doc, TSetArray& sa);
// Appends the set "Set_<n>" with "Name", "Tex1", "Tex2" as the new last child of the map texture
// sets container, where n is the number of children the container holds at that moment: the
// file is read again under its lock (TParamsFileEdit), so two editors adding sets at once choose
// different numbers. Only the bytes of the new element are written; every other byte of the file
// stays as it was. Returns n. On any error the file is left as it was.
int AppendMapSet(TXMLDocument& Doc, const TSet& cSet);
// Entries outside 0 to 15 raise EFormatError naming the set and the attribute.
void ReadPalSets(TXMLDocument& Doc, TPalSetArray& sa);
// Appends the palette set "Set_<n>" with "name" = n and "p1".."p16" to the palette sets
// container, as AppendMapSet appends, and returns n. Entries outside 0 to 15 are refused
// (EFormatError) before anything is written: the readers would reject them.
int AppendPalSet(TXMLDocument& Doc, const TPalletteArray& pal);
} // namespace ParamsFile

} // namespace velkora
