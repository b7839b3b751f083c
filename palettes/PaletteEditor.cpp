// SPDX-License-Identifier: MIT
#include "palettes/PaletteEditor.h"

#include "palettes/ChangePalletteFrm.h"
#include "palettes/PaletteFiles.h"
#include "shell/FileDialogs.h"
#include "shell/Session.h"
#include "widgets/ErrorReport.h"
#include "widgets/Questions.h"
#include "widgets/Workspace.h"

#include <QAction>
#include <QFileInfo>

#include <algorithm>

namespace velkora {

namespace {

const QString PaletteFilter =
    QStringLiteral("Palette files (*.pal *.gpl *.hex *.png);;JASC-PAL (*.pal);;GIMP palettes "
                   "(*.gpl);;Hex colours (*.hex);;PNG pictures (*.png)");

QColor ToColor(const TCol& c) {
    return QColor(c.R, c.G, c.B);
}

} // namespace

TPaletteEditor::TPaletteEditor(TSession& Session, TChPalFrm* Frame, QWidget* Window)
    : QObject(Window), fSession(Session), fFrame(Frame), fWindow(Window) {
    TPaletteDocument& Palettes = fSession.Palettes();
    SaveAction = Action(QStringLiteral("Save &palettes"), &TPaletteEditor::SaveClick);
    SaveAction->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S));
    EditColourAction =
        Action(QStringLiteral("&Edit colour..."), &TPaletteEditor::EditCurrentColour);
    UndoAction = new QAction(this);
    UndoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z));
    connect(UndoAction, &QAction::triggered, Palettes.UndoStack(), &QUndoStack::undo);
    RedoAction = new QAction(this);
    RedoAction->setShortcuts({QKeySequence(Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::Key_Z),
                              QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Y)});
    connect(RedoAction, &QAction::triggered, Palettes.UndoStack(), &QUndoStack::redo);
    ImportAction = Action(QStringLiteral("&Import palette..."), &TPaletteEditor::ImportClick);
    ExportAction = Action(QStringLiteral("E&xport palette..."), &TPaletteEditor::ExportClick);
    const auto Separator = [this] {
        auto* a = new QAction(this);
        a->setSeparator(true);
        return a;
    };
    fMenuActions = {EditColourAction, Separator(),  UndoAction,  RedoAction,
                    Separator(),      ImportAction, ExportAction};
    // Without a palette there is nothing to edit or export.
    for (QAction* a : {EditColourAction, ImportAction, ExportAction})
        a->setEnabled(Palettes.Count() > 0);

    connect(Palettes.UndoStack(), &QUndoStack::indexChanged, this,
            &TPaletteEditor::FollowUndoStack);
    connect(&Palettes, &TPaletteDocument::ModifiedChanged, this, &TPaletteEditor::ModifiedChanged);
    FollowUndoStack();
    if (fFrame)
        connect(fFrame, &TChPalFrm::EditColour, this,
                [this](int p, int c) { RunReported([&] { EditColour(p, c); }); });
}

QAction* TPaletteEditor::Action(const QString& Text, void (TPaletteEditor::*Handler)()) {
    auto* a = new QAction(Text, this);
    connect(a, &QAction::triggered, this,
            [this, Handler] { RunReported([&] { (this->*Handler)(); }); });
    return a;
}

void TPaletteEditor::FollowUndoStack() {
    const QUndoStack* Stack = fSession.Palettes().UndoStack();
    UndoAction->setEnabled(Stack->canUndo());
    UndoAction->setText(Stack->canUndo() ? QStringLiteral("&Undo ") + Stack->undoText()
                                         : QStringLiteral("&Undo palette change"));
    RedoAction->setEnabled(Stack->canRedo());
    RedoAction->setText(Stack->canRedo() ? QStringLiteral("&Redo ") + Stack->redoText()
                                         : QStringLiteral("&Redo palette change"));
}

void TPaletteEditor::EditColour(int p, int c) {
    TPaletteDocument& Palettes = fSession.Palettes();
    if (p < 0 || p >= Palettes.Count() || c < 0 || c > 15)
        return;
    QList<QColor> Swatches;
    for (const TCol& Col : Palettes.Palettes()[size_t(p)].Col)
        Swatches << ToColor(Col);
    const std::optional<QColor> Chosen =
        AskColour(fWindow, ToColor(Palettes.Colour(p, c)),
                  QStringLiteral("Colour %1 of palette %2").arg(c).arg(p + 1), Swatches);
    if (!Chosen)
        return;
    const QColor& Rgb = *Chosen;
    Palettes.SetColour(p, c, {uint8_t(Rgb.red()), uint8_t(Rgb.green()), uint8_t(Rgb.blue())});
}

void TPaletteEditor::EditCurrentColour() {
    if (fFrame && fFrame->fPalSel && fFrame->fPalSel->ItemCount() > 0) {
        const int Count = fFrame->fPalSel->ItemCount();
        const int Entry = std::clamp(fFrame->CurSelpalIndex(), 1, Count);
        if (const auto Swatch = fFrame->SwatchColour(fFrame->fPalSel->Item(Entry - 1))) {
            EditColour(Swatch->first, Swatch->second);
            return;
        }
    }
    EditColour(CurrentPalette(), 0);
}

int TPaletteEditor::CurrentPalette() const {
    const int Count = fSession.Palettes().Count();
    if (Count == 0)
        return -1;
    return fFrame ? std::clamp(int(fFrame->SecondPalIndex()), 0, Count - 1) : 0;
}

void TPaletteEditor::ImportClick() {
    const int p = CurrentPalette();
    if (p < 0)
        return;
    const QString FileName =
        FileDialogs::OpenFile(fWindow, QStringLiteral("Palette"),
                              QStringLiteral("Import palette %1").arg(p + 1), PaletteFilter);
    if (FileName.isEmpty())
        return;
    const TPallette Pal = PaletteFiles::ReadPaletteFile(FileName);
    fSession.Palettes().SetPalette(p, Pal,
                                   QStringLiteral("import of %1 into palette %2")
                                       .arg(QFileInfo(FileName).fileName())
                                       .arg(p + 1));
}

void TPaletteEditor::ExportClick() {
    const int p = CurrentPalette();
    if (p < 0)
        return;
    const QString FileName = FileDialogs::SaveFile(
        fWindow, QStringLiteral("Palette"), QStringLiteral("Export palette %1").arg(p + 1),
        PaletteFilter, QStringLiteral("Palette %1.pal").arg(p + 1), QStringLiteral("pal"), true);
    if (FileName.isEmpty())
        return;
    PaletteFiles::WritePaletteFile(FileName, fSession.Palettes().Palettes()[size_t(p)],
                                   QStringLiteral("Palette %1").arg(p + 1));
}

void TPaletteEditor::SaveClick() {
    // A parameters file that leads outside the data root is written only when the user says so.
    if (!MayWriteOutsideRoot(fWindow, fSession.CurrentDir(), fSession.XMLDocument()->FileName))
        return;
    fSession.Palettes().Save();
}

bool TPaletteEditor::IsModified() const {
    return fSession.Palettes().IsModified();
}

QString TPaletteEditor::Title() const {
    return fSession.Palettes().FileTitle();
}

bool TPaletteEditor::MayDiscard() {
    return MayDiscardChanges(
        fWindow, Title(), [this] { return IsModified(); }, [this] { SaveClick(); });
}

} // namespace velkora
