#pragma once
// The parameters file XMLParams.xml: the game's palettes, the map texture sets and the palette
// sets, each in a container found by position under the root (first, second, third child).
// The document object is opened (loaded and parsed into a fresh tree) for each operation and
// closed again, so the file on disk is the single source of truth.

#include "shell/MyTypes.h"

#include <QDomDocument>
#include <QDomElement>

#include <vector>

namespace velkora {

class TXMLDocument {
public:
    // The file the document reads and writes; a relative name resolves against the current
    // directory at the moment of each Open and Save.
    QString FileName;

    // Loads and parses FileName into a fresh tree. Raises EFOpenError for a missing file and
    // EFormatError (file, line, column) for one that does not parse.
    void Open();
    // Writes the whole tree back to FileName atomically.
    void Save();
    // Discards the tree.
    void Close();
    bool Active() const { return fActive; }
    QDomDocument& Document() { return fDocument; }
    QDomElement DocumentElement() const { return fDocument.documentElement(); }

private:
    QDomDocument fDocument;
    bool fActive = false;
};

// Children that count: elements and comments, in document order (whitespace-only text does not).
int ChildCount(const QDomNode& Node);
QDomNode ChildAt(const QDomNode& Node, int Index);
// The Index-th container under the root (0 palettes, 1 map texture sets, 2 palette sets);
// raises EFormatError when the root has no such child.
QDomNode Container(TXMLDocument& Doc, int Index);

// A whole-number attribute; a missing or non-numeric value raises EFormatError naming the
// attribute and its element.
int32_t IntAttribute(const QDomNode& Node, const QString& Name);
// A text attribute; a missing one raises EFormatError naming the attribute and its element.
QString TextAttribute(const QDomNode& Node, const QString& Name);

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

// Each opens Doc, works on its tree and closes it. Readers size the array to the container's
// child count and fill it in order; on an error the entries read before it stay.
void ReadMapSets(TXMLDocument& Doc, TSetArray& sa);
// Appends "Set_<n>" with "Name", "Tex1", "Tex2" (n = the sets held in memory) and saves.
void AppendMapSet(TXMLDocument& Doc, const TSet& cSet, int n);
// Entries outside 0 to 15 raise EFormatError naming the set and the attribute.
void ReadPalSets(TXMLDocument& Doc, TPalSetArray& sa);
// Appends "Set_<n>" with "name" = n and "p1".."p16" and saves.
void AppendPalSet(TXMLDocument& Doc, const TPalletteArray& pal, int n);

} // namespace velkora
