// SPDX-License-Identifier: MIT
#include "shell/ParamsEdit.h"

#include "shell/SaveFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <algorithm>
#include <climits>
#include <optional>
#include <unistd.h>

namespace velkora {

namespace {

// The lock beside Target: "<name>.lock", or a short name derived from it where that would be
// longer than the folder takes.
QString LockName(const QString& Target) {
    const qsizetype Slash = Target.lastIndexOf(QLatin1Char('/'));
    const QString Folder = Target.left(Slash > 0 ? Slash : 0);
    const QByteArray Base = Target.mid(Slash + 1).toUtf8();
    long NameMax =
        ::pathconf(QFile::encodeName(Folder.isEmpty() ? QStringLiteral("/") : Folder).constData(),
                   _PC_NAME_MAX);
    if (NameMax <= 0)
        NameMax = NAME_MAX;
    if (Base.size() + 5 <= NameMax)
        return Target + QStringLiteral(".lock");
    return Folder + QStringLiteral("/.") +
           QString::fromLatin1(
               QCryptographicHash::hash(Base, QCryptographicHash::Sha1).toHex().left(16)) +
           QStringLiteral(".lock");
}

bool StartsWith(const QByteArray& b, std::initializer_list<int> Prefix) {
    if (b.size() < qsizetype(Prefix.size()))
        return false;
    qsizetype i = 0;
    for (int c : Prefix)
        if (uint8_t(b.at(i++)) != c)
            return false;
    return true;
}

// The encoding named in the XML declaration of an ASCII-compatible text, or an empty name.
QByteArray DeclaredEncoding(const QByteArray& Bytes) {
    if (!Bytes.startsWith("<?xml"))
        return QByteArray();
    const qsizetype End = Bytes.indexOf("?>");
    if (End < 0)
        return QByteArray();
    static const QRegularExpression Pattern(
        QStringLiteral("\\sencoding\\s*=\\s*[\"']([A-Za-z0-9._-]+)[\"']"));
    const QRegularExpressionMatch m = Pattern.match(QString::fromLatin1(Bytes.left(End)));
    return m.hasMatch() ? m.captured(1).toLatin1() : QByteArray();
}

bool IsBlank(QStringView Text) {
    for (const QChar c : Text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n') &&
            c != QLatin1Char('\r'))
            return false;
    return true;
}

} // namespace

TParamsFileEdit::TParamsFileEdit(TXMLDocument& Doc)
    : fDoc(Doc), fFull(MyTypes::ExpandFileName(Doc.FileName)) {
    // A file that cannot be read is reported as every reader reports it, before a lock is made.
    (void)MyTypes::ReadFileBytes(fDoc.FileName, MaxParamsFileSize);
    Lock();
    fDoc.Open();
    try {
        const TMyByteArray Data = MyTypes::ReadFileBytes(fDoc.FileName, MaxParamsFileSize);
        Decode(QByteArray(reinterpret_cast<const char*>(Data.data()), qsizetype(Data.size())));
        Parse();
        // The tree and the text are the same file: their counted children agree.
        const QDomElement Root = fDoc.DocumentElement();
        bool Same = ChildCount({}) == ParamsFile::ChildCount(Root);
        for (int i = 0; Same && i < std::min(ChildCount({}), 3); ++i)
            Same = !NodeAt({i}).Element ||
                   ChildCount({i}) == ParamsFile::ChildCount(ParamsFile::ChildAt(Root, i));
        if (!Same)
            throw EFormatError(
                QStringLiteral("The parameters file \"%1\" changed while it was read; try again")
                    .arg(fFull));
    } catch (...) {
        fDoc.Close();
        throw;
    }
}

TParamsFileEdit::~TParamsFileEdit() {
    fDoc.Close();
}

void TParamsFileEdit::Lock() {
    // The lock belongs to the file itself, wherever links lead to it, so that every editor of it
    // takes the same lock.
    QString Target;
    try {
        Target = SaveFile::FinalTarget(fDoc.FileName);
    } catch (const EFCreateError&) {
        return; // the save cannot be made either; it says why
    }
    auto Lock = std::make_unique<QLockFile>(LockName(Target));
    if (Lock->tryLock(LockWaitMs)) {
        fLock = std::move(Lock);
        return;
    }
    if (Lock->error() == QLockFile::LockFailedError)
        throw EFCreateError(fFull,
                            QStringLiteral("Another program is changing it (it holds the lock "
                                           "file \"%1\"); try again later")
                                .arg(LockName(Target)));
}

void TParamsFileEdit::Decode(const QByteArray& Bytes) {
    // The encoding the file is in, by its byte order mark, its first characters or its
    // declaration.
    std::optional<QStringConverter::Encoding> Encoding;
    if (StartsWith(Bytes, {0xEF, 0xBB, 0xBF}))
        Encoding = QStringConverter::Utf8;
    else if (StartsWith(Bytes, {0x00, 0x00, 0xFE, 0xFF}) || StartsWith(Bytes, {0, 0, 0, '<'}))
        Encoding = QStringConverter::Utf32BE;
    else if (StartsWith(Bytes, {0xFF, 0xFE, 0x00, 0x00}) || StartsWith(Bytes, {'<', 0, 0, 0}))
        Encoding = QStringConverter::Utf32LE;
    else if (StartsWith(Bytes, {0xFE, 0xFF}) || StartsWith(Bytes, {0, '<', 0, '?'}))
        Encoding = QStringConverter::Utf16BE;
    else if (StartsWith(Bytes, {0xFF, 0xFE}) || StartsWith(Bytes, {'<', 0, '?', 0}))
        Encoding = QStringConverter::Utf16LE;
    const QByteArray Declared = DeclaredEncoding(Bytes);
    if (!Encoding && Declared.isEmpty())
        Encoding = QStringConverter::Utf8;
    if (!Encoding) {
        Encoding = QStringConverter::encodingForName(Declared.constData());
        if (!Encoding || *Encoding == QStringConverter::System) {
            // An encoding the editor cannot write: a file of plain ASCII is the same text in
            // any of them, and new text is written as ASCII with character references.
            bool Ascii = true;
            for (const char c : Bytes)
                Ascii = Ascii && uint8_t(c) < 0x80;
            if (!Ascii)
                throw EFormatError(
                    QStringLiteral("The parameters file \"%1\" is in the encoding \"%2\", which "
                                   "the editor cannot write without changing other bytes")
                        .arg(fFull, QString::fromLatin1(Declared)));
            Encoding = QStringConverter::Latin1;
            fMaxDirect = 0x7F;
        }
    }
    fEncoding = *Encoding;
    if (fEncoding == QStringConverter::Latin1 && fMaxDirect > 0xFF)
        fMaxDirect = 0xFF;
    QStringDecoder Decoder(fEncoding, QStringConverter::Flag::ConvertInitialBom);
    fText = Decoder.decode(Bytes);
    QStringEncoder Encoder(fEncoding);
    if (Decoder.hasError() || QByteArray(Encoder.encode(fText)) != Bytes)
        throw EFormatError(
            QStringLiteral("The parameters file \"%1\" holds bytes that are not valid in its "
                           "encoding; it cannot be changed without changing them")
                .arg(fFull));
    fBom = fText.startsWith(QChar(0xFEFF)) ? 1 : 0;
    fNewline =
        fText.contains(QLatin1String("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
}

void TParamsFileEdit::Parse() {
    std::vector<TNode> Nodes;
    int Root = -1;
    QXmlStreamReader Reader(fText.mid(fBom));
    Reader.setNamespaceProcessing(false);
    std::vector<int> Open;
    int64_t Count = 0;
    auto Fail = [&](const QString& Message) {
        return EFormatError(QStringLiteral("Cannot parse file \"%1\": %2 (line %3, column %4)")
                                .arg(fFull, Message)
                                .arg(Reader.lineNumber())
                                .arg(Reader.columnNumber()));
    };
    // Where each token ends is exact; where it begins is found from there: nothing inside a tag
    // is a "<", nothing inside a comment is "<!--".
    const auto Expect = [&](qsizetype At, const QString& Text) {
        if (At < 0 || QStringView(fText).mid(At, Text.size()) != Text)
            throw Fail(QStringLiteral("the text does not read as expected"));
    };
    while (!Reader.atEnd()) {
        const QXmlStreamReader::TokenType t = Reader.readNext();
        const qsizetype Off = fBom + qsizetype(Reader.characterOffset());
        if (t == QXmlStreamReader::StartElement) {
            if (++Count > MaxParamsNodes || int(Open.size()) >= MaxParamsDepth)
                throw Fail(QStringLiteral("the file is too large to change"));
            TNode n;
            n.Name = Reader.qualifiedName().toString();
            n.Begin = fText.lastIndexOf(QLatin1Char('<'), Off - 1);
            Expect(n.Begin, QLatin1Char('<') + n.Name);
            n.StartTagEnd = Off;
            const int Index = int(Nodes.size());
            if (Open.empty())
                Root = Index;
            else
                Nodes[size_t(Open.back())].Children.push_back(Index);
            Nodes.push_back(std::move(n));
            Open.push_back(Index);
        } else if (t == QXmlStreamReader::EndElement) {
            if (Open.empty())
                throw Fail(QStringLiteral("an end tag without its start"));
            TNode& n = Nodes[size_t(Open.back())];
            Open.pop_back();
            if (Off == n.StartTagEnd) {
                Expect(Off - 2, QStringLiteral("/>"));
                n.EndTagBegin = Off;
            } else {
                n.EndTagBegin = fText.lastIndexOf(QLatin1Char('<'), Off - 1);
                Expect(n.EndTagBegin, QStringLiteral("</") + n.Name);
            }
            n.End = Off;
        } else if (t == QXmlStreamReader::Comment && !Open.empty()) {
            if (++Count > MaxParamsNodes)
                throw Fail(QStringLiteral("the file is too large to change"));
            TNode n;
            n.Element = false;
            n.Begin = fText.lastIndexOf(QLatin1String("<!--"), Off - 7);
            Expect(n.Begin, QStringLiteral("<!--"));
            Expect(Off - 3, QStringLiteral("-->"));
            n.End = n.StartTagEnd = n.EndTagBegin = Off;
            Nodes[size_t(Open.back())].Children.push_back(int(Nodes.size()));
            Nodes.push_back(std::move(n));
        }
    }
    if (Reader.hasError())
        throw Fail(Reader.errorString());
    if (Root < 0)
        throw Fail(QStringLiteral("the file has no root element"));
    fNodes = std::move(Nodes);
    fRoot = Root;
}

const TParamsFileEdit::TNode& TParamsFileEdit::NodeAt(const TParamsPath& Path) const {
    int Index = fRoot;
    QString Where = QStringLiteral("the root element");
    for (const int k : Path) {
        const TNode& n = fNodes[size_t(Index)];
        if (k < 0 || size_t(k) >= n.Children.size())
            throw EFormatError(QStringLiteral("%1 has no child %2").arg(Where).arg(k + 1));
        Index = n.Children[size_t(k)];
        Where = QStringLiteral("child %1 of %2").arg(k + 1).arg(Where);
    }
    return fNodes[size_t(Index)];
}

const TParamsFileEdit::TNode& TParamsFileEdit::ElementAt(const TParamsPath& Path) const {
    const TNode& n = NodeAt(Path);
    if (!n.Element)
        throw EFormatError(QStringLiteral("the comment (line %1) is not an element")
                               .arg(fText.left(n.Begin).count(QLatin1Char('\n')) + 1));
    return n;
}

int TParamsFileEdit::ChildCount(const TParamsPath& Parent) const {
    return int(NodeAt(Parent).Children.size());
}

std::pair<bool, QString> TParamsFileEdit::LineIndent(qsizetype Pos) const {
    qsizetype i = Pos;
    while (i > 0 && (fText.at(i - 1) == QLatin1Char(' ') || fText.at(i - 1) == QLatin1Char('\t')))
        --i;
    if (i == 0 || fText.at(i - 1) == QLatin1Char('\n'))
        return {true, fText.mid(i, Pos - i)};
    return {false, QString()};
}

QString TParamsFileEdit::LeadBefore(qsizetype Pos) const {
    const auto [LineStart, Indent] = LineIndent(Pos);
    if (LineStart)
        return fNewline + Indent;
    qsizetype i = Pos;
    while (i > 0 && (fText.at(i - 1) == QLatin1Char(' ') || fText.at(i - 1) == QLatin1Char('\t')))
        --i;
    return fText.mid(i, Pos - i);
}

QString TParamsFileEdit::IndentUnit() const {
    // What a child's indent adds to its parent's, from the first pair on lines of their own.
    std::vector<int> Pending = {fRoot};
    for (size_t k = 0; k < Pending.size() && k < 64; ++k) {
        const TNode& Parent = fNodes[size_t(Pending[k])];
        const auto [ParentAtStart, ParentIndent] = LineIndent(Parent.Begin);
        for (const int c : Parent.Children) {
            const auto [AtStart, Indent] = LineIndent(fNodes[size_t(c)].Begin);
            if (ParentAtStart && AtStart && Indent.size() > ParentIndent.size() &&
                Indent.startsWith(ParentIndent))
                return Indent.mid(ParentIndent.size());
            if (fNodes[size_t(c)].Element)
                Pending.push_back(c);
        }
    }
    return QStringLiteral("  ");
}

QString TParamsFileEdit::Escape(const QString& Value, const QString& What,
                                const QString& Owner) const {
    const int Bad = ParamsFile::FirstBadXmlChar(Value);
    if (Bad >= 0)
        throw EFormatError(
            QStringLiteral("%1 of element \"%2\" holds the character U+%3, which an XML file "
                           "cannot store")
                .arg(What, Owner)
                .arg(Bad, 4, 16, QLatin1Char('0')));
    QString Out;
    Out.reserve(Value.size());
    for (qsizetype i = 0; i < Value.size(); ++i) {
        const QChar ch = Value.at(i);
        char32_t Code = ch.unicode();
        if (ch.isHighSurrogate() && i + 1 < Value.size())
            Code = QChar::surrogateToUcs4(ch, Value.at(++i));
        switch (Code) {
        case '&':
            Out += QLatin1String("&amp;");
            continue;
        case '<':
            Out += QLatin1String("&lt;");
            continue;
        case '>':
            Out += QLatin1String("&gt;");
            continue;
        case '"':
            Out += QLatin1String("&quot;");
            continue;
        case '\t':
        case '\n':
        case '\r':
            Out += QStringLiteral("&#%1;").arg(uint(Code));
            continue;
        default:
            break;
        }
        if (Code > fMaxDirect)
            Out += QStringLiteral("&#%1;").arg(uint(Code));
        else
            Out += QString::fromUcs4(&Code, 1);
    }
    return Out;
}

QString TParamsFileEdit::Serialize(const TXmlElementText& Element, const QString& Indent) const {
    QString Out = QLatin1Char('<') + Element.Name;
    for (const auto& [Name, Value] : Element.Attributes)
        Out += QLatin1Char(' ') + Name + QStringLiteral("=\"") +
               Escape(Value, QStringLiteral("attribute \"%1\"").arg(Name), Element.Name) +
               QLatin1Char('"');
    if (Element.Children.empty())
        return Out + QStringLiteral("/>");
    Out += QLatin1Char('>');
    const QString Inner = Indent + IndentUnit();
    for (const TXmlElementText& Child : Element.Children)
        Out += fNewline + Inner + Serialize(Child, Inner);
    return Out + fNewline + Indent + QStringLiteral("</") + Element.Name + QLatin1Char('>');
}

void TParamsFileEdit::Splice(qsizetype Begin, qsizetype End, const QString& Text) {
    const QString Old = fText;
    fText.replace(Begin, End - Begin, Text);
    try {
        Parse();
    } catch (const EFormatError&) {
        // Never reached with well-formed names; a change that would not read back is not made.
        fText = Old;
        Parse();
        throw EFormatError(QStringLiteral("The parameters file \"%1\" would not read back after "
                                          "the change; nothing was written")
                               .arg(fFull));
    }
}

void TParamsFileEdit::Append(const TParamsPath& Parent, const TXmlElementText& Element) {
    const TNode& p = ElementAt(Parent);
    if (!p.Children.empty()) {
        // After the last child, placed as it is.
        const TNode& Last = fNodes[size_t(p.Children.back())];
        const QString Lead = LeadBefore(Last.Begin);
        const QString Text = Lead + Serialize(Element, LineIndent(Last.Begin).second);
        Splice(Last.End, Last.End, Text);
        return;
    }
    // The first child: on a line of its own, one step in from its parent.
    const QString Indent = LineIndent(p.Begin).second;
    const QString Inner = Indent + IndentUnit();
    const QString Child = fNewline + Inner + Serialize(Element, Inner);
    if (p.End == p.StartTagEnd) {
        // <Sets/> becomes <Sets>...</Sets>.
        QString Tag = fText.mid(p.Begin, p.StartTagEnd - 2 - p.Begin);
        while (Tag.endsWith(QLatin1Char(' ')) || Tag.endsWith(QLatin1Char('\t')) ||
               Tag.endsWith(QLatin1Char('\n')) || Tag.endsWith(QLatin1Char('\r')))
            Tag.chop(1);
        Splice(p.Begin, p.End,
               Tag + QLatin1Char('>') + Child + fNewline + Indent + QStringLiteral("</") + p.Name +
                   QLatin1Char('>'));
    } else if (IsBlank(QStringView(fText).mid(p.StartTagEnd, p.EndTagBegin - p.StartTagEnd))) {
        Splice(p.StartTagEnd, p.EndTagBegin, Child + fNewline + Indent);
    } else {
        // Text without elements: the new one goes after it.
        Splice(p.EndTagBegin, p.EndTagBegin, Serialize(Element, Indent));
    }
}

void TParamsFileEdit::Insert(const TParamsPath& Before, const TXmlElementText& Element) {
    if (Before.empty())
        throw EFormatError(QStringLiteral("nothing can be added beside the root element"));
    const TNode& b = NodeAt(Before);
    const QString Text = Serialize(Element, LineIndent(b.Begin).second) + LeadBefore(b.Begin);
    Splice(b.Begin, b.Begin, Text);
}

void TParamsFileEdit::Replace(const TParamsPath& Node, const TXmlElementText& Element) {
    const TNode& n = ElementAt(Node);
    Splice(n.Begin, n.End, Serialize(Element, LineIndent(n.Begin).second));
}

QByteArray TParamsFileEdit::Bytes() const {
    QStringEncoder Encoder(fEncoding);
    return Encoder.encode(fText);
}

void TParamsFileEdit::Commit() {
    const QByteArray Data = Bytes();
    MyTypes::WriteFileAtomically(fDoc.FileName, reinterpret_cast<const uint8_t*>(Data.constData()),
                                 size_t(Data.size()));
}

} // namespace velkora
