// SPDX-License-Identifier: MIT
#include "maps/LevelEdit.h"

#include "maps/MapClipboard.h"
#include "maps/MapDocument.h"
#include "maps/MapSelection.h"
#include "maps/MapTextures.h"
#include "maps/MapToolBox.h"
#include "widgets/ErrorReport.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>

namespace velkora {

TLevelEdit::TLevelEdit(TMapDocument& Document, TMapToolBox& Tools, TMapTextures& Textures,
                       QWidget* Window)
    : QObject(Window), fDocument(Document), fTools(Tools), fTextures(Textures), fWindow(Window) {
    CutAction = Make(QStringLiteral("Cu&t"), QKeySequence::keyBindings(QKeySequence::Cut),
                     [this] { Cut(); });
    CopyAction = Make(QStringLiteral("&Copy"), QKeySequence::keyBindings(QKeySequence::Copy),
                      [this] { Copy(); });
    PasteAction = Make(QStringLiteral("&Paste"), QKeySequence::keyBindings(QKeySequence::Paste),
                       [this] { Paste(); });
    DeleteAction =
        Make(QStringLiteral("&Delete"), {QKeySequence(Qt::Key_Delete)}, [this] { Delete(); });
    SelectAllAction = Make(QStringLiteral("Select &all"), {QKeySequence(Qt::CTRL | Qt::Key_A)},
                           [this] { fTools.Selection().SelectAll(); });
    SelectNoneAction =
        Make(QStringLiteral("Select &none"), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A)},
             [this] { fTools.Selection().Clear(); });
    FlipXAction = Make(QStringLiteral("Flip stamp &horizontally"), {QKeySequence(Qt::Key_X)},
                       [this] { fTools.Flip(true, false); });
    FlipYAction = Make(QStringLiteral("Flip stamp &vertically"), {QKeySequence(Qt::Key_Y)},
                       [this] { fTools.Flip(false, true); });
    ResizeAction = Make(QStringLiteral("&Resize map..."), {}, [this] { Resize(); });

    ResizeDialog = [this](TResizeChoice& Choice) {
        TResizeMapDialog Dialog(QSize(fDocument.Width(), fDocument.Height()), Choice,
                                fTextures.CellPictures(), fWindow);
        if (Dialog.exec() != QDialog::Accepted)
            return false;
        Choice = Dialog.Choice();
        return true;
    };
    connect(&fTools.Selection(), &TMapSelection::Changed, this, [this] {
        Enable();
        emit Changed();
    });
    connect(&fTools, &TMapToolBox::PastingChanged, this, &TLevelEdit::Changed);
    connect(&fTools, &TMapToolBox::ItemChanged, this, &TLevelEdit::Changed);
    connect(&fDocument, &TMapDocument::MapReplaced, this, &TLevelEdit::Enable);
    Enable();
}

QAction* TLevelEdit::Make(const QString& Text, const QList<QKeySequence>& Keys,
                          std::function<void()> Handler) {
    auto* a = new QAction(Text, fWindow);
    a->setShortcuts(Keys);
    connect(a, &QAction::triggered, this, [Handler] { RunReported(Handler); });
    return a;
}

QList<QAction*> TLevelEdit::EditActions() const {
    return {CutAction,       CopyAction,       PasteAction, DeleteAction,
            SelectAllAction, SelectNoneAction, FlipXAction, FlipYAction};
}

QList<QAction*> TLevelEdit::MapActions() const {
    return {ResizeAction};
}

void TLevelEdit::Enable() {
    const bool HasMap = fDocument.HasMap();
    const bool Selected = !fTools.Selection().IsEmpty();
    for (QAction* a : {CutAction, CopyAction, DeleteAction})
        a->setEnabled(Selected);
    for (QAction* a : {PasteAction, SelectAllAction, SelectNoneAction, ResizeAction})
        a->setEnabled(HasMap);
}

void TLevelEdit::Copy() {
    const TCellBlock Block = fTools.Selection().Copy();
    if (Block.IsEmpty())
        return;
    QGuiApplication::clipboard()->setMimeData(MapClipboard::ToMimeData(Block));
    fTools.SetStamp(Block);
}

void TLevelEdit::Cut() {
    // The item chosen before the copy makes the cut cells' stamp.
    const int Item = fTools.Item();
    Copy();
    fTools.Selection().Fill(uint8_t(Item), QStringLiteral("Cut"));
}

void TLevelEdit::Delete() {
    fTools.Selection().Fill(uint8_t(fTools.Item()), QStringLiteral("Delete"));
}

void TLevelEdit::Paste() {
    if (!fDocument.HasMap())
        return;
    if (const auto Block = MapClipboard::FromMimeData(QGuiApplication::clipboard()->mimeData()))
        fTools.Paste(*Block);
}

void TLevelEdit::Resize() {
    if (!fDocument.HasMap())
        return;
    TResizeChoice Choice{fDocument.Width(), fDocument.Height(), 0, 0, fTools.Item()};
    if (!ResizeDialog || !ResizeDialog(Choice))
        return;
    fDocument.Resize(Choice.Width, Choice.Height, Choice.DX, Choice.DY, uint8_t(Choice.Fill));
}

} // namespace velkora
