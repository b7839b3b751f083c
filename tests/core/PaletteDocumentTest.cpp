// SPDX-License-Identifier: MIT
// The palettes as a document without any view: every change, undo and redo is heard by the views,
// the modified state follows the undo stack, and a save writes what differs from the file.

#include "palettes/PaletteDocument.h"
#include "shell/Session.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace velkora;
using namespace velkora::test;

namespace {

QByteArray ReadText(const QString& FileName) {
    const TMyByteArray b = ReadBytes(FileName);
    return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

uint32_t Rgb(const TCol& c) {
    return uint32_t(c.R) << 16 | uint32_t(c.G) << 8 | c.B;
}

} // namespace

TEST(PaletteDocument, ChangesUndoRedoAndSaveOnlyWhatDiffersFromTheFile) {
    TempDir Dir;
    DataRoot Root(Dir.path());
    Root.Palettes = {DistinctPalette(0), DistinctPalette(1), DistinctPalette(2)};
    Root.WriteParams();
    TSession Session(Dir.path());
    TPaletteDocument& d = Session.Palettes();
    QSignalSpy Changed(&d, &TPaletteDocument::PalettesChanged);
    QSignalSpy Modified(&d, &TPaletteDocument::ModifiedChanged);
    Session.ReadParameters();
    ASSERT_EQ(d.Count(), 3);
    ASSERT_EQ(Changed.size(), 1);
    EXPECT_EQ(Changed.takeFirst().at(0).toInt(), -1);
    EXPECT_FALSE(d.IsModified());
    EXPECT_EQ(&Session.PalletteArray(), &d.Palettes());

    d.SetColour(1, 5, {1, 2, 3});
    d.SetColour(1, 5, {1, 2, 3}); // the colour it has: no step
    EXPECT_EQ(d.UndoStack()->count(), 1);
    EXPECT_EQ(d.UndoStack()->undoText(), "colour 5 of palette 2");
    ASSERT_EQ(Changed.size(), 1);
    EXPECT_EQ(Changed.takeFirst().at(0).toInt(), 1);
    EXPECT_TRUE(d.IsModified());
    EXPECT_EQ(Modified.size(), 1);
    EXPECT_EQ(Rgb(Session.PalletteArray()[1].Col[5]), 0x010203u);
    d.UndoStack()->undo();
    EXPECT_EQ(Rgb(d.Colour(1, 5)), DistinctPalette(1)[5]);
    EXPECT_FALSE(d.IsModified());
    EXPECT_EQ(Changed.size(), 1);
    d.UndoStack()->redo();
    EXPECT_EQ(Rgb(d.Colour(1, 5)), 0x010203u);
    EXPECT_THROW(d.SetColour(3, 0, {}), EListError);
    EXPECT_THROW(d.SetColour(0, 16, {}), EListError);

    TPallette Imported;
    for (int c = 0; c < 16; ++c)
        Imported.Col[size_t(c)] = {uint8_t(c), 0, 0};
    d.SetPalette(2, Imported, "import of x.gpl into palette 3");
    EXPECT_EQ(d.UndoStack()->undoText(), "import of x.gpl into palette 3");

    // The save writes both palettes' changes and leaves palette 0's elements as they were.
    const QString File = Root.Root() + "/XMLParams.xml";
    const QByteArray Old = ReadText(File);
    d.Save();
    EXPECT_FALSE(d.IsModified());
    const QByteArray Saved = ReadText(File);
    EXPECT_EQ(Saved.left(Old.indexOf("<Pal1")), Old.left(Old.indexOf("<Pal1")));
    EXPECT_EQ(Saved.mid(Saved.indexOf("</Palettes>")), Old.mid(Old.indexOf("</Palettes>")));
    {
        TSession Again(Dir.path());
        Again.ReadParameters();
        EXPECT_EQ(Rgb(Again.PalletteArray()[1].Col[5]), 0x010203u);
        EXPECT_EQ(Rgb(Again.PalletteArray()[2].Col[15]), 0x0F0000u);
        EXPECT_EQ(Rgb(Again.PalletteArray()[1].Col[4]), DistinctPalette(1)[4]);
    }

    // An undo after the save is a change of the saved file's colours, and is saved as one.
    d.UndoStack()->undo();
    EXPECT_TRUE(d.IsModified());
    d.Save();
    TSession Third(Dir.path());
    Third.ReadParameters();
    EXPECT_EQ(Rgb(Third.PalletteArray()[2].Col[15]), DistinctPalette(2)[15]);
    EXPECT_EQ(Rgb(Third.PalletteArray()[1].Col[5]), 0x010203u);

    // A save that fails leaves the file and the document as they were.
    d.SetColour(0, 0, {9, 9, 9});
    ASSERT_TRUE(QFile::remove(File));
    EXPECT_THROW(d.Save(), EFOpenError);
    EXPECT_TRUE(d.IsModified());
    EXPECT_FALSE(QFile::exists(File));
    EXPECT_EQ(Rgb(d.Colour(0, 0)), 0x090909u);
}
