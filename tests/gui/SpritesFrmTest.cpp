// SPDX-License-Identifier: MIT
// The sprite workbench driven through its controls, with the palette-set frame docked into it as
// the main window does, on small data roots built with the project's own writers.

#include "workbench/SpritesFrm.h"
#include "palettes/BmpMaker.h"
#include "palettes/ChangePalletteFrm.h"
#include "shell/Application.h"
#include "shell/Session.h"
#include "sprites/CompDecompUnit.h"
#include "sprites/SpriteEditor.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/support/DataRoot.h"
#include "tests/support/TestSupport.h"
#include "workbench/PngLayoutDialog.h"
#include "workbench/SpriteView.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QUndoStack>
#include <QWheelEvent>

#include <memory>

using namespace velkora;

namespace {

const TMyArray LibraryWords = test::PatternWords(100, 1);            // A1.spr, compressed
const TMyArray SecondWords = test::PatternWords(30, 2);              // A2.spr, uncompressed
const TMyArray TinyWords = {0x1234, 0x5678, 0x9ABC, 0xDEF0, 0x0F0F}; // B7.spr: no whole tile

// The palette sets of the data root; set 0, selected at start, is the identity.
TPalletteArray Reversed() {
    TPalletteArray m{};
    for (int c = 0; c < 16; ++c)
        m[size_t(c)] = 15 - c;
    return m;
}
TPalletteArray Rotated() {
    TPalletteArray m{};
    for (int c = 0; c < 16; ++c)
        m[size_t(c)] = (c + 5) % 16;
    return m;
}

// Every pixel of Words through the mapping m.
TMyArray Mapped(const TMyArray& Words, const TPalletteArray& m) {
    TMyArray Out(Words.size());
    for (size_t i = 0; i < Words.size(); ++i) {
        uint16_t w = 0;
        for (int k = 3; k >= 0; --k)
            w = uint16_t((w << 4) | (m[size_t((Words[i] >> (4 * k)) & 15)] & 15));
        Out[i] = w;
    }
    return Out;
}

// What the bitmap maker draws for these words in the workbench's 230 x 96 view.
QImage Rendered(const TMyArray& Words, int Size, const TPalletteList& Palettes, int PalI,
                bool IsCW) {
    TSpriteInfo s;
    s.Bytes = Words;
    s.GenerateBlocArray();
    QImage B;
    BmpMaker::MakeBMPImage(B, s.BlocksArray, SpriteSize[size_t(Size)],
                           BmpMaker::ColorTable(Palettes, PalI), IsCW, 230, 96);
    return B;
}

// Empty when the picture on screen shows Want's colours 1:1 from Image1's top left corner; where
// Want holds colour 0 the screen may show the grey checkerboard of the area without tiles.
QString ShownDifference(const QLabel* Image1, const QImage& Want) {
    const QImage Shown = Image1->pixmap().toImage();
    if (Shown.size() != Want.size())
        return QStringLiteral("shown %1x%2").arg(Shown.width()).arg(Shown.height());
    for (int y = 0; y < Want.height(); ++y)
        for (int x = 0; x < Want.width(); ++x) {
            const QRgb s = Shown.pixel(x, y) & 0xFFFFFF;
            if (s == (Want.pixel(x, y) & 0xFFFFFF))
                continue;
            if (Want.pixelIndex(x, y) == 0 &&
                s == (TSpriteLayoutView::CheckerColor(x, y) & 0xFFFFFF))
                continue;
            return QStringLiteral("shown pixel (%1, %2) differs").arg(x).arg(y);
        }
    return QString();
}

// The picture Image1 shows.
QImage Shown(const QLabel* Image1) {
    return Image1->pixmap().toImage();
}

// True when every pixel Image1 shows is a colour of Colours or of the checkerboard.
bool ShowsOnly(const QLabel* Image1, const QVector<QRgb>& Colours) {
    const QImage Picture = Shown(Image1);
    for (int y = 0; y < Picture.height(); ++y)
        for (int x = 0; x < Picture.width(); ++x) {
            const QRgb c = Picture.pixel(x, y);
            if (!Colours.contains(c) && c != TSpriteLayoutView::CheckerColor(x, y))
                return false;
        }
    return !Picture.isNull();
}

// Moves a selection-only combo box to item Index with the arrow keys, as a user would.
void Choose(QComboBox* Box, int Index) {
    while (Box->currentIndex() < Index)
        QTest::keyClick(Box, Qt::Key_Down);
    while (Box->currentIndex() > Index)
        QTest::keyClick(Box, Qt::Key_Up);
}

// Runs Answer on the file dialog the next action opens, once it is shown. A message box the
// dialog opens in turn fails the test and is closed, so that the test does not hang.
void WhenDialogOpens(std::function<void(QFileDialog*)> Answer) {
    auto* Poll = new QTimer;
    Poll->setInterval(10);
    auto Answered = std::make_shared<bool>(false);
    auto Ticks = std::make_shared<int>(0);
    QObject::connect(Poll, &QTimer::timeout, [=] {
        QWidget* Modal = QApplication::activeModalWidget();
        if (auto* Box = qobject_cast<QMessageBox*>(Modal)) {
            const QString Text = Box->text();
            Box->reject();
            QFAIL(qPrintable("unexpected message box: " + Text));
        }
        if (*Answered) {
            if (++*Ticks > 50) {
                Poll->stop();
                Poll->deleteLater();
            }
            return;
        }
        auto* Dialog = qobject_cast<QFileDialog*>(Modal);
        if (!Dialog || !Dialog->isVisible())
            return;
        *Answered = true;
        Answer(Dialog);
    });
    Poll->start();
}

// What a file dialog offered.
struct DialogSeen {
    QStringList Filters;
    QFileDialog::AcceptMode Mode = QFileDialog::AcceptOpen;
    bool Confirms = true;
    QString Suffix;
};

DialogSeen Inspect(const QFileDialog* d) {
    return {d->nameFilters(), d->acceptMode(), !d->testOption(QFileDialog::DontConfirmOverwrite),
            d->defaultSuffix()};
}

// Chooses FileName in a file dialog and confirms it, as typing the name and pressing the
// dialog's button does. The name field takes a chosen file only while it has no focus.
void ChooseFile(QFileDialog* d, const QString& FileName) {
    if (QWidget* Focused = d->focusWidget())
        Focused->clearFocus();
    d->selectFile(FileName);
    static_cast<QDialog*>(d)->accept();
}

} // namespace

// Checks what the workbench shows and ends the test function at the first difference.
#define VERIFY_SHOWS(Words)                                                                        \
    do {                                                                                           \
        VerifyShows(Words);                                                                        \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)

class SpritesFrmTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> fDir;
    std::unique_ptr<test::DataRoot> fRoot;
    std::unique_ptr<TSession> fSession;
    QStringList fErrors;
    TSpriteFrm* fFrm = nullptr;
    QPointer<TChPalFrm> fChPalFrm;

    // Creates the session, the workbench and the palette-set frame in the main window's order
    // and shows the workbench.
    void Start() {
        fSession = std::make_unique<TSession>(fRoot->Root());
        RunReported([&] { fSession->ReadParameters(); });
        fFrm = new TSpriteFrm(*fSession);
        fChPalFrm = new TChPalFrm(*fSession, &fFrm->Document());
        fFrm->DockPalFrm(fChPalFrm);
        fFrm->show();
        QVERIFY(QTest::qWaitForWindowExposed(fFrm));
    }

    // The shown picture is exactly what the bitmap maker draws for Words with the workbench's
    // size and direction and the frame's second palette.
    void VerifyShows(const TMyArray& Words) {
        QCOMPARE(fFrm->SpriteInfo().Bytes, Words);
        // The view draws a last group with blocks missing, too: its picture is that of the words
        // padded to a whole group, the missing blocks' places on the checkerboard.
        const int PerGroup = SpriteSize[size_t(fFrm->SizeCmb->currentIndex())].x() *
                             SpriteSize[size_t(fFrm->SizeCmb->currentIndex())].y();
        TMyArray Padded(Words.begin(), Words.begin() + long(Words.size() / 16 * 16));
        Padded.resize((Padded.size() / 16 + size_t(PerGroup) - 1) / size_t(PerGroup) *
                          size_t(PerGroup) * 16,
                      0);
        const QImage WantShown =
            Rendered(Padded, fFrm->SizeCmb->currentIndex(), fSession->PalletteArray(),
                     fChPalFrm->SecondPalIndex(), fFrm->CwCmb->currentIndex() == 0);
        const QString s = ShownDifference(fFrm->Image1, WantShown);
        QVERIFY2(s.isEmpty(), qPrintable(s));
        QCOMPARE(fFrm->Image1->size(), QSize(230, 96));
    }

    void SelectSet(int Index) { Choose(fChPalFrm->PalCmb, Index); }

    // Answers the next questions with Answer (by its name), recording their texts.
    QStringList fAsked;
    void AnswerWith(const QString& Answer) {
        SetQuestionSink([this, Answer](const QString& Question, const QStringList& Answers) {
            fAsked << Question;
            return int(Answers.indexOf(Answer));
        });
    }

    void ImportFile(const QString& FileName) {
        fFrm->OpenDialog1 = [FileName] { return FileName; };
        QTest::mouseClick(fFrm->LoadFromIdaBtn, Qt::LeftButton);
    }

private slots:
    void initTestCase() {
        TApplication::SetErrorSink([this](const QString& m) { fErrors << m; });
    }

    void init() {
        fErrors.clear();
        fDir = std::make_unique<test::TempDir>();
        fRoot = std::make_unique<test::DataRoot>(fDir->path());
        for (int p = 0; p < 4; ++p)
            fRoot->Palettes.push_back(test::DistinctPalette(p));
        fRoot->PalSets = {MyTypes::IdentityPallette(), Reversed(), Rotated()};
        fRoot->WriteParams();
        fRoot->AddSprite("A1.spr", LibraryWords, true);
        fRoot->AddSprite("A2.spr", SecondWords, false);
        fRoot->AddSprite("B7.spr", TinyWords, false);
    }

    void cleanup() {
        test::AnswerDiscard();
        fAsked.clear();
        delete fFrm;
        fFrm = nullptr;
        QVERIFY(fChPalFrm == nullptr); // the frame went with the workbench it was docked into
        fSession.reset();
    }

    void theFormIsLaidOutAsDesigned() {
        Start();
        QCOMPARE(fFrm->size(), QSize(656, 436));
        const struct {
            QWidget* w;
            QRect r;
        } Geometry[] = {
            {fFrm->Panel2, {12, 8, 133, 81}},         {fFrm->ComboBox1, {4, 27, 124, 21}},
            {fFrm->CheckBox1, {6, 58, 86, 17}},       {fFrm->BitBtn4, {105, 51, 23, 25}},
            {fFrm->Panel1, {143, 8, 114, 81}},        {fFrm->SaveToIdaBtn, {4, 27, 108, 25}},
            {fFrm->LoadFromIdaBtn, {4, 54, 108, 25}}, {fFrm->Panel3, {12, 95, 129, 100}},
            {fFrm->SizeCmb, {56, 12, 60, 21}},        {fFrm->PalCmb, {56, 39, 60, 21}},
            {fFrm->CwCmb, {56, 66, 60, 21}},          {fFrm->Panel4, {147, 95, 234, 100}},
            {fFrm->Image1, {2, 2, 230, 96}},          {fFrm->PalPanel, {8, 201, 525, 171}},
        };
        for (const auto& g : Geometry)
            QVERIFY2(g.w->geometry() == g.r, qPrintable(g.w->objectName()));
        QCOMPARE(fFrm->Label6->text(), QString("Select item"));
        QCOMPARE(fFrm->Label3->text(), QString("Edit"));
        QCOMPARE(fFrm->Label1->text(), QString("Size"));
        QCOMPARE(fFrm->Label4->text(), QString("Pallette"));
        QCOMPARE(fFrm->Label5->text(), QString("Direction"));
        QCOMPARE(fFrm->SaveToIdaBtn->text(), QString("Save"));
        QCOMPARE(fFrm->LoadFromIdaBtn->text(), QString("Open"));
        QCOMPARE(fFrm->CheckBox1->text(), QString("Compressed"));
        QVERIFY(fFrm->BitBtn4->text().isEmpty());
        QVERIFY(!fFrm->BitBtn4->icon().isNull());
        QCOMPARE(fFrm->BitBtn4->iconSize(), QSize(16, 16));
        for (QComboBox* Box : {fFrm->ComboBox1, fFrm->SizeCmb, fFrm->PalCmb, fFrm->CwCmb})
            QVERIFY2(!Box->isEditable(), qPrintable(Box->objectName()));
        QCOMPARE(fFrm->ImageList1.size(), 0);
        // The frame fills its panel.
        QCOMPARE(fChPalFrm->parentWidget(), static_cast<QWidget*>(fFrm->PalPanel));
        QCOMPARE(fChPalFrm->geometry(), QRect(0, 0, 525, 171));
    }

    void startUpShowsTheFirstSpriteWithTheDefaults() {
        Start();
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
        QCOMPARE(fSession->XMLDocument()->FileName, fRoot->Root() + "/XMLParams.xml");
        QCOMPARE(fSession->PalletteArray().size(), size_t(4));
        QCOMPARE(fFrm->SizeCmb->currentText(), QString("24x24"));
        QCOMPARE(fFrm->CwCmb->currentText(), QString("CW"));
        QCOMPARE(fFrm->PalCmb->count(), 4);
        QCOMPARE(fFrm->PalCmb->currentText(), QString("2"));
        QVERIFY(fFrm->CheckBox1->isChecked());
        QCOMPARE(fFrm->ComboBox1->count(), 3);
        QCOMPARE(fFrm->ComboBox1->itemText(0), QString("A1.spr"));
        QCOMPARE(fFrm->ComboBox1->itemText(2), QString("B7.spr"));
        QCOMPARE(fFrm->ComboBox1->currentIndex(), 0);
        QVERIFY(fFrm->BitBtn4->isEnabled());
        QVERIFY(fFrm->SaveToIdaBtn->isEnabled());
        VERIFY_SHOWS(LibraryWords);
    }

    void sizeDirectionAndPaletteChangesRenderWhatTheBitmapMakerDraws() {
        Start();
        for (int Cw = 0; Cw < 2; ++Cw) {
            Choose(fFrm->CwCmb, Cw);
            for (int Size = 0; Size < 5; ++Size) {
                Choose(fFrm->SizeCmb, Size);
                VERIFY_SHOWS(LibraryWords);
            }
        }
        // The workbench's own palette list renders with the frame's palette all the same.
        const QImage Before = Shown(fFrm->Image1);
        Choose(fFrm->PalCmb, 0);
        QCOMPARE(Shown(fFrm->Image1), Before);
        VERIFY_SHOWS(LibraryWords);
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void theFramesPalettesRenderWhatTheBitmapMakerDraws() {
        Start();
        Choose(fFrm->SizeCmb, 1);
        // The second palette from the palette list opened under its selector.
        QTest::mouseMove(fChPalFrm->SecondCmbIcon, fChPalFrm->SecondCmbIcon->rect().center());
        QTest::mouseClick(fChPalFrm->SecondCmbIcon, Qt::LeftButton);
        QVERIFY(fChPalFrm->fFirstPalCMB->isVisible());
        QTest::mouseClick(fChPalFrm->fFirstPalCMB->Item(3), Qt::LeftButton);
        QCOMPARE(fChPalFrm->SecondPalIndex(), 3);
        VERIFY_SHOWS(LibraryWords);
        QVERIFY(ShowsOnly(fFrm->Image1, BmpMaker::ColorTable(fSession->PalletteArray(), 3)));

        // The wheel over the first selector moves both palettes down to the first.
        QTest::mouseMove(fChPalFrm->CmbIcon, fChPalFrm->CmbIcon->rect().center());
        for (int i = 0; i < 2; ++i) {
            const QPointF At = fChPalFrm->CmbIcon->rect().center();
            QWheelEvent e(At, fChPalFrm->CmbIcon->mapToGlobal(At), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(fChPalFrm->CmbIcon, &e);
        }
        QCOMPARE(fChPalFrm->SecondPalIndex(), 0);
        VERIFY_SHOWS(LibraryWords);
        QVERIFY(ShowsOnly(fFrm->Image1, BmpMaker::ColorTable(fSession->PalletteArray(), 0)));

        // A recoloured sprite keeps its colours through a palette change.
        SelectSet(2);
        QTest::mouseMove(fChPalFrm->SecondCmbIcon, fChPalFrm->SecondCmbIcon->rect().center());
        QTest::mouseClick(fChPalFrm->SecondCmbIcon, Qt::LeftButton);
        QTest::mouseClick(fChPalFrm->fFirstPalCMB->Item(1), Qt::LeftButton);
        QCOMPARE(fChPalFrm->SecondPalIndex(), 1);
        VERIFY_SHOWS(Mapped(LibraryWords, Rotated()));
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void aSetChangeRecoloursTheLibrarySprite() {
        Start();
        SelectSet(1);
        VERIFY_SHOWS(Mapped(LibraryWords, Reversed()));
        // Always from the sprite as loaded, never a composition of mappings.
        SelectSet(2);
        VERIFY_SHOWS(Mapped(LibraryWords, Rotated()));
        SelectSet(0);
        VERIFY_SHOWS(LibraryWords);
        // Another sprite gets the selected set as it is loaded.
        SelectSet(2);
        Choose(fFrm->ComboBox1, 1);
        VERIFY_SHOWS(Mapped(SecondWords, Rotated()));
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void anImportIsWhatLaterRecolouringStartsFromAlsoAfterASave() {
        Start();
        SelectSet(1);
        const TMyArray Edited = test::PatternWords(40, 9);
        const QString EditFile = fDir->file("sprite.edt");
        test::WriteBytes(EditFile, SpriteEditor::EditFileImage(Edited));
        ImportFile(EditFile);
        VERIFY_SHOWS(Edited);
        // The import took the identity mapping with it, and the set list shows that set.
        QCOMPARE(fChPalFrm->PalletteSet(), MyTypes::IdentityPallette());
        QCOMPARE(fChPalFrm->PalCmb->currentIndex(), 0);

        // Cancelling the dialog changes nothing.
        ImportFile(QString());
        VERIFY_SHOWS(Edited);

        // Saved, then recoloured: the imported words recoloured, never the sprite as loaded,
        // and the next save writes them.
        QTest::mouseClick(fFrm->BitBtn4, Qt::LeftButton);
        QCOMPARE(test::ReadBytes(fRoot->SpritePath("A1.spr")), CompDecompUnit::Compress(Edited));
        SelectSet(2);
        VERIFY_SHOWS(Mapped(Edited, Rotated()));
        QTest::mouseClick(fFrm->BitBtn4, Qt::LeftButton);
        QCOMPARE(test::ReadBytes(fRoot->SpritePath("A1.spr")),
                 CompDecompUnit::Compress(Mapped(Edited, Rotated())));
        // "Reset" goes back to the imported words, not to the file's.
        QTest::mouseClick(fChPalFrm->Resetbtn, Qt::LeftButton);
        VERIFY_SHOWS(Edited);
        QVERIFY(fFrm->IsModified());

        // Undo steps back through the Reset, the sets the list passed, the import and the set
        // before it, each with its mapping; the set list follows.
        QUndoStack* Undo = fFrm->Document().UndoStack();
        Undo->undo();
        VERIFY_SHOWS(Mapped(Edited, Rotated()));
        QCOMPARE(fChPalFrm->PalCmb->currentIndex(), 2);
        Undo->undo();
        VERIFY_SHOWS(Mapped(Edited, Reversed()));
        QCOMPARE(fChPalFrm->PalCmb->currentIndex(), 1);
        Undo->undo();
        VERIFY_SHOWS(Edited);
        QCOMPARE(fChPalFrm->PalCmb->currentIndex(), 0);
        Undo->undo();
        VERIFY_SHOWS(Mapped(LibraryWords, Reversed()));
        QCOMPARE(fChPalFrm->PalletteSet(), Reversed());
        QCOMPARE(fChPalFrm->PalCmb->currentIndex(), 1);
        Undo->redo();
        SelectSet(1);
        VERIFY_SHOWS(Mapped(Edited, Reversed()));

        // An edit file of odd length loses its last byte.
        TMyByteArray Odd = SpriteEditor::EditFileImage(Edited);
        Odd.push_back(0xAB);
        test::WriteBytes(EditFile, Odd);
        ImportFile(EditFile);
        VERIFY_SHOWS(Edited);
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void theSetListShowsWhatIsAppliedAndChoosingItAgainAppliesIt() {
        Start();
        SelectSet(1);
        SelectSet(2);
        VERIFY_SHOWS(Mapped(LibraryWords, Rotated()));
        // An entry edited by hand in the chooser keeps the set selected.
        QTest::mouseClick(fChPalFrm->fPalSel->Item(3), Qt::LeftButton);
        QTest::mouseClick(fChPalFrm->fComboSel->Item(9), Qt::LeftButton);
        TPalletteArray Edit = Rotated();
        Edit[3] = 9;
        VERIFY_SHOWS(Mapped(LibraryWords, Edit));
        QCOMPARE(fChPalFrm->PalCmb->currentIndex(), 2);
        // Undo: the list names the set now applied, or none; choosing a set applies it.
        QUndoStack* Undo = fFrm->Document().UndoStack();
        Undo->undo();
        QCOMPARE(fChPalFrm->PalCmb->currentIndex(), 2);
        Undo->undo();
        VERIFY_SHOWS(Mapped(LibraryWords, Reversed()));
        QCOMPARE(fChPalFrm->PalCmb->currentIndex(), 1);
        Undo->redo();
        QCOMPARE(fChPalFrm->PalCmb->currentIndex(), 2);
        Undo->redo();
        VERIFY_SHOWS(Mapped(LibraryWords, Edit));
        QCOMPARE(fChPalFrm->PalCmb->currentIndex(), -1);
        SelectSet(2);
        VERIFY_SHOWS(Mapped(LibraryWords, Rotated()));
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void choosingTheSetTheListShowsAppliesIt() {
        // At the first show the selected set is shown but not applied; choosing it applies it.
        fRoot->PalSets = {Reversed(), MyTypes::IdentityPallette()};
        fRoot->WriteParams();
        Start();
        VERIFY_SHOWS(LibraryWords);
        QCOMPARE(fChPalFrm->PalCmb->currentIndex(), 0);
        QTest::mouseClick(fChPalFrm->PalCmb, Qt::LeftButton);
        QAbstractItemView* List = fChPalFrm->PalCmb->view();
        QTRY_VERIFY(List->isVisible());
        QTest::keyClick(List, Qt::Key_Return);
        VERIFY_SHOWS(Mapped(LibraryWords, Reversed()));
        QVERIFY(fFrm->IsModified());
        // Chosen again, nothing changes: no second step.
        QTest::mouseClick(fChPalFrm->PalCmb, Qt::LeftButton);
        QTRY_VERIFY(List->isVisible());
        QTest::keyClick(List, Qt::Key_Return);
        QCOMPARE(fFrm->Document().UndoStack()->count(), 1);
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void theCompressedBoxAndTheStatusFollowTheFormOfTheFile() {
        Start();
        QVERIFY(fFrm->CheckBox1->isChecked());
        QVERIFY(fFrm->StatusText().startsWith("A1.spr, compressed,"));
        Choose(fFrm->ComboBox1, 1);
        QVERIFY(!fFrm->CheckBox1->isChecked());
        QVERIFY(fFrm->StatusText().startsWith("A2.spr, uncompressed,"));
        // Saved compressed: the status bar says so, and the box stays.
        QTest::mouseClick(fFrm->CheckBox1, Qt::LeftButton);
        QTest::mouseClick(fFrm->BitBtn4, Qt::LeftButton);
        QVERIFY(fFrm->StatusText().startsWith("A2.spr, compressed,"));
        QVERIFY(fFrm->CheckBox1->isChecked());
        QCOMPARE(test::ReadBytes(fRoot->SpritePath("A2.spr")),
                 CompDecompUnit::Compress(SecondWords));
        // A plain file leaves the box as the user set it.
        test::WriteBytes(fRoot->SpritePath("B7.spr"), test::Bytes({0, 0, 0, 0, 0, 0x12, 0x34}));
        QTest::mouseClick(fFrm->CheckBox1, Qt::LeftButton);
        Choose(fFrm->ComboBox1, 2);
        QVERIFY(!fFrm->CheckBox1->isChecked());
        QVERIFY(fFrm->StatusText().startsWith("B7.spr, plain,"));

        // Another program rewrites A1 uncompressed: Reset shows it, and saving asks nothing.
        Choose(fFrm->ComboBox1, 0);
        SelectSet(1);
        const TMyArray Theirs = test::PatternWords(9, 8);
        fRoot->AddSprite("A1.spr", Theirs, false);
        QTest::mouseClick(fChPalFrm->Resetbtn, Qt::LeftButton);
        VERIFY_SHOWS(Theirs);
        QVERIFY(!fFrm->IsModified());
        QVERIFY(!fFrm->CheckBox1->isChecked());
        SelectSet(2);
        AnswerWith("Cancel");
        QTest::mouseClick(fFrm->BitBtn4, Qt::LeftButton);
        QVERIFY(fAsked.isEmpty());
        QCOMPARE(test::ReadBytes(fRoot->SpritePath("A1.spr")),
                 SpriteEditor::UncompressedSpriteImage(Mapped(Theirs, Rotated()), 9));
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void aFailingImportIsReportedAndKeepsTheCurrentSprite() {
        Start();
        SelectSet(2);
        const QImage Before = Shown(fFrm->Image1);
        const QString Missing = fDir->file("missing.edt");
        ImportFile(Missing);
        QCOMPARE(fErrors.size(), 1);
        QVERIFY2(fErrors.first().startsWith(QString("Cannot open file \"%1\". ").arg(Missing)),
                 qPrintable(fErrors.first()));
        VERIFY_SHOWS(Mapped(LibraryWords, Rotated()));
        QCOMPARE(Shown(fFrm->Image1), Before);
    }

    void theEditFileHoldsTheCurrentWords() {
        Start();
        const QString EditFile = fDir->file("out.edt");
        test::WriteBytes(EditFile,
                         test::Bytes({1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                                      14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26}));
        SelectSet(1);
        fFrm->SaveDialog1 = [EditFile] { return EditFile; };
        QTest::mouseClick(fFrm->SaveToIdaBtn, Qt::LeftButton);
        // Replaced without a question, with the recoloured words.
        QCOMPARE(test::ReadBytes(EditFile),
                 SpriteEditor::EditFileImage(Mapped(LibraryWords, Reversed())));

        // Cancelling writes nothing.
        QFile::remove(EditFile);
        fFrm->SaveDialog1 = [] { return QString(); };
        QTest::mouseClick(fFrm->SaveToIdaBtn, Qt::LeftButton);
        QVERIFY(!QFile::exists(EditFile));
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void theEditFileDialogsOfferAnyFileAndReplaceWithoutAQuestion() {
        QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        Start();
        const QString EditFile = fDir->file("exported");
        test::WriteBytes(EditFile, test::Bytes({1, 2, 3}));
        DialogSeen Seen;

        // "Save": an existing file is replaced at once; cancelling writes nothing.
        WhenDialogOpens([&](QFileDialog* d) {
            Seen = Inspect(d);
            // A dialog that would ask before replacing is cancelled rather than left waiting.
            if (Seen.Confirms)
                d->reject();
            else
                ChooseFile(d, EditFile);
        });
        QTest::mouseClick(fFrm->SaveToIdaBtn, Qt::LeftButton);
        QCOMPARE(Seen.Filters, QStringList({"Any file (*)"}));
        QCOMPARE(Seen.Mode, QFileDialog::AcceptSave);
        QVERIFY(!Seen.Confirms);
        QCOMPARE(Seen.Suffix, QString());
        QCOMPARE(test::ReadBytes(EditFile), SpriteEditor::EditFileImage(LibraryWords));
        QVERIFY(QFile::remove(EditFile));
        WhenDialogOpens([](QFileDialog* d) { d->reject(); });
        QTest::mouseClick(fFrm->SaveToIdaBtn, Qt::LeftButton);
        QVERIFY(!QFile::exists(EditFile));

        // "Open": any file, with or without a suffix; cancelling keeps the sprite.
        const TMyArray Edited = test::PatternWords(6, 4);
        test::WriteBytes(EditFile, SpriteEditor::EditFileImage(Edited));
        WhenDialogOpens([](QFileDialog* d) { d->reject(); });
        QTest::mouseClick(fFrm->LoadFromIdaBtn, Qt::LeftButton);
        VERIFY_SHOWS(LibraryWords);
        WhenDialogOpens([&](QFileDialog* d) {
            Seen = Inspect(d);
            ChooseFile(d, EditFile);
        });
        QTest::mouseClick(fFrm->LoadFromIdaBtn, Qt::LeftButton);
        QCOMPARE(Seen.Filters, QStringList({"Any file (*)"}));
        QCOMPARE(Seen.Mode, QFileDialog::AcceptOpen);
        VERIFY_SHOWS(Edited);
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void aLibrarySaveWritesTheCurrentWordsCompressedOrNot() {
        Start();
        const TMyArray Edited = test::PatternWords(24, 5);
        const QString EditFile = fDir->file("in.edt");
        test::WriteBytes(EditFile, SpriteEditor::EditFileImage(Edited));
        ImportFile(EditFile);

        // Compressed: the encoder's bytes in Sprites/A1.spr under the data root.
        QTest::mouseClick(fFrm->BitBtn4, Qt::LeftButton);
        QCOMPARE(test::ReadBytes(fRoot->SpritePath("A1.spr")), CompDecompUnit::Compress(Edited));
        Choose(fFrm->ComboBox1, 1);
        VERIFY_SHOWS(SecondWords);
        Choose(fFrm->ComboBox1, 0);
        VERIFY_SHOWS(Edited);

        // Uncompressed, recoloured.
        QTest::mouseClick(fFrm->CheckBox1, Qt::LeftButton);
        QVERIFY(!fFrm->CheckBox1->isChecked());
        SelectSet(1);
        const TMyArray Recoloured = Mapped(Edited, Reversed());
        VERIFY_SHOWS(Recoloured);
        QTest::mouseClick(fFrm->BitBtn4, Qt::LeftButton);
        QCOMPARE(test::ReadBytes(fRoot->SpritePath("A1.spr")),
                 SpriteEditor::UncompressedSpriteImage(Recoloured, Recoloured.size() / 16));
        SelectSet(0);
        Choose(fFrm->ComboBox1, 1);
        Choose(fFrm->ComboBox1, 0);
        VERIFY_SHOWS(Recoloured);
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));

        // A library file that cannot be written is reported, and nothing is written.
        QVERIFY(QDir(fRoot->Root()).rename("Sprites", "Gone"));
        QTest::mouseClick(fFrm->BitBtn4, Qt::LeftButton);
        QCOMPARE(fErrors.size(), 1);
        QVERIFY2(fErrors.first().startsWith("Cannot create file"), qPrintable(fErrors.first()));
        QVERIFY(!QDir(fRoot->Root()).exists("Sprites"));
        QCOMPARE(test::ReadBytes(fRoot->Root() + "/Gone/A1.spr"),
                 SpriteEditor::UncompressedSpriteImage(Recoloured, Recoloured.size() / 16));
        QVERIFY(QDir(fRoot->Root()).rename("Gone", "Sprites"));
    }

    void aSpriteWithoutAWholeTileShowsNoPicture() {
        Start();
        Choose(fFrm->ComboBox1, 2);
        QCOMPARE(fFrm->SpriteInfo().Bytes, TinyWords);
        QVERIFY(fFrm->SpriteInfo().BlocksArray.empty());
        // Not the picture of the sprite shown before.
        QVERIFY(fFrm->Image1->pixmap().isNull());
        QCOMPARE(fFrm->Image1->size(), QSize(230, 96));
        Choose(fFrm->SizeCmb, 0);
        Choose(fFrm->CwCmb, 1);
        QVERIFY(fFrm->Image1->pixmap().isNull());

        // Recolouring and export still work on its words.
        SelectSet(1);
        QCOMPARE(fFrm->SpriteInfo().Bytes, Mapped(TinyWords, Reversed()));
        QVERIFY(fFrm->Image1->pixmap().isNull());
        const QString EditFile = fDir->file("tiny.edt");
        fFrm->SaveDialog1 = [EditFile] { return EditFile; };
        QTest::mouseClick(fFrm->SaveToIdaBtn, Qt::LeftButton);
        QCOMPARE(test::ReadBytes(EditFile),
                 SpriteEditor::EditFileImage(Mapped(TinyWords, Reversed())));

        // Back to a sprite with tiles.
        Choose(fFrm->ComboBox1, 0);
        VERIFY_SHOWS(Mapped(LibraryWords, Reversed()));
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void everyShowReloadsTheSelectedSpriteFromDisk() {
        Start();
        const QString EditFile = fDir->file("in.edt");
        test::WriteBytes(EditFile, SpriteEditor::EditFileImage(test::PatternWords(12, 3)));
        ImportFile(EditFile);
        fFrm->hide();
        fFrm->show();
        VERIFY_SHOWS(LibraryWords);

        // A mapping edited entry by entry is discarded; the selected set is applied again.
        TPalletteArray Edit = MyTypes::IdentityPallette();
        Edit[3] = 9;
        fChPalFrm->SetPalletteSet(Edit);
        fChPalFrm->OnSetPalSwap()(4, 10);
        VERIFY_SHOWS(Mapped(LibraryWords, Edit));
        fFrm->hide();
        fFrm->show();
        VERIFY_SHOWS(LibraryWords);

        // The file is read anew.
        const TMyArray Changed = test::PatternWords(50, 7);
        fRoot->AddSprite("A1.spr", Changed, true);
        fFrm->hide();
        fFrm->show();
        VERIFY_SHOWS(Changed);
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void theSelectedSetAppliesFromTheSecondShowOn() {
        fRoot->PalSets = {Reversed(), MyTypes::IdentityPallette()};
        fRoot->WriteParams();
        Start();
        // The callbacks are registered after the first load.
        VERIFY_SHOWS(LibraryWords);
        fFrm->hide();
        fFrm->show();
        VERIFY_SHOWS(Mapped(LibraryWords, Reversed()));
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void aSpriteThatCannotBeReadLeavesTheWorkbenchWorking() {
        // A folder named like a sprite file sorts first and fails to open.
        QVERIFY(QDir(fRoot->SpritePath(QString())).mkdir("A0.spr"));
        Start();
        QCOMPARE(fFrm->ComboBox1->itemText(0), QString("A0.spr"));
        QCOMPARE(fErrors.size(), 1);
        QVERIFY2(fErrors.first().startsWith("Cannot open file"), qPrintable(fErrors.first()));
        QVERIFY(fFrm->Image1->pixmap().isNull());
        // The chooser went back to the sprite in memory: none.
        QCOMPARE(fFrm->ComboBox1->currentIndex(), -1);
        fErrors.clear();
        // The frame still reaches the workbench.
        fFrm->ComboBox1->setCurrentIndex(1);
        VERIFY_SHOWS(LibraryWords);
        SelectSet(1);
        VERIFY_SHOWS(Mapped(LibraryWords, Reversed()));
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void anEmptyLibraryShowsNoPictureAndCannotBeSaved() {
        for (const char* Name : {"A1.spr", "A2.spr", "B7.spr"})
            QVERIFY(QFile::remove(fRoot->SpritePath(Name)));
        Start();
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
        QCOMPARE(fFrm->ComboBox1->count(), 0);
        QVERIFY(fFrm->Image1->pixmap().isNull());
        QVERIFY(!fFrm->BitBtn4->isEnabled());
        QVERIFY(!fFrm->SaveToIdaBtn->isEnabled());
        QVERIFY(fFrm->LoadFromIdaBtn->isEnabled());
        // The frame's controls act on the empty sprite without an error.
        SelectSet(1);
        QTest::mouseClick(fChPalFrm->Resetbtn, Qt::LeftButton);
        Choose(fFrm->SizeCmb, 4);
        fFrm->hide();
        fFrm->show();
        QVERIFY(fFrm->Image1->pixmap().isNull());
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void aFailedLoadLeavesTheShownSpriteToBeSavedIntoItsOwnFile() {
        QVERIFY(QDir(fRoot->SpritePath(QString())).mkdir("A1x.spr")); // second, cannot be read
        Start();
        SelectSet(1);
        const TMyArray Shown = Mapped(LibraryWords, Reversed());
        QTest::keyClick(fFrm->ComboBox1, Qt::Key_Down);
        QCOMPARE(fErrors.size(), 1);
        QVERIFY2(fErrors.first().startsWith("Cannot open file"), qPrintable(fErrors.first()));
        QCOMPARE(fFrm->ComboBox1->currentIndex(), 0);
        VERIFY_SHOWS(Shown);
        QTest::mouseClick(fFrm->BitBtn4, Qt::LeftButton);
        QCOMPARE(test::ReadBytes(fRoot->SpritePath("A1.spr")), CompDecompUnit::Compress(Shown));
        QVERIFY(QFileInfo(fRoot->SpritePath("A1x.spr")).isDir());
    }

    void unsavedChangesAreSavedDiscardedOrKeptAsTheUserSays() {
        Start();
        SelectSet(1);
        QVERIFY(fFrm->IsModified());
        // Cancel: the sprite, its changes and the chooser stay.
        AnswerWith("Cancel");
        QTest::keyClick(fFrm->ComboBox1, Qt::Key_Down);
        QCOMPARE(fAsked, QStringList({"Save the changes to \"A1.spr\"?"}));
        QCOMPARE(fFrm->ComboBox1->currentIndex(), 0);
        VERIFY_SHOWS(Mapped(LibraryWords, Reversed()));
        // Save: written into its file, then the other sprite is loaded.
        AnswerWith("Save");
        Choose(fFrm->ComboBox1, 1);
        QCOMPARE(test::ReadBytes(fRoot->SpritePath("A1.spr")),
                 CompDecompUnit::Compress(Mapped(LibraryWords, Reversed())));
        VERIFY_SHOWS(Mapped(SecondWords, Reversed()));
        QVERIFY(!fFrm->IsModified());
        // Reset of a sprite that is its file marks nothing modified; the list shows the set
        // now applied.
        QTest::mouseClick(fChPalFrm->Resetbtn, Qt::LeftButton);
        VERIFY_SHOWS(SecondWords);
        QVERIFY(!fFrm->IsModified());
        QCOMPARE(fChPalFrm->PalCmb->currentIndex(), 0);
        // Discard: a reload throws the recolouring away; nothing is written.
        SelectSet(1);
        AnswerWith("Discard");
        fFrm->hide();
        fFrm->show();
        VERIFY_SHOWS(Mapped(SecondWords, Reversed()));
        QCOMPARE(fAsked.size(), 3);
        QCOMPARE(test::ReadBytes(fRoot->SpritePath("A2.spr")),
                 SpriteEditor::UncompressedSpriteImage(SecondWords, SecondWords.size() / 16));
        // Nothing modified: nothing asks.
        Choose(fFrm->ComboBox1, 0);
        QCOMPARE(fAsked.size(), 3);
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void aFileChangedOnDiskIsOverwrittenOnlyWhenTheUserSaysSo() {
        Start();
        SelectSet(1);
        const TMyArray Theirs = test::PatternWords(9, 8);
        fRoot->AddSprite("A1.spr", Theirs, false); // another program writes the file
        AnswerWith("Cancel");
        QTest::mouseClick(fFrm->BitBtn4, Qt::LeftButton);
        QCOMPARE(fAsked, QStringList({"The file was changed on disk since it was opened. "
                                      "Overwrite it?"}));
        QCOMPARE(test::ReadBytes(fRoot->SpritePath("A1.spr")),
                 SpriteEditor::UncompressedSpriteImage(Theirs, 9));
        QVERIFY(fFrm->IsModified());
        AnswerWith("Overwrite");
        QTest::mouseClick(fFrm->BitBtn4, Qt::LeftButton);
        QCOMPARE(test::ReadBytes(fRoot->SpritePath("A1.spr")),
                 CompDecompUnit::Compress(Mapped(LibraryWords, Reversed())));
        // Saved here: the next save asks nothing.
        fAsked.clear();
        QTest::mouseClick(fFrm->BitBtn4, Qt::LeftButton);
        QVERIFY(fAsked.isEmpty());
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void atFourTimesThePictureShowsThePixelUnderThePointer() {
        Start();
        // Ctrl+wheel over the picture zooms in and out a step a notch, within 1x and 16x.
        QPointF At(30, 30);
        const auto Notches = [&](int Count, int Delta) {
            for (int Notch = 0; Notch < Count; ++Notch) {
                QWheelEvent e(At, fFrm->Image1->mapToGlobal(At), QPoint(), QPoint(0, Delta),
                              Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
                QApplication::sendEvent(fFrm->Image1, &e);
            }
        };
        Notches(3, 120);
        QCOMPARE(fFrm->Zoom(), 4);
        Notches(9, 120);
        QCOMPARE(fFrm->Zoom(), 13);
        Notches(9, 120);
        QCOMPARE(fFrm->Zoom(), 16);
        Notches(20, -120);
        QCOMPARE(fFrm->Zoom(), 1);
        // The View menu zooms about the top left corner.
        fFrm->ActualSizeAction->trigger();
        for (int Step = 0; Step < 3; ++Step)
            fFrm->ZoomInAction->trigger();
        QCOMPARE(fFrm->Zoom(), 4);
        QCOMPARE(fFrm->VScroll->value(), 0);
        At = QPointF(100, 40);
        // At 4x the 230-pixel view lays the 24 x 24 groups out 57 pixels wide: two to a band.
        // (100, 40) on screen is pixel (25, 10) of the layout: group 1, its tile row 1 and tile
        // column 0, so tile 1 x 9 + 1 x 3 = 12, pixel (1, 2) of it.
        QTest::mouseMove(fFrm->Image1, At.toPoint());
        const uint16_t Word = LibraryWords[12 * 16 + 2 * 2];
        const int Index = (Word >> 8) & 15;
        const QRgb Colour =
            BmpMaker::PaletteColor(fSession->PalletteArray(), fChPalFrm->SecondPalIndex(), Index);
        QVERIFY2(fFrm->StatusText().contains(QString("tile 12 (1, 2): colour %1 #%2")
                                                 .arg(Index)
                                                 .arg(Colour & 0xFFFFFF, 6, 16, QLatin1Char('0'))),
                 qPrintable(fFrm->StatusText()));
        QVERIFY(fFrm->StatusText().startsWith("A1.spr, compressed, 100 blocks, 4x"));
        const QImage Shown = fFrm->Image1->pixmap().toImage();
        // The whole 4 x 4 screen square of that pixel shows its colour.
        for (int dy = 0; dy < 4; ++dy)
            for (int dx = 0; dx < 4; ++dx)
                QCOMPARE(Shown.pixel(100 / 4 * 4 + dx, 40 / 4 * 4 + dy) & 0xFFFFFF,
                         Colour & 0xFFFFFF);
        // Right of the two groups no tile is drawn: the checkerboard.
        QCOMPARE(Shown.pixel(200, 4), TSpriteLayoutView::CheckerColor(200, 4));
        // All eleven groups are there: six bands of 96 screen rows, scrolled with the wheel.
        QVERIFY(fFrm->VScroll->isVisible());
        QCOMPARE(fFrm->VScroll->maximum(), 6 * 96 - 96);
        fFrm->ActualSizeAction->trigger();
        QCOMPARE(fFrm->Zoom(), 1);
        VERIFY_SHOWS(LibraryWords);
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void theStatusNamesTheColourThePixelUnderThePointerHasNow() {
        Start();
        // (10, 10) at 1x: 24 x 24 groups, cw: tile 1 x 3 + 1 = 4, its pixel (2, 2).
        QTest::mouseMove(fFrm->Image1, QPoint(10, 10));
        const int Index = (LibraryWords[4 * 16 + 2 * 2] >> 4) & 15;
        const auto Names = [&](int i) {
            const QRgb c =
                BmpMaker::PaletteColor(fSession->PalletteArray(), fChPalFrm->SecondPalIndex(), i);
            return fFrm->StatusText().contains(QString("tile 4 (2, 2): colour %1 #%2")
                                                   .arg(i)
                                                   .arg(c & 0xFFFFFF, 6, 16, QLatin1Char('0')));
        };
        QVERIFY2(Names(Index), qPrintable(fFrm->StatusText()));
        // Recoloured from the frame, in another palette, undone: the pointer has not moved.
        SelectSet(1);
        QVERIFY2(Names(15 - Index), qPrintable(fFrm->StatusText()));
        fFrm->Document().SetPalettes(0, 3);
        QVERIFY2(Names(15 - Index), qPrintable(fFrm->StatusText()));
        fFrm->Document().UndoStack()->undo();
        QVERIFY2(Names(Index), qPrintable(fFrm->StatusText()));
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void aLastGroupWithBlocksMissingIsDrawnAndNoRowHidesUnderTheScrollBar() {
        Start();
        const QVector<QRgb> Colours = BmpMaker::ColorTable(fSession->PalletteArray(), 0);
        // 100 blocks in 96x32 groups of 48, two to a band: the third group holds 4, drawn in
        // their places (cw: the first four of its top row), its other places on the
        // checkerboard.
        Choose(fFrm->SizeCmb, 4);
        VERIFY_SHOWS(LibraryWords);
        const int Top = 32;
        QImage Shown = fFrm->Image1->pixmap().toImage();
        for (int Block = 96; Block < 100; ++Block)
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x) {
                    const uint16_t Word = LibraryWords[size_t(16 * Block + 2 * y + x / 4)];
                    const int Index = (Word >> (12 - 4 * (x % 4))) & 15;
                    QCOMPARE(Shown.pixel(8 * (Block - 96) + x, Top + y), Colours[Index]);
                }
        QCOMPARE(Shown.pixel(40, Top + 3), TSpriteLayoutView::CheckerColor(40, Top + 3));
        QCOMPARE(Shown.pixel(3, Top + 12), TSpriteLayoutView::CheckerColor(3, Top + 12));
        // The pointer over a drawn block of it names the block.
        QTest::mouseMove(fFrm->Image1, QPoint(8 * 3 + 1, Top + 2));
        QVERIFY2(fFrm->StatusText().contains("tile 99 (1, 2)"), qPrintable(fFrm->StatusText()));
        QTest::mouseMove(fFrm->Image1, QPoint(40, Top + 3));
        QVERIFY(!fFrm->StatusText().contains("tile"));

        // At 3x a group is wider than the view: the horizontal bar shows over the view's last 16
        // rows, and the vertical range reaches past them, so the last row can be seen above it.
        // In ccw order block 99 ends the third group's first column, on the layout's last row.
        Choose(fFrm->CwCmb, 1);
        fFrm->SetZoom(3);
        QVERIFY(fFrm->HScroll->isVisible());
        const QRect Bar = fFrm->HScroll->geometry();
        QCOMPARE(Bar.bottom(), fFrm->Image1->geometry().bottom());
        const int Visible = Bar.top() - fFrm->Image1->y();
        QCOMPARE(fFrm->VScroll->maximum(), 3 * 3 * 32 - Visible);
        fFrm->VScroll->setValue(fFrm->VScroll->maximum());
        Shown = fFrm->Image1->pixmap().toImage();
        const uint16_t Last = LibraryWords[size_t(16 * 99 + 2 * 7)];
        QCOMPARE(Shown.pixel(1, Visible - 1), Colours[(Last >> 12) & 15]);
        QCOMPARE(Shown.pixel(1, Visible - 3), Colours[(Last >> 12) & 15]);
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void aSpriteSmallerThanOneGroupIsDrawn() {
        fRoot->AddSprite("A1.spr", test::PatternWords(32, 6), true);
        Start();
        Choose(fFrm->SizeCmb, 3);
        // 32 of a 48x48 group's 36 places (ccw: six columns of six) hold blocks.
        Choose(fFrm->CwCmb, 1);
        VERIFY_SHOWS(test::PatternWords(32, 6));
        const QImage Shown = fFrm->Image1->pixmap().toImage();
        QCOMPARE(Shown.pixel(44, 44), TSpriteLayoutView::CheckerColor(44, 44));
        QVERIFY(Shown.pixel(44, 4) != TSpriteLayoutView::CheckerColor(44, 4) ||
                Shown.pixel(45, 5) != TSpriteLayoutView::CheckerColor(45, 5));
        QTest::mouseMove(fFrm->Image1, QPoint(44, 4));
        QVERIFY2(fFrm->StatusText().contains("tile 30 (4, 4)"), qPrintable(fFrm->StatusText()));
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void aPngExportedAndImportedGivesTheWordsBackAsAnUndoableEdit() {
        Start();
        Choose(fFrm->SizeCmb, 1);
        const QString Png = fDir->file("a1.png");
        fFrm->PngSaveDialog = [Png] { return Png; };
        fFrm->ExportPngAction->trigger();
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
        // An independent look at the file: an indexed PNG of 4 bits with the second palette.
        const TMyByteArray File = test::ReadBytes(Png);
        QVERIFY(File.size() >= 26);
        QCOMPARE(int(File[24]), 4); // bit depth
        QCOMPARE(int(File[25]), 3); // colour type: palette

        fFrm->OpenDialog1 = [this] {
            const QString Edt = fDir->file("other.edt");
            test::WriteBytes(Edt, SpriteEditor::EditFileImage(test::PatternWords(8, 6)));
            return Edt;
        };
        QTest::mouseClick(fFrm->LoadFromIdaBtn, Qt::LeftButton);
        fFrm->PngOpenDialog = [Png] { return Png; };
        fFrm->ImportPngAction->trigger();
        VERIFY_SHOWS(LibraryWords);
        fFrm->Document().UndoStack()->undo();
        VERIFY_SHOWS(test::PatternWords(8, 6));
        fFrm->Document().UndoStack()->undo();
        VERIFY_SHOWS(LibraryWords);
        QVERIFY(!fFrm->IsModified());
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void aPngAPaintProgramRewroteIsReadAsShownOrAsTheUserSays() {
        Start();
        Choose(fFrm->SizeCmb, 1);
        Choose(fFrm->CwCmb, 1);
        const QString Exported = fDir->file("a1.png");
        fFrm->PngSaveDialog = [Exported] { return Exported; };
        fFrm->ExportPngAction->trigger();
        // What a paint program leaves of it: the same pixels (read by Qt), the palette in
        // another order, no text chunks.
        const QImage Picture(Exported);
        QCOMPARE(Picture.size(), QSize(128, 64));
        const QVector<QRgb> Colours = Picture.colorTable();
        std::vector<uint32_t> Reordered(16);
        for (int c = 0; c < 16; ++c)
            Reordered[size_t((c * 7 + 2) % 16)] = Colours[c] & 0xFFFFFF;
        TMyByteArray Indices;
        for (int y = 0; y < Picture.height(); ++y)
            for (int x = 0; x < Picture.width(); ++x)
                Indices.push_back(uint8_t((Picture.pixelIndex(x, y) * 7 + 2) % 16));
        const QString Painted = fDir->file("painted.png");
        test::WriteBytes(Painted, test::RawIndexedPng(128, 64, 4, Reordered, Indices));
        fFrm->PngOpenDialog = [Painted] { return Painted; };
        bool Asked = false;
        TSpriteLayout Offered;
        fFrm->PngLayoutDialog = [&](const QString&, QSize, TSpriteLayout& Layout) {
            Asked = true;
            Offered = Layout;
            Layout.SizeIndex = 1;
            return true;
        };

        // The size and order shown, and the sprite's 100 blocks, as the picture has the size of
        // this sprite's export (it holds 128 places).
        fFrm->Document().ChangeWords(test::PatternWords(100, 4), "Other words");
        fFrm->ImportPngAction->trigger();
        QVERIFY(!Asked);
        VERIFY_SHOWS(LibraryWords);
        // Not whole groups of the size shown: the user is asked, with what is shown offered.
        Choose(fFrm->SizeCmb, 2);
        fFrm->Document().ChangeWords(test::PatternWords(100, 4), "Other words");
        fFrm->ImportPngAction->trigger();
        QVERIFY(Asked);
        QCOMPARE(Offered.SizeIndex, 2);
        QVERIFY(!Offered.IsCW);
        QCOMPARE(Offered.Blocks, int64_t(100));
        VERIFY_SHOWS(LibraryWords);
        // Cancelled: nothing is imported.
        fFrm->PngLayoutDialog = [](const QString&, QSize, TSpriteLayout&) { return false; };
        const int Steps = fFrm->Document().UndoStack()->count();
        fFrm->ImportPngAction->trigger();
        QCOMPARE(fFrm->Document().UndoStack()->count(), Steps);
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }

    void theLayoutDialogOffersItsValuesAndTakesTheUsers() {
        TSpriteLayout Start;
        Start.SizeIndex = 1;
        Start.IsCW = true;
        Start.Blocks = 7;
        TPngLayoutDialog Dialog("art.png", QSize(100, 48), Start);
        Dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&Dialog));
        QCOMPARE(Dialog.SizeBox->currentText(), QString("16x16"));
        QCOMPARE(Dialog.OrderBox->currentText(), QString("CW"));
        QCOMPARE(Dialog.BlocksBox->value(), 7);
        QTest::keyClick(Dialog.SizeBox, Qt::Key_Up);
        QTest::keyClick(Dialog.OrderBox, Qt::Key_Down);
        Dialog.BlocksBox->setFocus();
        QTest::keyClick(Dialog.BlocksBox, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(Dialog.BlocksBox, "74");
        QTest::keyClick(&Dialog, Qt::Key_Return);
        QCOMPARE(Dialog.result(), int(QDialog::Accepted));
        const TSpriteLayout Chosen = Dialog.Choice();
        QCOMPARE(Chosen.SizeIndex, 0);
        QVERIFY(!Chosen.IsCW);
        QCOMPARE(Chosen.Blocks, int64_t(74));
    }

    void aFrameThatOutlivesTheWorkbenchReachesItNoMore() {
        Start();
        fChPalFrm->setParent(nullptr);
        delete fFrm;
        fFrm = nullptr;
        // The callbacks the workbench left on the frame do nothing now.
        SelectSet(1);
        QTest::mouseClick(fChPalFrm->Resetbtn, Qt::LeftButton);
        fChPalFrm->OnChangeFirstPal()();
        delete fChPalFrm;
        QVERIFY2(fErrors.isEmpty(), qPrintable(fErrors.join('\n')));
    }
};

VELKORA_GUI_TEST_MAIN(SpritesFrmTest)
#include "SpritesFrmTest.moc"
