// SPDX-License-Identifier: MIT
#include "palettes/PaletteParams.h"

#include "shell/ParamsEdit.h"

#include <QRegularExpression>

#include <map>

namespace velkora {

namespace {

// The palette elements of the open document, as the readers take them: the leading children of
// the palettes container whose names begin with "Pal".
std::vector<QDomElement> PaletteElements(TXMLDocument& Doc) {
    const QDomNode Container = ParamsFile::Container(Doc, 0);
    if (!Container.isElement())
        throw EFormatError(QStringLiteral("the palettes container is a %1, not an element")
                               .arg(ParamsFile::DescribeNode(Container)));
    std::vector<QDomElement> Out;
    for (QDomNode p = ParamsFile::FirstCountedChild(Container);
         !p.isNull() && p.nodeName().startsWith(QLatin1String("Pal"));
         p = ParamsFile::NextCountedSibling(p))
        Out.push_back(p.toElement());
    return Out;
}

// Whether the colour element holds Value as the readers take it.
bool Holds(const QDomNode& Colour, const TCol& Value) {
    try {
        return uint8_t(ParamsFile::IntAttribute(Colour, QStringLiteral("R"))) == Value.R &&
               uint8_t(ParamsFile::IntAttribute(Colour, QStringLiteral("G"))) == Value.G &&
               uint8_t(ParamsFile::IntAttribute(Colour, QStringLiteral("B"))) == Value.B;
    } catch (const EFormatError&) {
        return false;
    }
}

std::pair<QString, QString> Channels(const TCol& c, int i) {
    static const QString Names[] = {QStringLiteral("R"), QStringLiteral("G"), QStringLiteral("B")};
    const uint8_t v = i == 0 ? c.R : i == 1 ? c.G : c.B;
    return {Names[i], QString::number(v)};
}

// A new colour element.
TXmlElementText NewColour(const QString& Name, const TCol& Value) {
    return {Name, {Channels(Value, 0), Channels(Value, 1), Channels(Value, 2)}, {}};
}

// Colour element E holding Value instead: its name and other attributes as they are.
TXmlElementText ChangedColour(const TXMLDocument& Doc, const QDomElement& E, const TCol& Value) {
    TXmlElementText Out{E.tagName(), {}, {}};
    bool Written[3] = {false, false, false};
    for (const QString& a : Doc.AttributeNames(E)) {
        int Channel = -1;
        for (int i = 0; i < 3; ++i)
            if (a == Channels(Value, i).first)
                Channel = i;
        if (Channel < 0) {
            Out.Attributes.emplace_back(a, E.attribute(a));
        } else {
            Out.Attributes.push_back(Channels(Value, Channel));
            Written[Channel] = true;
        }
    }
    for (int i = 0; i < 3; ++i)
        if (!Written[i])
            Out.Attributes.push_back(Channels(Value, i));
    return Out;
}

// Like with the number it ends in Step higher (as wide as that number, or wider); none when Like
// ends in no digit or in a number too long to count.
std::optional<QString> Renumbered(const QString& Like, int Step) {
    static const QRegularExpression Pattern(QStringLiteral("^(.*?)([0-9]{1,9})$"));
    const QRegularExpressionMatch m = Pattern.match(Like);
    if (!m.hasMatch())
        return std::nullopt;
    return m.captured(1) + QStringLiteral("%1").arg(m.captured(2).toLongLong() + Step,
                                                    int(m.capturedLength(2)), 10, QLatin1Char('0'));
}

// Runs Body on the file as read under its lock; Body returns whether it changed the text, which is
// then written. A content error gets the file's name in front.
template <typename F> bool EditFile(TXMLDocument& Doc, F Body) {
    TParamsFileEdit File(Doc);
    bool Changed = false;
    try {
        Changed = Body(File);
    } catch (const EFormatError& e) {
        throw EFormatError(QStringLiteral("Parameters file \"%1\": %2")
                               .arg(MyTypes::ExpandFileName(Doc.FileName), e.Message()));
    }
    if (Changed)
        File.Commit();
    return Changed;
}

} // namespace

bool PaletteParams::WriteColours(TXMLDocument& Doc, const std::vector<TColourChange>& Changes) {
    // By palette and colour, the last change of a colour winning.
    std::map<int, std::map<int, TCol>> ByPalette;
    for (const TColourChange& c : Changes) {
        if (c.Colour < 0 || c.Colour > 15)
            throw EListError(c.Colour);
        ByPalette[c.Palette][c.Colour] = c.Value;
    }
    return EditFile(Doc, [&](TParamsFileEdit& File) {
        bool Changed = false;
        const std::vector<QDomElement> Palettes = PaletteElements(Doc);
        for (const auto& [p, Colours] : ByPalette) {
            if (p < 0 || size_t(p) >= Palettes.size())
                throw EFormatError(
                    QStringLiteral("it holds %1 palettes; palette %2 is not among them")
                        .arg(Palettes.size())
                        .arg(p));
            std::vector<QDomNode> Elements;
            for (QDomNode c = ParamsFile::FirstCountedChild(Palettes[size_t(p)]); !c.isNull();
                 c = ParamsFile::NextCountedSibling(c))
                Elements.push_back(c);
            const int Last = Colours.rbegin()->first;
            for (int c = 0; c <= Last; ++c) {
                const auto Change = Colours.find(c);
                if (size_t(c) < Elements.size()) {
                    if (Change == Colours.end() || Holds(Elements[size_t(c)], Change->second))
                        continue;
                    const QDomNode& Node = Elements[size_t(c)];
                    if (!Node.isElement() || Node.hasChildNodes())
                        throw EFormatError(
                            QStringLiteral("colour %1 of palette %2 is %3, which holds more than "
                                           "a colour; change it in a text editor")
                                .arg(c)
                                .arg(p)
                                .arg(ParamsFile::DescribeNode(Node)));
                    File.Replace({0, p, c}, ChangedColour(Doc, Node.toElement(), Change->second));
                } else {
                    // A colour the file lacks reads as black.
                    QString Name = QStringLiteral("Col%1").arg(c);
                    if (!Elements.empty() && Elements.back().isElement())
                        Name = Renumbered(Elements.back().nodeName(), c + 1 - int(Elements.size()))
                                   .value_or(Elements.back().nodeName());
                    File.Append({0, p},
                                NewColour(Name, Change == Colours.end() ? TCol() : Change->second));
                }
                Changed = true;
            }
        }
        return Changed;
    });
}

bool PaletteParams::ReplacePalette(TXMLDocument& Doc, int N, const TPallette& Pal) {
    std::vector<TColourChange> Changes;
    for (int c = 0; c < 16; ++c)
        Changes.push_back({N, c, Pal.Col[size_t(c)]});
    return WriteColours(Doc, Changes);
}

int PaletteParams::AppendPalette(TXMLDocument& Doc, const TPallette& Pal) {
    int N = 0;
    EditFile(Doc, [&](TParamsFileEdit& File) {
        const std::vector<QDomElement> Palettes = PaletteElements(Doc);
        N = int(Palettes.size());
        TXmlElementText E{QStringLiteral("Pal%1").arg(N), {}, {}};
        std::vector<QString> Names;
        if (!Palettes.empty()) {
            const QDomElement& Last = Palettes.back();
            E.Name = Renumbered(Last.tagName(), 1).value_or(E.Name);
            for (QDomNode c = ParamsFile::FirstCountedChild(Last); !c.isNull();
                 c = ParamsFile::NextCountedSibling(c))
                Names.push_back(c.isElement() ? c.nodeName() : QString());
        }
        for (int c = 0; c < 16; ++c) {
            const QString Name = size_t(c) < Names.size() ? Names[size_t(c)] : QString();
            E.Children.push_back(NewColour(Name.isEmpty() ? QStringLiteral("Col%1").arg(c) : Name,
                                           Pal.Col[size_t(c)]));
        }
        // Before whatever ends the list of palettes, so that the new one is read with them.
        if (N < File.ChildCount({0}))
            File.Insert({0, N}, E);
        else
            File.Append({0}, E);
        return true;
    });
    return N;
}

} // namespace velkora
