#pragma once
// The sprite workbench: pick a library sprite, view it in a size, order and palette, recolour it
// through the palette-set frame, export and import the edit file, save it back into the library.
//
// What is shown, exported and saved is always the words of the one current sprite; the library
// file changes only when the user saves into it.

#include "palettes/PalSwapper.h"
#include "shell/ParamsFile.h"
#include "sprites/SpriteEditor.h"
#include "ui_SpritesFrm.h"

#include <QImage>
#include <QList>
#include <QPixmap>
#include <QWidget>

#include <functional>
#include <memory>

namespace velkora {

class TSpriteFrm : public QWidget, public Ui::TSpriteFrm {
    Q_OBJECT
public:
    explicit TSpriteFrm(QWidget* Parent = nullptr);
    ~TSpriteFrm() override;

    // The file dialogs: each returns the chosen file name, or an empty text when the user
    // cancels. Both offer "Any file (*)", start in no particular folder, add no suffix, and the
    // save dialog replaces an existing file without asking. Tests put their own choice here.
    using TFileDialog = std::function<QString()>;
    TFileDialog OpenDialog1;
    TFileDialog SaveDialog1;

    // The parameters document; published as the shared XMLDocument for as long as the workbench
    // lives.
    TXMLDocument XMLDocument1;
    // Holds no image; nothing uses it.
    QList<QPixmap> ImageList1;

    // Handlers.
    void FormCreate();
    void FormShow();
    void FormDestroy();
    // Loads the selected library sprite anew from its file, renders it, resets the swapper to it
    // and lets the palette-set frame apply its selected set.
    void ComboBox1Change();
    // Serves SizeCmb, PalCmb and CwCmb: renders again when the sprite has a tile.
    void SizeCmbChange();
    // Saves the current sprite into its library file, compressed when CheckBox1 is ticked.
    void BitBtn1Click();
    // Imports an edit file as the current sprite ("Open").
    void LoadFromIdaBtnClick();
    // Exports the current sprite's words as an edit file ("Save").
    void SaveToIdaBtnClick();

    // The current sprite and its rendering, as shown in Image1.
    const TSpriteInfo& SpriteInfo() const { return fSpriteInfo; }
    const QImage& BMP() const { return fBMP; }

protected:
    void showEvent(QShowEvent* Event) override;

private:
    // Renders the current sprite into fBMP and shows it in Image1 at once, 1:1.
    void SetImage();
    // The sprite at ComboBox1's selection, read from its file; an empty sprite when nothing is
    // selected (an empty library).
    TSpriteInfo SelectedSprite() const;
    // The three callbacks registered on the palette-set frame at every show.
    void ChangeFirstPal();
    void SetPalSwap();
    void ResetbtnClick();

    TSpriteInfo fSpriteInfo;
    QImage fBMP;
    // Made with the workbench, so that it exists even when the create handler fails part way.
    std::unique_ptr<TPalletteSwapper> fPalletteSwapper;
    // This workbench while it lives, null once it is being destroyed; shared with the callbacks.
    std::shared_ptr<TSpriteFrm*> fSelf = std::make_shared<TSpriteFrm*>(this);
};

} // namespace velkora
