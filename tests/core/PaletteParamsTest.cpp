// SPDX-License-Identifier: MIT
// Palettes written into a user's parameters file: only the colour elements that change are
// rewritten, a palette appended lands where the readers take it, every other byte stays.

#include "palettes/PaletteParams.h"
#include "palettes/BmpMaker.h"
#include "tests/support/TestSupport.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace velkora;
using namespace velkora::test;

namespace {

QByteArray ReadText(const QString& FileName) {
    const TMyByteArray b = ReadBytes(FileName);
    return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

void WriteText(const QString& FileName, const QByteArray& Text) {
    WriteBytes(FileName, TMyByteArray(Text.begin(), Text.end()));
}

// A hand-edited file: a declaration, a comment and a document type before the root, CR LF line
// ends, tabs, single quotes, colour elements with attributes of their own, a palette of two
// colours, an element that ends the palettes followed by one the readers never reach.
const QByteArray HandMade = "<?xml version='1.0' encoding='UTF-8'?>\r\n"
                            "<!-- the game's colours -->\r\n"
                            "<!DOCTYPE Params>\r\n"
                            "<Params>\r\n"
                            "\t<Palettes>\r\n"
                            "\t\t<Pal0 note='sea'>\r\n"
                            "\t\t\t<C0 R='1' G=\"2\" B='&#51;'/>\r\n"
                            "\t\t\t<C1 id='x' B=\"6\"  G=\"5\" R=\"4\"></C1>\r\n"
                            "\t\t\t<C2 R=\"300\" G=\"0\" B=\"0\"/>\r\n"
                            "\t\t</Pal0>\r\n"
                            "\t\t<Pal1><K R='7' G='8' B='9'/><K R='10' G='11' B='12'/></Pal1>\r\n"
                            "\t\t<Other/>\r\n"
                            "\t\t<Pal9><C R='0' G='0' B='0'/></Pal9>\r\n"
                            "\t</Palettes>\r\n"
                            "\t<MapSets/>\r\n"
                            "\t<PalSets><!-- none --></PalSets>\r\n"
                            "</Params>\r\n";

// Text with every occurrence of From replaced by To, checking that From occurs exactly once.
QByteArray Replaced(const QByteArray& Text, const QByteArray& From, const QByteArray& To) {
    EXPECT_EQ(Text.count(From), 1) << From.toStdString();
    QByteArray Out = Text;
    return Out.replace(From, To);
}

template <typename F> std::string Refusal(F Body) {
    try {
        Body();
    } catch (const Exception& e) {
        return e.Message().toStdString();
    }
    return "";
}

TPalletteList Read(const QString& FileName) {
    TXMLDocument Doc;
    Doc.FileName = FileName;
    return BmpMaker::ReadPalettes(Doc);
}

} // namespace

// Changed colours rewrite their own elements and nothing else: the name and the other attributes
// stay, in the file's order; a colour that holds the value already (300 reads as 44) is left
// alone, and a file without a change is not written at all.
TEST(PaletteParams, ChangedColoursRewriteOnlyTheirOwnElements) {
    TempDir d;
    TXMLDocument Doc;
    Doc.FileName = d.file("XMLParams.xml");
    WriteText(Doc.FileName, HandMade);
    const QDateTime Before = QFileInfo(Doc.FileName).lastModified();
    EXPECT_FALSE(PaletteParams::WriteColours(Doc, {{0, 2, {44, 0, 0}}, {1, 1, {10, 11, 12}}}));
    EXPECT_EQ(ReadText(Doc.FileName), HandMade);
    EXPECT_EQ(QFileInfo(Doc.FileName).lastModified(), Before);

    EXPECT_TRUE(PaletteParams::WriteColours(
        Doc, {{0, 0, {9, 9, 9}}, {0, 1, {255, 128, 0}}, {1, 0, {70, 80, 90}}, {0, 0, {9, 8, 7}}}));
    QByteArray Want =
        Replaced(HandMade, "<C0 R='1' G=\"2\" B='&#51;'/>", "<C0 R=\"9\" G=\"8\" B=\"7\"/>");
    Want = Replaced(Want, "<C1 id='x' B=\"6\"  G=\"5\" R=\"4\"></C1>",
                    "<C1 id=\"x\" B=\"0\" G=\"128\" R=\"255\"/>");
    Want = Replaced(Want, "<K R='7' G='8' B='9'/>", "<K R=\"70\" G=\"80\" B=\"90\"/>");
    EXPECT_EQ(ReadText(Doc.FileName), Want);
    const TPalletteList p = Read(Doc.FileName);
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].Col[0].B, 7);
    EXPECT_EQ(p[0].Col[1].G, 128);
    EXPECT_EQ(p[1].Col[0].R, 70);
}

// A palette with fewer colour elements gets the missing ones, named as its own are and black
// where nothing else is given, so that the colour lands at its index; palettes the readers do not
// take, and colour elements that hold more than a colour, are refused with nothing written.
TEST(PaletteParams, MissingColoursAreAddedAndWhatCannotBeWrittenIsRefused) {
    TempDir d;
    TXMLDocument Doc;
    Doc.FileName = d.file("XMLParams.xml");
    WriteText(Doc.FileName, HandMade);
    EXPECT_TRUE(PaletteParams::WriteColours(Doc, {{1, 4, {1, 2, 3}}}));
    EXPECT_EQ(ReadText(Doc.FileName),
              Replaced(HandMade, "<K R='10' G='11' B='12'/></Pal1>",
                       "<K R='10' G='11' B='12'/><K R=\"0\" G=\"0\" B=\"0\"/><K R=\"0\" G=\"0\" "
                       "B=\"0\"/><K R=\"1\" G=\"2\" B=\"3\"/></Pal1>"));
    EXPECT_EQ(Read(Doc.FileName)[1].Col[4].B, 3);

    // C2 of Pal0 is numbered: the next ones follow its number.
    EXPECT_TRUE(PaletteParams::WriteColours(Doc, {{0, 3, {5, 5, 5}}}));
    EXPECT_TRUE(ReadText(Doc.FileName)
                    .contains("<C2 R=\"300\" G=\"0\" B=\"0\"/>\r\n\t\t\t<C3 R=\"5\" G=\"5\" "
                              "B=\"5\"/>\r\n\t\t</Pal0>"));

    const QByteArray Now = ReadText(Doc.FileName);
    EXPECT_EQ(Refusal([&] {
                  PaletteParams::WriteColours(Doc, {{2, 0, {1, 1, 1}}});
              }),
              "Parameters file \"" + Doc.FileName.toStdString() +
                  "\": it holds 2 palettes; palette 2 is not among them");
    WriteText(Doc.FileName, Replaced(Now, "<C0 R='1' G=\"2\" B='&#51;'/>",
                                     "<C0 R='1' G=\"2\" B='&#51;'><!-- keep --></C0>"));
    const QByteArray WithContent = ReadText(Doc.FileName);
    const std::string Why = Refusal([&] { PaletteParams::WriteColours(Doc, {{0, 0, {1, 1, 1}}}); });
    EXPECT_NE(Why.find("colour 0 of palette 0 is element \"C0\" (line 7), which holds more than a "
                       "colour"),
              std::string::npos)
        << Why;
    EXPECT_EQ(ReadText(Doc.FileName), WithContent);
}

// A new palette goes right after the last one the readers take (before the element that ends the
// list), named and laid out as its neighbours; in an empty container it is the first child.
TEST(PaletteParams, AnAppendedPaletteIsReadAsTheNextOne) {
    TempDir d;
    TXMLDocument Doc;
    Doc.FileName = d.file("XMLParams.xml");
    WriteText(Doc.FileName, HandMade);
    TPallette Pal;
    for (int c = 0; c < 16; ++c)
        Pal.Col[size_t(c)] = {uint8_t(c), uint8_t(2 * c), uint8_t(3 * c)};
    EXPECT_EQ(PaletteParams::AppendPalette(Doc, Pal), 2);
    QByteArray Element = "<Pal2>";
    const QByteArray Names[] = {"K", "K"};
    for (int c = 0; c < 16; ++c)
        Element += "\r\n\t\t\t<" + (c < 2 ? Names[c] : "Col" + QByteArray::number(c)) + " R=\"" +
                   QByteArray::number(c) + "\" G=\"" + QByteArray::number(2 * c) + "\" B=\"" +
                   QByteArray::number(3 * c) + "\"/>";
    Element += "\r\n\t\t</Pal2>\r\n\t\t";
    EXPECT_EQ(ReadText(Doc.FileName), Replaced(HandMade, "<Other/>", Element + "<Other/>"));
    const TPalletteList p = Read(Doc.FileName);
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[2].Col[15].B, 45);

    const QByteArray Empty = "<Params>\n  <Palettes/>\n  <MapSets/>\n  <PalSets/>\n</Params>\n";
    WriteText(Doc.FileName, Empty);
    EXPECT_EQ(PaletteParams::AppendPalette(Doc, Pal), 0);
    EXPECT_TRUE(
        ReadText(Doc.FileName).startsWith("<Params>\n  <Palettes>\n    <Pal0>\n      <Col0 "))
        << ReadText(Doc.FileName).toStdString();
    ASSERT_EQ(Read(Doc.FileName).size(), 1u);
    EXPECT_EQ(Read(Doc.FileName)[0].Col[1].G, 2);
}
