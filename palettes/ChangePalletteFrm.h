// SPDX-License-Identifier: MIT
#pragma once
// The palette-set frame: the view and the controls of a sprite document's two palettes and its
// 16-entry colour mapping. A palette chosen here, a mapping entry edited, a palette set applied
// and Reset are edits of the document, made here; the palettes, the mapping and the palette sets
// it shows are the document's and the session's, and it repaints from their signals. Its owner
// hears of each change afterwards through three callbacks.

#include "palettes/BmpMaker.h"
#include "palettes/PalFrm.h"
#include "shell/MyTypes.h"
#include "shell/ParamsFile.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <memory>

#include <array>
#include <functional>

class QComboBox;
class QFrame;
class QPushButton;

namespace Ui {
class TChPalFrm;
}

namespace velkora {

class TSession;
class TSpriteDocument;

using TRefProc = std::function<void()>;
using TOnSetPalSwap = std::function<void(int32_t MIndex, int32_t SwapIndex)>;

class TChPalFrm : public QWidget {
    Q_OBJECT
public:
    // The controls, as the form file lays them out.
    QFrame* Panel1 = nullptr;
    QFrame* FirstPalPanel = nullptr;
    QFrame* FirstPalCmbPanel = nullptr;
    TImageControl* CmbIcon = nullptr;
    QFrame* SecondPalCMB = nullptr;
    TImageControl* SecondCmbIcon = nullptr;
    QPushButton* Resetbtn = nullptr;
    QComboBox* PalCmb = nullptr;
    QPushButton* Addbtn = nullptr;

    // The frame of Session's palettes and palette sets, editing Document. Once the document is
    // gone the frame shows palette 0 unmapped and its controls change nothing.
    TChPalFrm(TSession& Session, TSpriteDocument* Document, QWidget* Parent = nullptr);
    ~TChPalFrm() override;

    // Index of the first / second palette in PalletteArray, from 0: the document's.
    int32_t FirstPalIndex() const;
    int32_t SecondPalIndex() const;
    // The document's colour mapping. Setting it recolours the document (one undo step).
    const TPalletteArray& PalletteSet() const;
    void SetPalletteSet(const TPalletteArray& Value);

    // Callbacks to the owner, each called only when set, after the change they report.
    const TRefProc& OnChangeFirstPal() const { return fOnChangeFirstPal; }
    void SetOnChangeFirstPal(TRefProc Value) { fOnChangeFirstPal = std::move(Value); }
    const TOnSetPalSwap& OnSetPalSwap() const { return fOnSetPalSwap; }
    void SetOnSetPalSwap(TOnSetPalSwap Value) { fOnSetPalSwap = std::move(Value); }
    const TRefProc& OnResetbtnClick() const { return fOnResetbtnClick; }
    void SetOnResetbtnClick(TRefProc Value) { fOnResetbtnClick = std::move(Value); }

    // Recolours the document with the selected palette set and reports it through
    // OnSetPalSwap(0, 0). No selected set: nothing happens.
    void PalCmbChange();
    // The mapping of the selected palette set; none when no set is selected. The workbench
    // loads every sprite with it.
    std::optional<TPalletteArray> SelectedSet() const;

    // "Add current": stores the mapping as a new set through the session, which reads the set
    // list again.
    void AddbtnClick();
    // "Reset": the document's Reset (its own words, the identity mapping), then OnResetbtnClick.
    void ResetbtnClick();
    // Recolours the document with the identity mapping.
    void ResetPalSet();
    // Colour PalletteSet()[i] of the second palette: what the sprite's colour index i looks like
    // now.
    QColor SecondColorFunc(int32_t i) const;
    // Reads the palette sets of the parameters file into sa; on an error sa holds the sets read
    // before it; raises the file's errors. Appends cSet's mapping as set number "the sets the file
    // holds" (counted under the file's lock) through the session, which then holds the sets read
    // again (XMLDoc is the session's document); cSet.Name is not stored.
    void LoadPalSets(TPalSetArray& sa, TXMLDocument* XMLDoc) const;
    void AddPalSet(const TPalSet& cSet, TXMLDocument* XMLDoc) const;

    // The palette selectors: the pointer over one makes the palette list and the wheel act on
    // it; a click opens or closes the palette list below it.
    void CmbIconClick(TImageControl* Sender);
    void CmbIconMouseEnter(TImageControl* Sender);
    void CmbIconMouseLeave(TImageControl* Sender);
    // One wheel notification over the frame; every other one acts (the first, third, ...) on
    // the selector under the pointer: the next palette for a negative delta (rolled towards
    // the user), the previous one otherwise, held within the palettes there are.
    void FormMouseWheel(int WheelDelta);
    // A click on the frame's background closes the colour chooser.
    void FormClick();
    // The strips appear with the frame's first paint.
    void FormPaint();

    // The selectors: the first palette's colours, the mapping strip, the 4 x 4 colour chooser
    // and the palette list. Children of the frame or its panels.
    TPalSel* fFirstPal = nullptr;
    TPalSel* fPalSel = nullptr;
    TPalSel* fComboSel = nullptr;
    TPalSel* fFirstPalCMB = nullptr;
    // The palette selectors' chevron: 0 normal, 1 under the pointer.
    std::array<QImage, 2> ImageList1;

    // Palette and colour number of what a swatch of the first palette's strip or of the mapping
    // strip shows; none for another widget.
    std::optional<std::pair<int32_t, int32_t>> SwatchColour(const QObject* Swatch) const;

    // State shown for inspection.
    int32_t FocusedCmb() const { return fFocusedCmb; }
    int32_t CurSelpalIndex() const { return fCurSelpalIndex; }
    int64_t WheelCount() const { return wc; }
    // The palette sets, as the session holds them.
    const TPalSetArray& PalSetArray() const;

signals:
    // A swatch was double-clicked: colour Colour of palette Palette is to be edited.
    void EditColour(int Palette, int Colour);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;

private:
    void FormCreate();
    // Handlers of the selectors.
    void FirstPalCMBSelectItem(TImageControl* Item);
    void PalSelSelectItem(TImageControl* Item);
    void PalSelChangeHL(TImageControl* Item);
    void ComboSelSelectItem(TImageControl* Item);

    // Colour c of palette p; the window background colour (the background of window content)
    // when there is no such colour, as when no palette was read.
    QColor PalColor(int32_t p, int32_t c) const;
    // Writes a 1-based palette number at the left of a palette selector.
    void WritePalNumber(TImageControl* Icon, int32_t Number);
    void DrawChevron(TImageControl* Icon, int Picture);
    // Opens the palette list below a selector's panel, no taller than the frame leaves room for.
    void PlacePaletteList(const QWidget* Panel);
    void FillPalCmb();
    // Gives the document the palettes First and Second, shows them and reports the change.
    void ChoosePalettes(int32_t First, int32_t Second);
    // The one repaint of what the frame shows of the document: both palette numbers, the first
    // palette's strip, the mapping strip and the chooser, each from the document as it is now.
    void ShowDocument();
    // What the mapping strip shows: the first palette unmapped (at first, and after a first
    // palette is chosen in the list), or else the second palette through the mapping.
    void ShowMappedStrip();
    // The mapping strip alone, as the document's mapping is now.
    void ShowMapping();
    // ShowDocument for a change of the palettes: what shows a palette already shown stays.
    void ShowPalettes();
    // The document's mapping changed (an edit, its undo, a load).
    void DocumentMappingChanged();
    // Selects, without applying it, the set whose mapping the document shows, or none.
    void ShowAppliedSet();
    // True when set Index is the document's mapping, shown and applied (or there is no document).
    bool SetIsApplied(int Index) const;
    void DocumentLoaded();
    // Recolours the document with Mapping, when there is a document.
    void Recolour(const TPalletteArray& Mapping);
    // The palettes' colours changed: every strip shows them anew.
    void RepaintSwatches();
    // Colour c of palette p of the session.
    const TPalletteList& Palettes() const;

    TSession& fSession;
    QPointer<TSpriteDocument> fDocument;

    int32_t fFocusedCmb = -1;
    int64_t wc = 0;
    TRefProc fOnChangeFirstPal;
    TOnSetPalSwap fOnSetPalSwap;
    int32_t fCurSelpalIndex = 0;
    TRefProc fOnResetbtnClick;
    // The mapping strip shows the first palette unmapped.
    bool fStripShowsFirst = true;
    // The palettes the number fields, the first strip and the chooser show (-1: none yet).
    int32_t fShownFirst = -1;
    int32_t fShownSecond = -1;

    // Telling one wheel notification from its travel up the parents (see eventFilter).
    QPointer<QWidget> fWheelReceiver;
    quint64 fWheelTime = 0;
    bool fBackgroundPressed = false;
    // Set while a mapping entry edited here reaches the document.
    bool fEditingEntry = false;
    // The index the set list's selection last changed to, until the choice that changed it ends.
    int fChangedTo = -1;

private:
    std::unique_ptr<Ui::TChPalFrm> fUi;
};

} // namespace velkora
