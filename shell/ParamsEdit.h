// SPDX-License-Identifier: MIT
#pragma once
// Changes of the parameters file that touch only what they change. The file is the user's: it may
// carry a document type, a standalone declaration, comments, character references, its own
// quotes, blank lines and line ends. An edit rewrites the bytes of the one element it adds or
// replaces and leaves every other byte of the file exactly as it was.
//
// An edit is made under the file's lock, so that two editors never change the file from the same
// old version: whatever is chosen from the file's content (the name of a new set, the place of a
// palette) is chosen from the file as it is while the lock is held.

#include "shell/ParamsFile.h"

#include <QLockFile>
#include <QStringConverter>

#include <memory>
#include <utility>
#include <vector>

namespace velkora {

// An element to be written: its name, its attributes in the order written, its child elements.
struct TXmlElementText {
    QString Name;
    std::vector<std::pair<QString, QString>> Attributes;
    std::vector<TXmlElementText> Children;
};

// The place of a node among the counted children (elements and comments, as ParamsFile counts
// them), from the root element down: {1} is the map texture sets container, {2, 0} the first
// palette set, {0, 3, 15} the last colour of the fourth palette. {} is the root element.
using TParamsPath = std::vector<int>;

class TParamsFileEdit {
public:
    // How long an edit waits for another one to give the lock back.
    static constexpr int LockWaitMs = 10000;

    // Takes the lock of Doc's file (a QLockFile beside the file a save would replace), then
    // opens Doc and reads the file's text. Raises what TXMLDocument::Open raises for a file that
    // cannot be read or parsed; EFCreateError when another program holds the lock for longer than
    // LockWaitMs; EFormatError for a file whose bytes its encoding does not give back exactly (a
    // byte that is not valid UTF-8, an encoding the editor cannot write), which cannot be changed
    // without changing other bytes. A lock that cannot be made at all (a folder that may not be
    // written) is not needed: the save that follows fails and says why.
    explicit TParamsFileEdit(TXMLDocument& Doc);
    // Closes Doc and gives the lock back; nothing is written without Commit.
    ~TParamsFileEdit();
    TParamsFileEdit(const TParamsFileEdit&) = delete;
    TParamsFileEdit& operator=(const TParamsFileEdit&) = delete;

    // The tree of the file as it was read under the lock; the edits below do not change it.
    TXMLDocument& Document() { return fDoc; }

    // The number of counted children of the element at Parent, as the edits have left the text.
    int ChildCount(const TParamsPath& Parent) const;
    // Adds Element as the new last counted child of the element at Parent, on a line of its own
    // indented like its siblings when they are on lines of their own.
    void Append(const TParamsPath& Parent, const TXmlElementText& Element);
    // Adds Element just before the node at Before, laid out as that node is.
    void Insert(const TParamsPath& Before, const TXmlElementText& Element);
    // Writes Element in place of the element at Node.
    void Replace(const TParamsPath& Node, const TXmlElementText& Element);
    // An element named by a path that does not exist, or a comment where an element is needed,
    // raises EFormatError; so does a text that XML cannot hold (a control character). Nothing is
    // changed then.

    // The file as Commit would write it.
    QByteArray Bytes() const;
    // Writes the file atomically (MyTypes::WriteFileAtomically).
    void Commit();

private:
    // An element or a comment of the text: where it begins and ends, and for an element where
    // its start tag ends and its end tag begins (both its end for an empty-element tag).
    struct TNode {
        qsizetype Begin = 0;
        qsizetype End = 0;
        qsizetype StartTagEnd = 0;
        qsizetype EndTagBegin = 0;
        bool Element = true;
        QString Name;
        std::vector<int> Children; // counted children, indices into fNodes
    };

    void Lock();
    void Decode(const QByteArray& Bytes);
    void Parse();
    const TNode& NodeAt(const TParamsPath& Path) const;
    const TNode& ElementAt(const TParamsPath& Path) const;
    void Splice(qsizetype Begin, qsizetype End, const QString& Text);
    QString Serialize(const TXmlElementText& Element, const QString& Indent) const;
    QString Escape(const QString& Value, const QString& What, const QString& Owner) const;
    // The spaces and tabs before Pos when they begin a line (true), or none (false).
    std::pair<bool, QString> LineIndent(qsizetype Pos) const;
    // What goes before a new sibling placed like the node at Pos: a line end and its indent, or
    // the spaces before it on the same line.
    QString LeadBefore(qsizetype Pos) const;
    QString IndentUnit() const;

    TXMLDocument& fDoc;
    QString fFull;
    std::unique_ptr<QLockFile> fLock;
    QStringConverter::Encoding fEncoding = QStringConverter::Utf8;
    // The highest character the encoding writes as itself; others become character references.
    char32_t fMaxDirect = 0x10FFFF;
    QString fText;      // the whole file decoded, a byte order mark included
    qsizetype fBom = 0; // 1 when fText begins with a byte order mark
    QString fNewline;
    std::vector<TNode> fNodes;
    int fRoot = -1;
};

} // namespace velkora
