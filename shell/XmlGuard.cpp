// SPDX-License-Identifier: MIT
#include "shell/XmlGuard.h"

#include "shell/MyTypes.h"

#include <cstring>

namespace velkora {

namespace {

class TScanner {
public:
    TScanner(const QByteArray& Bytes, const QString& FileName, int MaxAttributes)
        : p(Bytes.constData()), n(Bytes.size()), fFileName(FileName), fMax(MaxAttributes) {}

    void Run();

private:
    [[noreturn]] void Fail(const QString& Message, qint64 AtLine) const {
        throw EFormatError(QStringLiteral("Cannot parse file \"%1\": %2 (line %3)")
                               .arg(fFileName, Message)
                               .arg(AtLine));
    }
    bool At(const char* Text) const {
        const qsizetype Length = qsizetype(std::strlen(Text));
        return i + Length <= n && std::memcmp(p + i, Text, size_t(Length)) == 0;
    }
    // Moves past the next End (which holds no line feed); false when the bytes end first.
    bool SkipPast(const char* End) {
        const char First = End[0];
        for (; i < n; ++i) {
            if (p[i] == '\n')
                ++fLine;
            else if (p[i] == First && At(End)) {
                i += qsizetype(std::strlen(End));
                return true;
            }
        }
        return false;
    }
    // The name that starts at i (at most 40 bytes of it, for a message); i moves past it.
    QString TakeName() {
        const qsizetype Start = i;
        while (i < n && !IsSpace(p[i]) && p[i] != '>' && p[i] != '/' && p[i] != '=' &&
               p[i] != '<' && p[i] != '"' && p[i] != '\'')
            ++i;
        const qsizetype Length = std::min<qsizetype>(i - Start, 40);
        return QString::fromUtf8(p + Start, Length) +
               (i - Start > 40 ? QStringLiteral("...") : QString());
    }
    static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
    void StartTag();
    void Declaration();
    void EntityDeclaration();

    const char* p;
    qsizetype n;
    qsizetype i = 0;
    qint64 fLine = 1;
    QString fFileName;
    int fMax;
};

void TScanner::Run() {
    while (i < n) {
        const char c = p[i];
        if (c == '\n') {
            ++fLine;
            ++i;
            continue;
        }
        if (c != '<') {
            ++i;
            continue;
        }
        if (At("<!--")) {
            i += 4;
            if (!SkipPast("-->"))
                return;
        } else if (At("<![CDATA[")) {
            i += 9;
            if (!SkipPast("]]>"))
                return;
        } else if (At("<?")) {
            i += 2;
            if (!SkipPast("?>"))
                return;
        } else if (At("<!ENTITY")) {
            EntityDeclaration();
        } else if (At("<!")) {
            Declaration();
        } else if (At("</")) {
            i += 2;
        } else {
            StartTag();
        }
    }
}

void TScanner::Declaration() {
    // A document type or a declaration of its internal subset: its quoted literals are skipped,
    // so that nothing in them is taken for markup, and the subset of a document type is scanned
    // on like the rest, so that each declaration in it is looked at.
    i += 2;
    while (i < n) {
        const char c = p[i];
        if (c == '\n') {
            ++fLine;
        } else if (c == '"' || c == '\'') {
            ++i;
            const char Quote[2] = {c, '\0'};
            if (!SkipPast(Quote))
                return;
            continue;
        } else if (c == '[' || c == '>') {
            ++i;
            return;
        } else if (c == '<') {
            return; // malformed: the parser says so
        }
        ++i;
    }
}

void TScanner::EntityDeclaration() {
    const qint64 Line = fLine;
    i += 8;
    while (i < n && (IsSpace(p[i]) || p[i] == '%')) {
        if (p[i] == '\n')
            ++fLine;
        ++i;
    }
    const QString Name = TakeName();
    Fail(QStringLiteral("the document declares the entity \"%1\"; declared entities are not "
                        "read, since no real file needs them and they can make a small file "
                        "expand without bound")
             .arg(Name),
         Line);
}

void TScanner::StartTag() {
    const qint64 Line = fLine;
    ++i;
    const QString Name = TakeName();
    // Each attribute has one "=" outside the quoted values.
    int Count = 0;
    while (i < n) {
        const char c = p[i];
        if (c == '\n') {
            ++fLine;
        } else if (c == '"' || c == '\'') {
            ++i;
            const char Quote[2] = {c, '\0'};
            if (!SkipPast(Quote))
                return;
            continue;
        } else if (c == '>') {
            ++i;
            return;
        } else if (c == '<') {
            return; // malformed: the parser says so
        } else if (c == '=' && ++Count > fMax) {
            Fail(QStringLiteral("the element <%1> has more than %2 attributes, more than any real "
                                "file needs")
                     .arg(Name)
                     .arg(fMax),
                 Line);
        }
        ++i;
    }
}

} // namespace

void XmlGuard::CheckXmlBytes(const QByteArray& Bytes, const QString& FileName, int MaxAttributes) {
    TScanner(Bytes, FileName, MaxAttributes).Run();
}

} // namespace velkora
