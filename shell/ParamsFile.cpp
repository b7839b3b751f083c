// SPDX-License-Identifier: MIT
#include "shell/ParamsFile.h"

#include "shell/ParamsEdit.h"
#include "shell/XmlGuard.h"

#include <QTextStream>
#include <QXmlStreamReader>

#include <algorithm>

namespace velkora {

namespace {

// Where an element read from the file starts: unique among the file's elements, and -1 for
// elements made since, so it keys what is remembered about the elements as read.
qint64 PositionKey(const QDomNode& Node) {
    return qint64((quint64(quint32(Node.lineNumber())) << 32) | quint32(Node.columnNumber()));
}

// Closes the document on every path out of one operation.
class OpenScope {
public:
    explicit OpenScope(TXMLDocument& Doc) : fDoc(Doc) { fDoc.Open(); }
    ~OpenScope() { fDoc.Close(); }
    OpenScope(const OpenScope&) = delete;
    OpenScope& operator=(const OpenScope&) = delete;

private:
    TXMLDocument& fDoc;
};

// Runs Body on the open document; a content error gets the file's name in front.
template <typename F> void WithDocument(TXMLDocument& Doc, F Body) {
    OpenScope Scope(Doc);
    try {
        Body();
    } catch (const EFormatError& e) {
        throw EFormatError(QStringLiteral("Parameters file \"%1\": %2")
                               .arg(MyTypes::ExpandFileName(Doc.FileName), e.Message()));
    }
}

} // namespace

int ParamsFile::FirstBadXmlChar(const QString& Text) {
    const int n = int(Text.size());
    for (int i = 0; i < n; ++i) {
        const char16_t c = Text.at(i).unicode();
        if (c >= 0x20 && c < 0xD800)
            continue;
        if (c == 0x9 || c == 0xA || c == 0xD)
            continue;
        if (c >= 0xE000 && c <= 0xFFFD)
            continue;
        if (QChar::isHighSurrogate(c) && i + 1 < n && Text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        return c;
    }
    return -1;
}

namespace {

void CheckXmlText(const QString& Text, const QDomNode& Owner, const QString& What) {
    const int c = ParamsFile::FirstBadXmlChar(Text);
    if (c >= 0)
        throw EFormatError(
            QStringLiteral("%1 of %2 holds the character U+%3, which an XML file cannot store")
                .arg(What, ParamsFile::DescribeNode(Owner))
                .arg(c, 4, 16, QLatin1Char('0')));
}

QString EscapeText(const QString& Text, bool InAttribute) {
    QString Out;
    Out.reserve(Text.size());
    for (const QChar ch : Text) {
        switch (ch.unicode()) {
        case '&':
            Out += QLatin1String("&amp;");
            break;
        case '<':
            Out += QLatin1String("&lt;");
            break;
        case '>':
            Out += QLatin1String("&gt;");
            break;
        case '\r':
            Out += QLatin1String("&#13;");
            break;
        case '"':
            Out += InAttribute ? QLatin1String("&quot;") : QLatin1String("\"");
            break;
        case '\n':
            Out += InAttribute ? QLatin1String("&#10;") : QLatin1String("\n");
            break;
        case '\t':
            Out += InAttribute ? QLatin1String("&#9;") : QLatin1String("\t");
            break;
        default:
            Out += ch;
        }
    }
    return Out;
}

// "p2" before "p10": digit runs compare by value, everything else by code unit.
bool NaturalLess(const QString& a, const QString& b) {
    int i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            int ie = i, je = j;
            while (ie < a.size() && a.at(ie).isDigit())
                ++ie;
            while (je < b.size() && b.at(je).isDigit())
                ++je;
            // Compare the runs without leading zeros: the longer is larger, else digit by digit.
            int is = i, js = j;
            while (is + 1 < ie && a.at(is) == QLatin1Char('0'))
                ++is;
            while (js + 1 < je && b.at(js) == QLatin1Char('0'))
                ++js;
            if (ie - is != je - js)
                return ie - is < je - js;
            for (int k = 0; k < ie - is; ++k)
                if (a.at(is + k) != b.at(js + k))
                    return a.at(is + k) < b.at(js + k);
            i = ie;
            j = je;
            continue;
        }
        if (a.at(i) != b.at(j))
            return a.at(i) < b.at(j);
        ++i;
        ++j;
    }
    if (a.size() - i != b.size() - j)
        return a.size() - i < b.size() - j;
    return a < b;
}

QDomElement NextElementInDocumentOrder(QDomNode n) {
    do {
        if (n.hasChildNodes()) {
            n = n.firstChild();
            continue;
        }
        while (!n.isNull() && n.nextSibling().isNull())
            n = n.parentNode();
        if (!n.isNull())
            n = n.nextSibling();
    } while (!n.isNull() && !n.isElement());
    return n.toElement();
}

bool IsInline(const QDomNode& Node) {
    return Node.isText() || Node.isCDATASection() || Node.isEntityReference();
}

} // namespace

// ---- The document ---------------------------------------------------------------------------

void TXMLDocument::Open() {
    Close();
    const TMyByteArray Data = MyTypes::ReadFileBytes(FileName, MaxParamsFileSize);
    const QByteArray Bytes(reinterpret_cast<const char*>(Data.data()), qsizetype(Data.size()));
    // Entity declarations and elements of absurdly many attributes are refused before any
    // parser spends memory or quadratic time on them.
    XmlGuard::CheckXmlBytes(Bytes, MyTypes::ExpandFileName(FileName));
    auto ParseError = [&](const QString& Message, qint64 Line, qint64 Column) {
        return EFormatError(QStringLiteral("Cannot parse file \"%1\": %2 (line %3, column %4)")
                                .arg(MyTypes::ExpandFileName(FileName), Message)
                                .arg(Line)
                                .arg(Column));
    };

    // A first, linear pass refuses absurd nesting (which the DOM parser handles in quadratic
    // time and everything after it recursively) and absurd sizes (the DOM takes about a
    // kilobyte per node), and records each element's attribute order, which the DOM does not
    // keep.
    std::vector<QStringList> Orders;
    {
        QXmlStreamReader Reader(Bytes);
        Reader.setNamespaceProcessing(false);
        int Depth = 0;
        int64_t Nodes = 0;
        while (!Reader.atEnd()) {
            const QXmlStreamReader::TokenType t = Reader.readNext();
            if (t == QXmlStreamReader::StartElement)
                Nodes += 1 + Reader.attributes().size();
            else if (t == QXmlStreamReader::Comment ||
                     (t == QXmlStreamReader::Characters && !Reader.isWhitespace()))
                ++Nodes;
            if (Nodes > MaxParamsNodes)
                throw ParseError(QStringLiteral("the file holds more than %1 nodes (elements, "
                                                "attributes, comments and texts)")
                                     .arg(MaxParamsNodes),
                                 Reader.lineNumber(), Reader.columnNumber());
            if (t == QXmlStreamReader::DTD && !Reader.entityDeclarations().isEmpty())
                throw ParseError(QStringLiteral("the document type declares entities, which a "
                                                "parameters file does not use"),
                                 Reader.lineNumber(), Reader.columnNumber());
            if (t == QXmlStreamReader::EndElement) {
                --Depth;
            } else if (t == QXmlStreamReader::StartElement) {
                if (++Depth > MaxParamsDepth)
                    throw ParseError(
                        QStringLiteral("elements are nested more than %1 deep").arg(MaxParamsDepth),
                        Reader.lineNumber(), Reader.columnNumber());
                QStringList Names;
                for (const QXmlStreamAttribute& a : Reader.attributes())
                    Names.append(a.qualifiedName().toString());
                Orders.push_back(Names);
            }
        }
        if (Reader.hasError())
            throw ParseError(Reader.errorString(), Reader.lineNumber(), Reader.columnNumber());
    }

    QDomDocument Doc;
    QString Message;
    int Line = 0;
    int Column = 0;
    if (!Doc.setContent(Bytes, false, &Message, &Line, &Column))
        throw ParseError(Message, Line, Column);
    fDocument = Doc;
    fActive = true;

    // Both passes meet the elements in the same document order.
    QDomNode Node = fDocument;
    for (const QStringList& Names : Orders) {
        const QDomElement E = NextElementInDocumentOrder(Node);
        if (E.isNull()) {
            fAttributeOrder.clear(); // out of step: natural order everywhere
            break;
        }
        if (Names.size() > 1)
            fAttributeOrder.insert(PositionKey(E), Names);
        Node = E;
    }
}

void TXMLDocument::Close() {
    fAttributeOrder.clear();
    fDocument = QDomDocument();
    fActive = false;
}

void TXMLDocument::Save() {
    if (!fActive)
        throw EFormatError(QStringLiteral("The parameters file \"%1\" is not open")
                               .arg(MyTypes::ExpandFileName(FileName)));
    const QByteArray Text = Serialize();
    MyTypes::WriteFileAtomically(FileName, reinterpret_cast<const uint8_t*>(Text.constData()),
                                 size_t(Text.size()));
}

QByteArray TXMLDocument::Serialize() const {
    QString Out = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    // The document type is not among the document's children: it goes first.
    if (!fDocument.doctype().name().isEmpty())
        WriteNode(Out, fDocument.doctype(), 0);
    for (QDomNode n = fDocument.firstChild(); !n.isNull(); n = n.nextSibling()) {
        if (n.isDocumentType())
            continue;
        // The text is written as UTF-8 whatever the old declaration said.
        if (n.isProcessingInstruction() && n.toProcessingInstruction().target().compare(
                                               QLatin1String("xml"), Qt::CaseInsensitive) == 0)
            continue;
        WriteNode(Out, n, 0);
    }
    return Out.toUtf8();
}

QStringList TXMLDocument::AttributeNames(const QDomElement& E) const {
    QStringList Names;
    const QDomNamedNodeMap Attrs = E.attributes();
    for (int i = 0; i < Attrs.count(); ++i)
        Names.append(Attrs.item(i).nodeName());
    std::sort(Names.begin(), Names.end(), NaturalLess);
    const auto Known = fAttributeOrder.constFind(PositionKey(E));
    if (Known == fAttributeOrder.constEnd())
        return Names;
    QStringList Ordered;
    for (const QString& a : *Known)
        if (Names.contains(a))
            Ordered.append(a);
    for (const QString& a : Names)
        if (!Ordered.contains(a))
            Ordered.append(a);
    return Ordered;
}

// Depth < 0 writes the node inline, adding no whitespace (inside mixed content).
void TXMLDocument::WriteNode(QString& Out, const QDomNode& Node, int Depth) const {
    const QString Indent = Depth > 0 ? QString(2 * Depth, QLatin1Char(' ')) : QString();
    const QString Newline = Depth >= 0 ? QStringLiteral("\n") : QString();
    if (Node.isElement()) {
        const QDomElement E = Node.toElement();
        Out += Indent + QLatin1Char('<') + E.tagName();
        for (const QString& a : AttributeNames(E)) {
            const QString Value = E.attribute(a);
            CheckXmlText(Value, E, QStringLiteral("attribute \"%1\"").arg(a));
            Out += QLatin1Char(' ') + a + QStringLiteral("=\"") + EscapeText(Value, true) +
                   QLatin1Char('"');
        }
        if (!E.hasChildNodes()) {
            Out += QStringLiteral("/>") + Newline;
            return;
        }
        bool Mixed = Depth < 0;
        for (QDomNode c = E.firstChild(); !Mixed && !c.isNull(); c = c.nextSibling())
            Mixed = IsInline(c);
        Out += QLatin1Char('>');
        if (!Mixed)
            Out += Newline;
        for (QDomNode c = E.firstChild(); !c.isNull(); c = c.nextSibling())
            WriteNode(Out, c, Mixed ? -1 : Depth + 1);
        Out += (Mixed ? QString() : Indent) + QStringLiteral("</") + E.tagName() +
               QLatin1Char('>') + Newline;
        return;
    }
    const QDomNode Parent = Node.parentNode();
    // A CDATA section is a text node too: it is told apart first.
    if (Node.isCDATASection()) {
        CheckXmlText(Node.nodeValue(), Parent, QStringLiteral("the text"));
        QString Data = Node.nodeValue();
        Data.replace(QLatin1String("]]>"), QLatin1String("]]]]><![CDATA[>"));
        Out += QStringLiteral("<![CDATA[") + Data + QStringLiteral("]]>");
    } else if (Node.isText()) {
        CheckXmlText(Node.nodeValue(), Parent, QStringLiteral("the text"));
        Out += EscapeText(Node.nodeValue(), false);
    } else if (Node.isComment()) {
        CheckXmlText(Node.nodeValue(), Node, QStringLiteral("the text"));
        Out += Indent + QStringLiteral("<!--") + Node.nodeValue() + QStringLiteral("-->") + Newline;
    } else if (Node.isProcessingInstruction()) {
        const QDomProcessingInstruction Pi = Node.toProcessingInstruction();
        Out += Indent + QStringLiteral("<?") + Pi.target() +
               (Pi.data().isEmpty() ? QString() : QLatin1Char(' ') + Pi.data()) +
               QStringLiteral("?>") + Newline;
    } else if (Node.isEntityReference()) {
        Out += QLatin1Char('&') + Node.nodeName() + QLatin1Char(';');
    } else if (Node.isDocumentType()) {
        QString Text;
        QTextStream Stream(&Text);
        Node.save(Stream, 0);
        Stream.flush();
        Out += Text.trimmed() + QLatin1Char('\n');
    }
}

// ---- Children and attributes ----------------------------------------------------------------

bool ParamsFile::IsCountedChild(const QDomNode& Node) {
    return Node.isElement() || Node.isComment();
}

QDomNode ParamsFile::FirstCountedChild(const QDomNode& Node) {
    QDomNode c = Node.firstChild();
    while (!c.isNull() && !IsCountedChild(c))
        c = c.nextSibling();
    return c;
}

QDomNode ParamsFile::NextCountedSibling(const QDomNode& Node) {
    QDomNode c = Node.nextSibling();
    while (!c.isNull() && !IsCountedChild(c))
        c = c.nextSibling();
    return c;
}

int ParamsFile::ChildCount(const QDomNode& Node) {
    int n = 0;
    for (QDomNode c = FirstCountedChild(Node); !c.isNull(); c = NextCountedSibling(c))
        ++n;
    return n;
}

QDomNode ParamsFile::ChildAt(const QDomNode& Node, int Index) {
    if (Index < 0)
        return QDomNode();
    QDomNode c = FirstCountedChild(Node);
    for (; !c.isNull() && Index > 0; --Index)
        c = NextCountedSibling(c);
    return c;
}

QString ParamsFile::DescribeNode(const QDomNode& Node) {
    QString s;
    if (Node.isElement())
        s = QStringLiteral("element \"%1\"").arg(Node.nodeName());
    else if (Node.isComment())
        s = QStringLiteral("comment");
    else if (Node.isNull())
        s = QStringLiteral("nothing");
    else
        s = QStringLiteral("node \"%1\"").arg(Node.nodeName());
    if (Node.lineNumber() > 0)
        s += QStringLiteral(" (line %1)").arg(Node.lineNumber());
    return s;
}

QDomNode ParamsFile::ContainerOf(const QDomElement& Root, int Index) {
    // Every operation needs all three containers, whichever one it reads or writes: a root with
    // fewer is not a parameters file this system can work on, and none is ever created.
    static const char* const Names[] = {"palettes", "map texture sets", "palette sets"};
    const int Count = ChildCount(Root);
    if (Count < 3)
        throw EFormatError(
            QStringLiteral("the root %1 has %2 of the three containers; the %3 container (child "
                           "%4) is missing")
                .arg(DescribeNode(Root))
                .arg(Count)
                .arg(QLatin1String(Names[Count]))
                .arg(Count + 1));
    return ChildAt(Root, Index);
}

QDomNode ParamsFile::Container(TXMLDocument& Doc, int Index) {
    return ContainerOf(Doc.DocumentElement(), Index);
}

QString ParamsFile::TextAttribute(const QDomNode& Node, const QString& Name) {
    const QDomElement E = Node.toElement();
    if (E.isNull() || !E.hasAttribute(Name))
        throw EFormatError(
            QStringLiteral("attribute \"%1\" of %2 is missing").arg(Name, DescribeNode(Node)));
    return E.attribute(Name);
}

int32_t ParamsFile::IntAttribute(const QDomNode& Node, const QString& Name) {
    const QString Text = TextAttribute(Node, Name);
    bool Ok = false;
    const int v = Text.trimmed().toInt(&Ok, 10);
    if (!Ok)
        throw EFormatError(QStringLiteral("attribute \"%1\" of %2 is not a whole number: \"%3\"")
                               .arg(Name, DescribeNode(Node), Text));
    return v;
}

// ---- Set lists ------------------------------------------------------------------------------

namespace {

// Appends the element Make(n) to container Index, n being the number of children the container
// holds in the file as read under its lock.
template <typename F> int AppendSet(TXMLDocument& Doc, int Index, F Make) {
    TParamsFileEdit Edit(Doc);
    int n = 0;
    try {
        const QDomNode c = ParamsFile::Container(Doc, Index);
        if (!c.isElement())
            throw EFormatError(QStringLiteral("the container for new sets is a %1, not an element")
                                   .arg(ParamsFile::DescribeNode(c)));
        n = ParamsFile::ChildCount(c);
        Edit.Append({Index}, Make(n));
    } catch (const EFormatError& e) {
        throw EFormatError(QStringLiteral("Parameters file \"%1\": %2")
                               .arg(MyTypes::ExpandFileName(Doc.FileName), e.Message()));
    }
    Edit.Commit();
    return n;
}

} // namespace

void ParamsFile::ReadMapSets(TXMLDocument& Doc, TSetArray& sa) {
    WithDocument(Doc, [&] {
        const QDomNode c = Container(Doc, 1);
        sa.assign(size_t(ChildCount(c)), TSet());
        size_t i = 0;
        try {
            for (QDomNode n = FirstCountedChild(c); !n.isNull(); n = NextCountedSibling(n), ++i) {
                TSet s;
                s.Name = TextAttribute(n, QStringLiteral("Name"));
                s.i1 = IntAttribute(n, QStringLiteral("Tex1"));
                s.i2 = IntAttribute(n, QStringLiteral("Tex2"));
                sa[i] = s;
            }
        } catch (...) {
            sa.resize(i);
            throw;
        }
    });
}

int ParamsFile::AppendMapSet(TXMLDocument& Doc, const TSet& cSet) {
    return AppendSet(Doc, 1, [&](int n) {
        return TXmlElementText{QStringLiteral("Set_%1").arg(n),
                               {{QStringLiteral("Name"), cSet.Name},
                                {QStringLiteral("Tex1"), QString::number(cSet.i1)},
                                {QStringLiteral("Tex2"), QString::number(cSet.i2)}},
                               {}};
    });
}

void ParamsFile::ReadPalSets(TXMLDocument& Doc, TPalSetArray& sa) {
    WithDocument(Doc, [&] {
        const QDomNode c = Container(Doc, 2);
        sa.assign(size_t(ChildCount(c)), TPalSet());
        size_t i = 0;
        try {
            for (QDomNode n = FirstCountedChild(c); !n.isNull(); n = NextCountedSibling(n), ++i) {
                TPalSet s;
                s.Name = TextAttribute(n, QStringLiteral("name"));
                for (int j = 0; j < 16; ++j) {
                    const QString Attr = QStringLiteral("p%1").arg(j + 1);
                    const int32_t v = IntAttribute(n, Attr);
                    if (v < 0 || v > 15)
                        throw EFormatError(
                            QStringLiteral(
                                "attribute \"%1\" of %2 is %3; a colour index is 0 to 15")
                                .arg(Attr, DescribeNode(n))
                                .arg(v));
                    s.pal[size_t(j)] = v;
                }
                sa[i] = s;
            }
        } catch (...) {
            sa.resize(i);
            throw;
        }
    });
}

int ParamsFile::AppendPalSet(TXMLDocument& Doc, const TPalletteArray& pal) {
    for (size_t j = 0; j < pal.size(); ++j)
        if (pal[j] < 0 || pal[j] > 15)
            throw EFormatError(QStringLiteral("mapping entry %1 is %2; a colour index is 0 to 15")
                                   .arg(j + 1)
                                   .arg(pal[j]));
    return AppendSet(Doc, 2, [&](int n) {
        TXmlElementText E{
            QStringLiteral("Set_%1").arg(n), {{QStringLiteral("name"), QString::number(n)}}, {}};
        for (size_t j = 0; j < pal.size(); ++j)
            E.Attributes.emplace_back(QStringLiteral("p%1").arg(j + 1), QString::number(pal[j]));
        return E;
    });
}

} // namespace velkora
