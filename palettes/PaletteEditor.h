// SPDX-License-Identifier: MIT
#pragma once
// The palettes' part of the main window: the Palette menu and File > Save palettes. A colour is
// changed with a colour dialog (a swatch of the palette-set frame double-clicked, or Palette >
// Edit colour...) as one undoable step of the session's palette document; a palette is exported
// to and imported from palette files; the palettes are saved into the parameters file, and their
// unsaved changes are asked about before they would be lost, as every document's are.

#include <QObject>
#include <QPointer>

class QAction;
class QWidget;

namespace velkora {

class TChPalFrm;
class TSession;

class TPaletteEditor : public QObject {
    Q_OBJECT
public:
    // Edits Session's palettes. Frame, when given, is the palette-set frame whose swatches open
    // the colour dialog and whose palettes the menu acts on; dialogs and questions belong to
    // Window.
    TPaletteEditor(TSession& Session, TChPalFrm* Frame, QWidget* Window);

    // File > Save palettes.
    QAction* SaveAction = nullptr;
    // The Palette menu.
    QAction* EditColourAction = nullptr;
    QAction* UndoAction = nullptr;
    QAction* RedoAction = nullptr;
    QAction* ImportAction = nullptr;
    QAction* ExportAction = nullptr;
    // The Palette menu's actions in menu order, separators included.
    QList<QAction*> MenuActions() const { return fMenuActions; }

    // Asks for a new colour for colour c of palette p (AskColour, with the palette's colours
    // beside it); the change is one undoable step.
    void EditColour(int p, int c);
    // Palette > Edit colour...: the colour the mapping strip's entry chosen last (the first
    // before any) shows.
    void EditCurrentColour();
    // The palette that Import palette... and Export palette... act on: the second palette of the
    // frame, in which the sprite is drawn; -1 when there is no palette.
    int CurrentPalette() const;
    // Palette > Import palette...: the current palette takes the 16 colours of a palette file, as
    // one undoable step. Palette > Export palette...: writes the current palette, as it is now,
    // into a palette file. The file's suffix names its format (PaletteFiles).
    void ImportClick();
    void ExportClick();
    // File > Save palettes: writes the changed colours into the parameters file.
    void SaveClick();

    bool IsModified() const;
    // What the title and the question name: the parameters file ("XMLParams.xml").
    QString Title() const;
    // Before unsaved palette changes would be lost: asks Save, Discard or Cancel. True when the
    // changes may go (there were none, they were discarded, or saved); false for Cancel or a save
    // that failed (reported) or did not happen.
    bool MayDiscard();

signals:
    void ModifiedChanged();

private:
    QAction* Action(const QString& Text, void (TPaletteEditor::*Handler)());
    void FollowUndoStack();

    TSession& fSession;
    QPointer<TChPalFrm> fFrame;
    QWidget* fWindow;
    QList<QAction*> fMenuActions;
};

} // namespace velkora
