// SPDX-License-Identifier: MIT
#pragma once
// The selector popup: a borderless grid of equal, clickable, coloured and labelled items with a
// hover highlight. It knows nothing of palettes: its owner supplies colours and texts and reads
// the meaning of an item from its 1-based tag. The selector positions nothing on its own and
// never shows itself; its owner moves, shows and hides it.

#include "widgets/ImageControl.h"

#include <QColor>
#include <QWidget>

#include <memory>

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

class QScrollArea;
class QWidget;

namespace Ui {
class TPalSel;
}

namespace velkora {

// Colour of the item with a 0-based index.
using TGetColorFunc = std::function<QColor(int32_t Index)>;
// Label of the item with a 0-based index.
using TGetTextFunc = std::function<QString(int32_t Index)>;
// A notification about an item; its Tag() is its 1-based number.
using TSelectProcedure = std::function<void(TImageControl* Item)>;

enum TSelectMode { smFull, smBottomLine };

class TPalSel : public QWidget {
    Q_OBJECT
public:
    // The controls, as the form file lays them out.
    QScrollArea* ScrollBox = nullptr;
    QWidget* ScrollBoxContents = nullptr;

    explicit TPalSel(QWidget* Parent = nullptr);
    ~TPalSel() override;

    // Replaces all items by a grid of w rows of h items each, tagged 1, 2, ... row by row,
    // painted green with a black border, and sizes the selector to fit them: neighbouring items
    // share a one-pixel border and the outer left and top border lines lie outside the
    // selector. Clears the highlight and the labels and switches highlighting on. A grid without
    // items sizes the selector to nothing.
    void Init(int32_t w, int32_t h);

    // Writing ColorProc repaints every item at once in the colour it returns (labels are painted
    // over); writing TextOutProc labels every item with the text it returns.
    const TGetColorFunc& ColorProc() const { return fColorProc; }
    void SetfColorProc(TGetColorFunc Value);
    const TGetTextFunc& TextOutProc() const { return fTextOut; }
    void SetTextOutProc(TGetTextFunc Value);

    // Called after a click on an item.
    const TSelectProcedure& OnSelectItem() const { return fOnSelectItem; }
    void SetOnSelectItem(TSelectProcedure Value) { fOnSelectItem = std::move(Value); }
    // Called after the highlight has moved to another item.
    const TSelectProcedure& OnChangeHL() const { return fOnChangeHL; }
    void SetOnChangeHL(TSelectProcedure Value) { fOnChangeHL = std::move(Value); }
    // Hide the selector after a click has been reported.
    bool CloseAfterSelect() const { return fCloseAfterSelect; }
    void SetCloseAfterSelect(bool Value) { fCloseAfterSelect = Value; }
    // Whether the item under the pointer is highlighted.
    bool Selecteble() const { return fSelecteble; }
    void SetSelecteble(bool Value) { fSelecteble = Value; }
    // Item size for the next Init.
    int32_t ItemWidth() const { return fItemWidth; }
    void SetItemWidth(int32_t Value) { fItemWidth = Value; }
    int32_t ItemHeight() const { return fItemHeight; }
    void SetItemHeight(int32_t Value) { fItemHeight = Value; }
    TSelectMode SelectMode() const { return fSelectMode; }
    void SetSelectMode(TSelectMode Value) { fSelectMode = Value; }

    // The items, index = item index (tag - 1).
    int ItemCount() const { return int(fImages.size()); }
    TImageControl* Item(int Index) const { return fImages.at(size_t(Index)); }
    // The highlighted item, or none.
    TImageControl* HLImage() const { return fHLImage; }
    // The label drawn on an item; empty when it has none.
    QString ItemText(const TImageControl* Item) const;
    // The size Init gave the selector; its owner may make the selector smaller, and the items
    // then scroll vertically.
    QSize GridSize() const { return fGridSize; }
    // Whether the items scroll because the selector is smaller than its grid.
    bool Scrolls() const;

    // The click and mouse-move handlers of every item; Sender is the item.
    void FormClick(QObject* Sender);
    void FormMouseMove(QObject* Sender);

protected:
    void resizeEvent(QResizeEvent* Event) override;

private:
    void FormCreate();
    void FreeItems();

    std::vector<TImageControl*> fImages;
    TSelectProcedure fOnSelectItem;
    bool fCloseAfterSelect = false;
    TImageControl* fHLImage = nullptr;
    QColor fHLItemColor = QColor(0, 0, 0);
    TSelectProcedure fOnChangeHL;
    TGetColorFunc fColorProc;
    bool fSelecteble = false;
    int32_t fItemWidth = 24;
    int32_t fItemHeight = 24;
    TGetTextFunc fTextOut;
    TSelectMode fSelectMode = smBottomLine;
    std::map<const TImageControl*, QString> fTextList;
    QSize fGridSize;

private:
    std::unique_ptr<Ui::TPalSel> fUi;
};

} // namespace velkora
