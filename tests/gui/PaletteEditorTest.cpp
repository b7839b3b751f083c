// SPDX-License-Identifier: MIT
// The palettes edited in the main window: a double-clicked swatch changes a colour through the
// colour dialog, every picture follows the change and its undo, File > Save palettes writes the
// colour into the parameters file and nothing else, and unsaved colours are asked about.

#include "palettes/PaletteEditor.h"
#include "maps/MapFrm.h"
#include "palettes/ChangePalletteFrm.h"
#include "palettes/PalFrm.h"
#include "shell/Application.h"
#include "shell/FileDialogs.h"
#include "shell/Session.h"
#include "shell/VelkoraProjectEditor.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"
#include "widgets/DrawGrid.h"
#include "widgets/ImageControl.h"
#include "workbench/SpritesFrm.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QSet>
#include <QToolButton>

#include <memory>

using namespace velkora;
using namespace velkora::test;

namespace {

QByteArray Read(const QString& File) {
    QFile f(File);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Write(const QString& File, const QByteArray& Data) {
    QFile f(File);
    if (!f.open(QIODevice::WriteOnly) || f.write(Data) != Data.size())
        qFatal("cannot write %s", qPrintable(File));
}

QList<QByteArray> Lines(const QString& File) {
    return Read(File).split('\n');
}

// The map workspace's map and item grid as they show now.
// The picture the workbench shows, and the colours in it.
QImage SpriteShown(const TMainFrm& w) {
    return w.SpritesFrm()->Image1->pixmap().toImage();
}

QSet<QRgb> Colours(const QImage& Picture) {
    QSet<QRgb> Found;
    for (int y = 0; y < Picture.height(); ++y)
        for (int x = 0; x < Picture.width(); ++x)
            Found.insert(Picture.pixel(x, y) | 0xFF000000u);
    return Found;
}

QImage MapItems(TMainForm& f) {
    const QImage Map = f.DrawGrid1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage Items = f.DrawGrid2->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage Both(Map.width() + Items.width(), std::max(Map.height(), Items.height()),
                QImage::Format_RGB32);
    Both.fill(Qt::black);
    QPainter p(&Both);
    p.drawImage(0, 0, Map);
    p.drawImage(Map.width(), 0, Items);
    return Both;
}

// Whether the map's cells (Col, Row) differ between two pictures of MapItems.
bool CellDiffers(TMainForm& f, const QImage& a, const QImage& b, int Col, int Row) {
    const QRect r = f.DrawGrid1->CellRect(Col, Row);
    return a.copy(r) != b.copy(r);
}

} // namespace

class PaletteEditorTest : public QObject {
    Q_OBJECT
    QStringList fErrors;

private slots:
    void init() {
        fErrors.clear();
        TApplication::SetErrorSink([this](const QString& m) { fErrors << m; });
        AskedQuestions().clear();
    }
    void cleanup() {
        AnswerDiscard();
        SetFileDialogSink(nullptr);
    }

    void aColourChangedSavedReadBackByTheToolAndUndone() {
        TempDir Dir;
        DataRoot Root(Dir.path());
        Root.AddSprite("A1.spr", PatternWords(225, 1));
        Root.Palettes = {DistinctPalette(0), DistinctPalette(1)};
        Root.MapSets = {{"Level", 0, 0}};
        Root.AddMap("Level1.Map", 4, 3, Bytes({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
        Root.WriteParams();
        const QString Params = Dir.file("XMLParams.xml");
        const QList<QByteArray> Original = Lines(Params);
        TSession Session(Dir.path());
        TMainFrm w(Session);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        TChPalFrm* Frame = w.ChPalFrm();
        TPaletteEditor* Editor = w.PaletteEditor();
        QVERIFY(Frame && Editor);
        QCOMPARE(w.windowTitle(), QString("A1.spr[*]"));

        // The map's items in palette 0 before any change.
        QTest::mouseClick(w.MapEditFrame, Qt::LeftButton);
        QCOMPARE(w.MapFrm()->FirstPalCmb->currentIndex(), 0);
        const QImage MapBefore = MapItems(*w.MapFrm());
        QTest::mouseClick(w.SpriteLoadFrame, Qt::LeftButton);

        // Double-click colour 5 of the mapping strip: the dialog shows that colour of the
        // palette the sprite is drawn in; Cancel changes nothing.
        const int P = Frame->SecondPalIndex();
        const auto Swatch = Frame->SwatchColour(Frame->fPalSel->Item(5));
        QVERIFY(Swatch && Swatch->first == P);
        const int C = Swatch->second;
        const QImage SpriteBefore = SpriteShown(w);
        QTest::mouseDClick(Frame->fPalSel->Item(5), Qt::LeftButton);
        QCOMPARE(AskedQuestions(),
                 QStringList({QString("Colour %1 of palette %2").arg(C).arg(P + 1)}));
        QVERIFY(!Editor->IsModified());

        QColor Shown;
        SetColourSink([&](const QColor& Initial, const QString&) -> std::optional<QColor> {
            Shown = Initial;
            return QColor(1, 2, 3);
        });
        QTest::mouseDClick(Frame->fPalSel->Item(5), Qt::LeftButton);
        const uint32_t Old = DistinctPalette(P)[size_t(C)];
        QCOMPARE(Shown, QColor(QRgb(Old)));
        QCOMPARE(Session.Palettes().Colour(P, C).B, uint8_t(3));
        // The sprite, the strip and the title follow.
        QCOMPARE(Colours(SpriteShown(w)).contains(qRgb(1, 2, 3)), true);
        QVERIFY(SpriteShown(w) != SpriteBefore);
        QCOMPARE(Frame->fPalSel->ColorProc()(5), QColor(1, 2, 3));
        QCOMPARE(w.windowTitle(), QString("A1.spr[*] \u2014 XMLParams.xml*"));
        // So do the map's items, drawn in the same palette.
        QTest::mouseClick(w.MapEditFrame, Qt::LeftButton);
        const QImage MapAfter = MapItems(*w.MapFrm());
        bool CellsFollow = false;
        for (int Cell = 0; Cell < 12; ++Cell)
            CellsFollow |= CellDiffers(*w.MapFrm(), MapBefore, MapAfter, Cell % 4, Cell / 4);
        QVERIFY(CellsFollow);
        QVERIFY(MapAfter.copy(MapBefore.width() - w.MapFrm()->DrawGrid2->width(), 0,
                              w.MapFrm()->DrawGrid2->width(), w.MapFrm()->DrawGrid2->height()) !=
                MapBefore.copy(MapBefore.width() - w.MapFrm()->DrawGrid2->width(), 0,
                               w.MapFrm()->DrawGrid2->width(), w.MapFrm()->DrawGrid2->height()));
        QTest::mouseClick(w.SpriteLoadFrame, Qt::LeftButton);
        QCOMPARE(Lines(Params), Original);

        // Ctrl+Alt+S saves: exactly the one colour element changed, read back by the tool.
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
        QVERIFY(!Editor->IsModified());
        QCOMPARE(w.windowTitle(), QString("A1.spr[*]"));
        const QList<QByteArray> Saved = Lines(Params);
        QCOMPARE(Saved.size(), Original.size());
        int Changed = 0;
        for (int i = 0; i < Saved.size(); ++i)
            if (Saved[i] != Original[i]) {
                ++Changed;
                QVERIFY2(Saved[i].contains("R=\"1\" G=\"2\" B=\"3\""), Saved[i].constData());
            }
        QCOMPARE(Changed, 1);
        QCOMPARE(RunTool({"palette", "export", Dir.file("p.hex"), "--params", Params, "--palette",
                          QString::number(P)}),
                 0);
        QCOMPARE(Lines(Dir.file("p.hex")).at(C), QByteArray("010203"));

        // Ctrl+Alt+Z undoes it: the colour, the pictures, and a change against the file again.
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(SpriteShown(w), SpriteBefore);
        QCOMPARE(Frame->fPalSel->ColorProc()(5), QColor(QRgb(Old)));
        QVERIFY(Editor->IsModified());
        QTest::mouseClick(w.MapEditFrame, Qt::LeftButton);
        QVERIFY(MapItems(*w.MapFrm()) == MapBefore);
        QTest::mouseClick(w.SpriteLoadFrame, Qt::LeftButton);

        // Quitting asks; Cancel keeps the window, Discard leaves the file as saved.
        AskedQuestions().clear();
        SetQuestionSink([](const QString& Question, const QStringList& Answers) {
            AskedQuestions() << Question;
            return int(Answers.indexOf("Cancel"));
        });
        TempDir Other;
        DataRoot OtherRoot(Other.path());
        w.OpenRootDialog = [&] { return Other.path(); };
        w.OpenRootAction->trigger();
        QCOMPARE(w.Session().CurrentDir(), Session.CurrentDir());
        QVERIFY(!w.close());
        QCOMPARE(AskedQuestions(), QStringList(2, "Save the changes to \"XMLParams.xml\"?"));
        QVERIFY(w.isVisible());
        AnswerDiscard();
        QVERIFY(w.close());
        QCOMPARE(Lines(Params), Saved);
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    // Palette > Export palette... and Import palette... through the file dialogs: a JASC-PAL file
    // read here by hand, a GIMP palette written here by hand; the import is one undoable step.
    void aPaletteIsExportedAndImportedThroughTheMenu() {
        TempDir Dir;
        DataRoot Root(Dir.path());
        Root.AddSprite("A1.spr", PatternWords(9, 1));
        Root.Palettes = {DistinctPalette(0), DistinctPalette(1)};
        Root.WriteParams();
        TSession Session(Dir.path());
        TMainFrm w(Session);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        TPaletteEditor* Editor = w.PaletteEditor();
        const int P = Editor->CurrentPalette();
        QVERIFY(w.PaletteMenu->menuAction()->isVisible());
        QVERIFY(w.PaletteMenu->actions().contains(Editor->ExportAction));

        QStringList Titles;
        QString Answer = Dir.file("out.pal");
        SetFileDialogSink([&](const TFileQuestion& q) {
            Titles << q.Title;
            return Answer;
        });
        Editor->ExportAction->trigger();
        const QList<QByteArray> Pal = Lines(Dir.file("out.pal"));
        QCOMPARE(Pal.mid(0, 3), QList<QByteArray>({"JASC-PAL\r", "0100\r", "16\r"}));
        for (int c = 0; c < 16; ++c) {
            const uint32_t v = DistinctPalette(P)[size_t(c)];
            QCOMPARE(Pal[3 + c],
                     QString("%1 %2 %3\r").arg(v >> 16).arg((v >> 8) & 255).arg(v & 255).toUtf8());
        }

        QByteArray Gimp = "GIMP Palette\nName: dusk\nColumns: 4\n#\n";
        for (int c = 0; c < 16; ++c)
            Gimp += QByteArray::number(c) + " " + QByteArray::number(100 + c) + " 7\tc\n";
        Write(Dir.file("dusk.gpl"), Gimp);
        Answer = Dir.file("dusk.gpl");
        const QImage Before = SpriteShown(w);
        Editor->ImportAction->trigger();
        QCOMPARE(Titles, QStringList({QString("Export palette %1").arg(P + 1),
                                      QString("Import palette %1").arg(P + 1)}));
        // What the sprite shows is drawn in the imported colours (or is the checkerboard).
        QSet<QRgb> Imported;
        for (int c = 0; c < 16; ++c)
            Imported.insert(qRgb(c, 100 + c, 7));
        QVERIFY(Colours(SpriteShown(w)).intersects(Imported));
        QVERIFY(Editor->IsModified());
        QVERIFY(Editor->UndoAction->text().contains("dusk.gpl"));
        Editor->UndoAction->trigger();
        QCOMPARE(SpriteShown(w), Before);
        QVERIFY(!Editor->IsModified());

        // Palette > Edit colour... edits the mapping strip's entry chosen last, the first before
        // any.
        AskedQuestions().clear();
        Editor->EditColourAction->trigger();
        const auto First = w.ChPalFrm()->SwatchColour(w.ChPalFrm()->fPalSel->Item(0));
        QVERIFY(First);
        QCOMPARE(
            AskedQuestions(),
            QStringList(
                {QString("Colour %1 of palette %2").arg(First->second).arg(First->first + 1)}));

        // Seventeen colours are refused with the count; nothing changes.
        Write(Dir.file("dusk.gpl"), Gimp + "1 2 3\n");
        Editor->ImportAction->trigger();
        QCOMPARE(fErrors.size(), 1);
        QVERIFY2(fErrors[0].contains("holds 17 colours; a palette has 16"), qPrintable(fErrors[0]));
        QVERIFY(!Editor->IsModified());
    }
};

VELKORA_GUI_TEST_MAIN(PaletteEditorTest)
#include "PaletteEditorTest.moc"
