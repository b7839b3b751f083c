#pragma once
// The palette-set frame: two palettes chosen by number, the 16-entry colour mapping edited entry
// by entry, palette sets applied from and stored into the parameters file. It recolours nothing
// itself: every change is reported to its owner through three callbacks.

#include "shell/MyTypes.h"
#include "ui_ChangePalletteFrm.h"

#include <QWidget>

#include <functional>

namespace velkora {

using TRefProc = std::function<void()>;
using TOnSetPalSwap = std::function<void(int32_t MIndex, int32_t SwapIndex)>;

class TChPalFrm : public QWidget, public Ui::TChPalFrm {
    Q_OBJECT
public:
    explicit TChPalFrm(QWidget* Parent = nullptr);
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
    // The workbench calls it after every sprite load. No selected set: nothing happens.
    void PalCmbChange();

private:
    int32_t fFirstCMBII = 0;
    int32_t fSecondCMBII = 0;
    TRefProc fOnChangeFirstPal;
    TOnSetPalSwap fOnSetPalSwap;
    TPalletteArray fPalSet = IdentityPallette();
    TRefProc fOnResetbtnClick;
};

// The one palette-set frame.
extern TChPalFrm* fChPalFrm;

} // namespace velkora
