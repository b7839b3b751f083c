// SPDX-License-Identifier: MIT
// The parameters file: opening and parse errors, counted children, attribute conversion, the set
// readers and the appends that must keep every other byte of content and never leave half a file.

#include "shell/ParamsFile.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace velkora;
using namespace velkora::test;

namespace {

void WriteText(const QString& FileName, const QByteArray& Text) {
    WriteBytes(FileName, TMyByteArray(Text.begin(), Text.end()));
}

QByteArray ReadText(const QString& FileName) {
    const TMyByteArray b = ReadBytes(FileName);
    return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

// The message of the error E that Body raises; fails the test when it raises none.
template <typename E, typename F> QString ErrorOf(F Body) {
    try {
        Body();
    } catch (const E& e) {
        return e.Message();
    }
    ADD_FAILURE() << "no error raised";
    return QString();
}

// A dump of a tree: node kinds, names, attributes (sorted) and values, one line per node.
void Dump(const QDomNode& n, QString& Out, int Depth = 0) {
    for (QDomNode c = n.firstChild(); !c.isNull(); c = c.nextSibling()) {
        if (c.isProcessingInstruction() && c.nodeName() == "xml")
            continue;
        Out += QString(Depth, ' ') + QString::number(c.nodeType()) + ' ' + c.nodeName();
        QStringList Attrs;
        const QDomNamedNodeMap m = c.attributes();
        for (int i = 0; i < m.count(); ++i)
            Attrs << m.item(i).nodeName() + '=' + m.item(i).nodeValue();
        Attrs.sort();
        Out += ' ' + Attrs.join(',') + ' ' + c.nodeValue() + '\n';
        Dump(c, Out, Depth + 1);
    }
}

QString TreeOf(const QString& FileName) {
    QDomDocument d;
    EXPECT_TRUE(d.setContent(ReadText(FileName), false));
    QString s;
    Dump(d, s);
    return s;
}

const QByteArray FullFile = R"(<?xml version="1.0" encoding="UTF-8"?>
<!-- kept before the root -->
<Params>
  <Palettes>
    <Pal0><C R="1" G="2" B="3"/></Pal0>
  </Palettes>
  <MapSets>
    <Set_0 Name="A : B" Tex1="4" Tex2="5"/>
    <!-- a comment inside the map sets -->
  </MapSets>
  <PalSets>
    <Set_0 name="0" p1="0" p2="1" p3="2" p4="3" p5="4" p6="5" p7="6" p8="7" p9="8" p10="9" p11="10" p12="11" p13="12" p14="13" p15="14" p16="15"/>
  </PalSets>
  <Unknown keep="yes">some &amp; text<![CDATA[raw <data>]]><Inner/></Unknown>
  <?app instruction?>
</Params>
)";

} // namespace

TEST(XMLDocument, OpenReportsMissingAndUnparsableFilesByName) {
    TempDir d;
    TXMLDocument Doc;
    Doc.FileName = d.file("XMLParams.xml");
    EXPECT_EQ(ErrorOf<EFOpenError>([&] { Doc.Open(); }),
              QString("Cannot open file \"%1\". No such file or directory").arg(Doc.FileName));
    EXPECT_FALSE(Doc.Active());

    WriteText(Doc.FileName, "<a>\n  <b>\n</a>\n");
    const QString m = ErrorOf<EFormatError>([&] { Doc.Open(); });
    EXPECT_TRUE(m.startsWith(QString("Cannot parse file \"%1\": ").arg(Doc.FileName)))
        << m.toStdString();
    EXPECT_TRUE(m.contains("line 3, column")) << m.toStdString();
    EXPECT_FALSE(Doc.Active());

    WriteText(Doc.FileName, "");
    EXPECT_TRUE(ErrorOf<EFormatError>([&] { Doc.Open(); }).contains("Cannot parse file"));

    // Absurd nesting is refused quickly rather than parsed in quadratic time.
    WriteText(Doc.FileName, "<R><P/><M/><S/>" + QByteArray("<a>").repeated(100000) +
                                QByteArray("</a>").repeated(100000) + "</R>");
    EXPECT_TRUE(ErrorOf<EFormatError>([&] {
                    Doc.Open();
                }).endsWith("elements are nested more than 256 deep (line 1, column 783)"));
    WriteText(Doc.FileName,
              "<R><P/><M/><S>" + QByteArray("<a b='1'/>").repeated(125000) + "</S></R>");
    EXPECT_TRUE(ErrorOf<EFormatError>([&] {
                    Doc.Open();
                }).contains("the file holds more than 250000 nodes"));
}

TEST(XMLDocument, EntitiesAndCrowdedElementsAreRefusedBeforeAnyParser) {
    TempDir d;
    TXMLDocument Doc;
    Doc.FileName = d.file("XMLParams.xml");
    // 1.1 MB, one element of 100,000 attributes: parsed, this takes minutes (the parsers check
    // each attribute against all before it); refused at once, naming the element and its line.
    QByteArray Crowded = "<R>\n<P/>\n<M/>\n<S>\n<Set_9";
    for (int i = 0; i < 100000; ++i)
        Crowded += " a" + QByteArray::number(i) + "='0'";
    WriteText(Doc.FileName, Crowded + "/>\n</S></R>\n");
    EXPECT_EQ(ErrorOf<EFormatError>([&] { Doc.Open(); }),
              QString("Cannot parse file \"%1\": the element <Set_9> has more than 64 attributes, "
                      "more than any real file needs (line 5)")
                  .arg(Doc.FileName));
    // 309 KB repeating one flat entity 100,000 times: expanded, it takes gigabytes.
    WriteText(Doc.FileName, "<?xml version='1.0'?>\n<!DOCTYPE R [\n  <!ENTITY x \"" +
                                QByteArray(3000, 'x') + "\">\n]>\n<R><P/><M/><S>" +
                                QByteArray("&x;").repeated(100000) + "</S></R>\n");
    EXPECT_EQ(ErrorOf<EFormatError>([&] { Doc.Open(); }),
              QString("Cannot parse file \"%1\": the document declares the entity \"x\"; declared "
                      "entities are not read, since no real file needs them and they can make a "
                      "small file expand without bound (line 3)")
                  .arg(Doc.FileName));
    // A quoted literal that looks like the start of a comment hides nothing.
    WriteText(Doc.FileName, "<!DOCTYPE R [\n<!ATTLIST a b CDATA '<!--'>\n<!ENTITY y \"y\">\n"
                            "<!ATTLIST c d CDATA '-->'>\n]>\n<R><P/><M/><S>&y;</S></R>\n");
    EXPECT_TRUE(ErrorOf<EFormatError>([&] { Doc.Open(); })
                    .contains("the document declares the entity \"y\"; declared entities are not "
                              "read, since no real file needs them and they can make a small file "
                              "expand without bound (line 3)"));
    EXPECT_FALSE(Doc.Active());

    // What only looks like them is read: 64 attributes, "=" in values, "<!ENTITY" in comments,
    // CDATA and processing instructions, and a document type that declares nothing.
    QByteArray Busy = "<?xml version='1.0'?>\n<!DOCTYPE R>\n<!-- <!ENTITY no \"1\"> a=b c=d -->\n"
                      "<R><P/><M/><S><Set_0";
    for (int i = 0; i < 64; ++i)
        Busy += " a" + QByteArray::number(i) + (i % 2 ? "='=a='" : "=\"==\"");
    Busy += "/><?pi " + QByteArray("x=1 ").repeated(100) + "?><![CDATA[<!ENTITY " +
            QByteArray("y=2 ").repeated(100) + "]]></S></R>";
    WriteText(Doc.FileName, Busy);
    Doc.Open();
    EXPECT_EQ(Doc.DocumentElement().elementsByTagName("Set_0").at(0).attributes().count(), 64);
    Doc.Close();
}

TEST(XMLDocument, RelativeNameResolvesAgainstTheCurrentDirectoryAtEachOpen) {
    TempDir a, b;
    WriteText(a.file("XMLParams.xml"), "<R><X/><Y/><Z><S name='a'/></Z></R>");
    WriteText(b.file("XMLParams.xml"), "<R><X/><Y/><Z/></R>");
    TXMLDocument Doc;
    Doc.FileName = "XMLParams.xml";
    const QString Old = QDir::currentPath();
    QDir::setCurrent(a.path());
    EXPECT_EQ(ParamsFile::ChildCount(ParamsFile::Container((Doc.Open(), Doc), 2)), 1);
    QDir::setCurrent(b.path());
    EXPECT_EQ(ParamsFile::ChildCount(ParamsFile::Container((Doc.Open(), Doc), 2)), 0);
    Doc.Close();
    QDir::setCurrent(Old);
}

TEST(XMLDocument, ElementsAndCommentsAreChildrenButTextIsNot) {
    QDomDocument d;
    ASSERT_TRUE(d.setContent(QByteArray("<R>\n  <!-- one -->\n  text <A/>\n  <![CDATA[x]]>"
                                        "<?pi data?>\n  <B/>\n</R>"),
                             false));
    const QDomElement R = d.documentElement();
    EXPECT_EQ(ParamsFile::ChildCount(R), 3);
    EXPECT_TRUE(ParamsFile::ChildAt(R, 0).isComment());
    EXPECT_EQ(ParamsFile::ChildAt(R, 1).nodeName(), "A");
    EXPECT_EQ(ParamsFile::ChildAt(R, 2).nodeName(), "B");
    EXPECT_TRUE(ParamsFile::ChildAt(R, 3).isNull());
    EXPECT_TRUE(ParamsFile::ChildAt(R, -1).isNull());
    EXPECT_EQ(ParamsFile::NextCountedSibling(ParamsFile::ChildAt(R, 1)).nodeName(), "B");
    EXPECT_EQ(ParamsFile::ChildCount(ParamsFile::ChildAt(R, 1)), 0);
}

TEST(XMLDocument, WholeNumberAttributes) {
    QDomDocument d;
    ASSERT_TRUE(d.setContent(QByteArray("<R>\n<E a='12' b=' 7 ' c='+3' d='-1' e='2147483647'"
                                        " f='' g='abc' h='1.5' i='0x10' j='2147483648' k='1 2'/>"
                                        "</R>"),
                             false));
    const QDomNode E = ParamsFile::ChildAt(d.documentElement(), 0);
    EXPECT_EQ(ParamsFile::IntAttribute(E, "a"), 12);
    EXPECT_EQ(ParamsFile::IntAttribute(E, "b"), 7);
    EXPECT_EQ(ParamsFile::IntAttribute(E, "c"), 3);
    EXPECT_EQ(ParamsFile::IntAttribute(E, "d"), -1);
    EXPECT_EQ(ParamsFile::IntAttribute(E, "e"), 2147483647);
    for (const char* Bad : {"f", "g", "h", "i", "j", "k"})
        EXPECT_EQ(
            ErrorOf<EFormatError>([&] { ParamsFile::IntAttribute(E, Bad); }),
            QString("attribute \"%1\" of element \"E\" (line 2) is not a whole number: \"%2\"")
                .arg(Bad, E.toElement().attribute(Bad)));
    EXPECT_EQ(ErrorOf<EFormatError>([&] { ParamsFile::IntAttribute(E, "R"); }),
              "attribute \"R\" of element \"E\" (line 2) is missing");
    EXPECT_EQ(ParamsFile::TextAttribute(E, "f"), "");
    EXPECT_EQ(ErrorOf<EFormatError>(
                  [&] { ParamsFile::TextAttribute(ParamsFile::ChildAt(E, 0), "Name"); }),
              "attribute \"Name\" of nothing is missing");
}

TEST(SetLists, ReadBothListsInDocumentOrder) {
    TempDir d;
    TXMLDocument Doc;
    Doc.FileName = d.file("XMLParams.xml");
    WriteText(Doc.FileName, "<R><P/><M><Anything Name='x : y' Tex1='3' Tex2=' 9'/>"
                            "<Set_1 Tex2='0' Tex1='1' Name=''/></M><S/></R>");
    TSetArray Maps{TSet{7, 7, "old"}};
    ParamsFile::ReadMapSets(Doc, Maps);
    ASSERT_EQ(Maps.size(), 2u);
    EXPECT_EQ(Maps[0].Name, "x : y");
    EXPECT_EQ(Maps[0].i1, 3);
    EXPECT_EQ(Maps[0].i2, 9);
    EXPECT_EQ(Maps[1].Name, "");
    EXPECT_EQ(Maps[1].i1, 1);
    TPalSetArray Pals{TPalSet{}};
    ParamsFile::ReadPalSets(Doc, Pals);
    EXPECT_TRUE(Pals.empty());
    EXPECT_FALSE(Doc.Active());
}

TEST(SetLists, ErrorsNameAttributeAndSetAndKeepTheEntriesBefore) {
    TempDir d;
    TXMLDocument Doc;
    Doc.FileName = d.file("XMLParams.xml");
    QByteArray Sets = "<R><P/>\n<M>\n<Set_0 Name='a' Tex1='1' Tex2='2'/>\n"
                      "<Set_1 Name='b' Tex1='1'/>\n<Set_2 Name='c' Tex1='1' Tex2='2'/></M>\n<S>\n";
    auto PalSet = [](int n, const QString& p5) {
        QString s = QString("<Set_%1 name='%1'").arg(n);
        for (int j = 1; j <= 16; ++j)
            s += QString(" p%1='%2'").arg(j).arg(j == 5 ? p5 : QString::number(j - 1));
        return (s + "/>\n").toUtf8();
    };
    Sets += PalSet(0, "4") + PalSet(1, "15") + PalSet(2, "16") + "</S></R>";
    WriteText(Doc.FileName, Sets);
    const QString File = QString("Parameters file \"%1\": ").arg(Doc.FileName);

    TSetArray Maps;
    EXPECT_EQ(ErrorOf<EFormatError>([&] { ParamsFile::ReadMapSets(Doc, Maps); }),
              File + "attribute \"Tex2\" of element \"Set_1\" (line 4) is missing");
    ASSERT_EQ(Maps.size(), 1u);
    EXPECT_EQ(Maps[0].Name, "a");
    EXPECT_FALSE(Doc.Active());

    TPalSetArray Pals;
    EXPECT_EQ(ErrorOf<EFormatError>([&] { ParamsFile::ReadPalSets(Doc, Pals); }),
              File + "attribute \"p5\" of element \"Set_2\" (line 9) is 16; a colour index is 0 "
                     "to 15");
    ASSERT_EQ(Pals.size(), 2u);
    EXPECT_EQ(Pals[1].pal[4], 15);
    EXPECT_EQ(Pals[1].Name, "1");

    Sets.replace("p5='16'", "p5='-1'");
    WriteText(Doc.FileName, Sets);
    EXPECT_TRUE(ErrorOf<EFormatError>([&] {
                    ParamsFile::ReadPalSets(Doc, Pals);
                }).contains("attribute \"p5\" of element \"Set_2\" (line 9) is -1"));
    Sets.replace("p5='-1'", "p5='five'");
    WriteText(Doc.FileName, Sets);
    EXPECT_TRUE(ErrorOf<EFormatError>([&] {
                    ParamsFile::ReadPalSets(Doc, Pals);
                }).contains("attribute \"p5\" of element \"Set_2\" (line 9) is not a whole"));

    // A comment among the sets is a set without attributes.
    WriteText(Doc.FileName, "<R><P/><M><!-- note --></M><S/></R>");
    EXPECT_TRUE(ErrorOf<EFormatError>([&] {
                    ParamsFile::ReadMapSets(Doc, Maps);
                }).endsWith("attribute \"Name\" of comment (line 1) is missing"));
    EXPECT_TRUE(Maps.empty());
}

TEST(SetLists, ARootWithoutTheNeededContainerIsAnErrorAndNothingIsWritten) {
    TempDir d;
    TXMLDocument Doc;
    Doc.FileName = d.file("XMLParams.xml");
    const QByteArray Two =
        "<Root>\n  <P/>\n  <M><Set_0 Name='a' Tex1='1' Tex2='2'/></M>\n</Root>\n";
    WriteText(Doc.FileName, Two);
    TPalSetArray Pals(1); // left as it was
    EXPECT_EQ(ErrorOf<EFormatError>([&] { ParamsFile::ReadPalSets(Doc, Pals); }),
              QString("Parameters file \"%1\": the root element \"Root\" (line 1) has 2 of the "
                      "three containers; the palette sets container (child 3) is missing")
                  .arg(Doc.FileName));
    EXPECT_EQ(Pals.size(), 1u);
    EXPECT_TRUE(ErrorOf<EFormatError>([&] {
                    ParamsFile::AppendPalSet(Doc, MyTypes::IdentityPallette());
                }).contains("the palette sets container (child 3) is missing"));
    EXPECT_EQ(ReadText(Doc.FileName), Two);

    TSetArray Maps(2); // every operation needs all three containers, not only its own
    EXPECT_TRUE(ErrorOf<EFormatError>([&] {
                    ParamsFile::ReadMapSets(Doc, Maps);
                }).contains("the palette sets container (child 3) is missing"));
    EXPECT_EQ(Maps.size(), 2u);
    EXPECT_TRUE(ErrorOf<EFormatError>([&] {
                    ParamsFile::AppendMapSet(Doc, TSet{1, 2, "x"});
                }).contains("has 2 of the three containers"));
    EXPECT_EQ(ReadText(Doc.FileName), Two);
    WriteText(Doc.FileName, "<Root><P/></Root>");
    EXPECT_TRUE(ErrorOf<EFormatError>([&] {
                    ParamsFile::AppendMapSet(Doc, TSet{1, 2, "x"});
                }).contains("the map texture sets container (child 2) is missing"));
    EXPECT_EQ(ReadText(Doc.FileName), "<Root><P/></Root>");
    EXPECT_FALSE(Doc.Active());
}

TEST(SetLists, AppendKeepsEverythingElseAndWritesTheStatedAttributeOrder) {
    TempDir d;
    TXMLDocument Doc;
    Doc.FileName = d.file("XMLParams.xml");
    WriteText(Doc.FileName, FullFile);

    TPalletteArray Pal = MyTypes::IdentityPallette();
    Pal[0] = 15;
    ParamsFile::AppendPalSet(Doc, Pal);
    ParamsFile::AppendMapSet(Doc, TSet{12, 0, QString::fromUtf8("Äpfel : <Birnen> & \"Co\"")});
    EXPECT_FALSE(Doc.Active());

    const QByteArray After = ReadText(Doc.FileName);
    EXPECT_TRUE(
        After.contains("<Set_1 name=\"1\" p1=\"15\" p2=\"1\" p3=\"2\" p4=\"3\" p5=\"4\" "
                       "p6=\"5\" p7=\"6\" p8=\"7\" p9=\"8\" p10=\"9\" p11=\"10\" p12=\"11\" "
                       "p13=\"12\" p14=\"13\" p15=\"14\" p16=\"15\"/>"))
        << After.toStdString();
    // The new set's number is the container's children as the file holds them: the comment
    // among the map sets counts.
    EXPECT_TRUE(After.contains("<Set_2 Name=\"Äpfel : &lt;Birnen&gt; &amp; &quot;Co&quot;\" "
                               "Tex1=\"12\" Tex2=\"0\"/>"))
        << After.toStdString();
    // Elements read from the file keep their attribute order.
    EXPECT_TRUE(After.contains("<C R=\"1\" G=\"2\" B=\"3\"/>"));
    EXPECT_TRUE(After.contains("<Set_0 Name=\"A : B\" Tex1=\"4\" Tex2=\"5\"/>"));

    // The tree is the old one plus the two new sets, each the last child of its container.
    QDomDocument Expected;
    ASSERT_TRUE(Expected.setContent(FullFile, false));
    const QDomElement Root = Expected.documentElement();
    QDomElement NewPal = Expected.createElement("Set_1");
    NewPal.setAttribute("name", 1);
    for (int j = 1; j <= 16; ++j)
        NewPal.setAttribute(QString("p%1").arg(j), Pal[j - 1]);
    ParamsFile::ChildAt(Root, 2).appendChild(NewPal);
    QDomElement NewMap = Expected.createElement("Set_2");
    NewMap.setAttribute("Name", QString::fromUtf8("Äpfel : <Birnen> & \"Co\""));
    NewMap.setAttribute("Tex1", 12);
    NewMap.setAttribute("Tex2", 0);
    ParamsFile::ChildAt(Root, 1).appendChild(NewMap);
    QString ExpectedTree;
    Dump(Expected, ExpectedTree);
    EXPECT_EQ(TreeOf(Doc.FileName).toStdString(), ExpectedTree.toStdString());
    EXPECT_EQ(TreeOf(Doc.FileName).count("#comment"), 2);

    TPalSetArray Pals;
    ParamsFile::ReadPalSets(Doc, Pals);
    ASSERT_EQ(Pals.size(), 2u);
    EXPECT_EQ(Pals[1].pal, Pal);
    EXPECT_EQ(Pals[1].Name, "1");
    // The comment among the map sets is a set without attributes, still on its own line.
    TSetArray Maps;
    EXPECT_TRUE(ErrorOf<EFormatError>([&] {
                    ParamsFile::ReadMapSets(Doc, Maps);
                }).contains("attribute \"Name\" of comment (line 9) is missing"));
    EXPECT_EQ(Maps.size(), 1u);
}

TEST(SetLists, TheFirstSetOfAnEmptyListIsSet0) {
    TempDir d;
    TXMLDocument Doc;
    Doc.FileName = d.file("XMLParams.xml");
    WriteText(Doc.FileName, "<R><P/><M/><S/></R>");
    TSetArray Maps;
    ParamsFile::ReadMapSets(Doc, Maps);
    ASSERT_TRUE(Maps.empty());
    EXPECT_EQ(ParamsFile::AppendMapSet(Doc, TSet{1, 2, "a : b"}), 0);
    ParamsFile::ReadMapSets(Doc, Maps);
    ASSERT_EQ(Maps.size(), 1u);
    EXPECT_EQ(Maps[0].Name, "a : b");
    EXPECT_EQ(Maps[0].i2, 2);
    EXPECT_TRUE(ReadText(Doc.FileName).contains("<Set_0 Name=\"a : b\" Tex1=\"1\" Tex2=\"2\"/>"));
}

TEST(SetLists, AFailedAppendLeavesTheFileAsItWas) {
    TempDir d;
    TXMLDocument Doc;
    Doc.FileName = d.file("XMLParams.xml");
    WriteText(Doc.FileName, FullFile);
    const qint64 Size = FullFile.size();

    QString Message;
    EXPECT_EQ(RunWithFileSizeLimit(
                  uint64_t(Size) + 20,
                  [&] { ParamsFile::AppendPalSet(Doc, MyTypes::IdentityPallette()); }, &Message),
              1);
    EXPECT_TRUE(Message.contains(Doc.FileName)) << Message.toStdString();
    EXPECT_EQ(ReadText(Doc.FileName), FullFile);
    EXPECT_EQ(QDir(d.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    // Values the readers would refuse are refused before anything is written.
    TPalletteArray Bad = MyTypes::IdentityPallette();
    Bad[3] = 16;
    EXPECT_EQ(ErrorOf<EFormatError>([&] { ParamsFile::AppendPalSet(Doc, Bad); }),
              "mapping entry 4 is 16; a colour index is 0 to 15");
    EXPECT_TRUE(ErrorOf<EFormatError>([&] {
                    ParamsFile::AppendMapSet(Doc, TSet{0, 0, "bad\x01name"});
                }).contains("U+0001, which an XML file cannot store"));
    EXPECT_EQ(ReadText(Doc.FileName), FullFile);

    // A folder that cannot take the temporary file: the error comes back, the file stays.
    ASSERT_TRUE(QFile::setPermissions(d.path(), QFile::ReadOwner | QFile::ExeOwner));
    if (!QFileInfo(d.path()).isWritable()) {
        EXPECT_THROW(ParamsFile::AppendMapSet(Doc, TSet{0, 0, "x"}), Exception);
        EXPECT_EQ(ReadText(Doc.FileName), FullFile);
    }
    QFile::setPermissions(d.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(SetLists, AFileInAnotherEncodingKeepsItsEncoding) {
    TempDir d;
    TXMLDocument Doc;
    Doc.FileName = d.file("XMLParams.xml");
    const QByteArray Old = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
                           "<R><P/><M><S Name=\"caf\xE9 : x\" Tex1=\"1\" Tex2=\"2\"/></M><S/></R>";
    WriteText(Doc.FileName, Old);
    // A name the encoding cannot hold is written as character references.
    ParamsFile::AppendMapSet(Doc, TSet{3, 4, QString::fromUtf8("n\u00e9\u0416")});
    const QByteArray Text = ReadText(Doc.FileName);
    const qsizetype At = Old.indexOf("/></M>") + 2;
    EXPECT_EQ(Text,
              Old.left(At) + "<Set_1 Name=\"n\xE9&#1046;\" Tex1=\"3\" Tex2=\"4\"/>" + Old.mid(At));
    TSetArray Maps;
    ParamsFile::ReadMapSets(Doc, Maps);
    ASSERT_EQ(Maps.size(), 2u);
    EXPECT_EQ(Maps[0].Name, QString::fromUtf8("café : x"));
    EXPECT_EQ(Maps[1].Name, QString::fromUtf8("n\u00e9\u0416"));
}
