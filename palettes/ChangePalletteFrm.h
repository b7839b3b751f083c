#pragma once
// The palette-set frame: two palettes chosen by number, the 16-entry colour mapping edited entry
// by entry, palette sets applied from and stored into the parameters file. It gives the sprite
// document the two palettes chosen and shows the document's mapping; a change of the mapping (a
// colour chosen, a set applied, Reset) goes to its owner through three callbacks.

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

    // The frame of Session's palettes and palette sets, editing Document (when given): the frame
    // shows the document's mapping and gives it the palettes chosen here.
    TChPalFrm(TSession& Session, TSpriteDocument* Document, QWidget* Parent = nullptr);
    ~TChPalFrm() override;

    // Index of the first / second palette in PalletteArray, from 0.
    int32_t FirstPalIndex() const { return fFirstCMBII; }
    int32_t SecondPalIndex() const { return fSecondCMBII; }
    // The current colour mapping.
    const TPalletteArray& PalletteSet() const { return fPalSet; }
    void SetPalletteSet(const TPalletteArray& Value) { fPalSet = Value; }

    // Callbacks to the owner; each is called only when set.
    const TRefProc& OnChangeFirstPal() const { return fOnChangeFirstPal; }
    void SetOnChangeFirstPal(TRefProc Value) { fOnChangeFirstPal = std::move(Value); }
    const TOnSetPalSwap& OnSetPalSwap() const { return fOnSetPalSwap; }
    void SetOnSetPalSwap(TOnSetPalSwap Value) { fOnSetPalSwap = std::move(Value); }
    const TRefProc& OnResetbtnClick() const { return fOnResetbtnClick; }
    void SetOnResetbtnClick(TRefProc Value) { fOnResetbtnClick = std::move(Value); }

    // Takes the selected palette set as the mapping and reports it through OnSetPalSwap(0, 0).
    // No selected set: nothing happens.
    void PalCmbChange();
    // The mapping of the selected palette set; none when no set is selected. The workbench
    // loads every sprite with it.
    std::optional<TPalletteArray> SelectedSet() const;

    // "Add current": stores the mapping as a new set and reads the set list again.
    void AddbtnClick();
    // "Reset": the identity mapping, reported through OnResetbtnClick only.
    void ResetbtnClick();
    // The mapping becomes the identity.
    void ResetPalSet();
    // Colour fPalSet[i] of the second palette: what the sprite's colour index i looks like now.
    QColor SecondColorFunc(int32_t i) const;
    // Reads the palette sets of the parameters file into sa; on an error sa holds the sets read
    // before it. Appends cSet's mapping as set number "the sets the file holds" (counted under
    // the file's lock); cSet.Name is not stored. Both go through the given document and raise
    // its errors.
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
    const TPalSetArray& PalSetArray() const { return fPalSetArray; }

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
    // Item i gets colour i of palette p.
    TGetColorFunc PaletteColors(int32_t p) const;
    // The chooser shows the 16 colours of the second palette.
    void ShowChooserColors();
    // Writes a 1-based palette number at the left of a palette selector.
    void WritePalNumber(TImageControl* Icon, int32_t Number);
    void DrawChevron(TImageControl* Icon, int Picture);
    // Opens the palette list below a selector's panel, no taller than the frame leaves room for.
    void PlacePaletteList(const QWidget* Panel);
    void FillPalCmb();
    void ChangeFirstPal();
    // Gives the document the palettes chosen here and reports the change.
    void PalettesChosen();
    // The document's mapping changed (an edit, its undo, a load).
    void DocumentMappingChanged();
    // Selects, without applying it, the set whose mapping the document shows, or none.
    void ShowAppliedSet();
    // True when set Index is the document's mapping, shown and applied (or there is no document).
    bool SetIsApplied(int Index) const;
    void DocumentLoaded();
    // The palettes' colours changed: every strip shows them anew.
    void RepaintSwatches();
    // Colour c of palette p of the session.
    const TPalletteList& Palettes() const;

    TSession& fSession;
    QPointer<TSpriteDocument> fDocument;

    int32_t fFocusedCmb = -1;
    int32_t fFirstCMBII = 0;
    int32_t fSecondCMBII = 0;
    int64_t wc = 0;
    TRefProc fOnChangeFirstPal;
    TOnSetPalSwap fOnSetPalSwap;
    int32_t fCurSelpalIndex = 0;
    TPalletteArray fPalSet = MyTypes::IdentityPallette();
    TRefProc fOnResetbtnClick;
    TPalSetArray fPalSetArray;

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
