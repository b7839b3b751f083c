// SPDX-License-Identifier: MIT
#include "maps/MapClipboard.h"

#include <QMimeData>

namespace velkora::MapClipboard {

const QString CellsMimeType = QStringLiteral("application/x-velkora-map-cells");

namespace {

// A copy of a whole large map is cheap: the binary and the text forms are made only when a paste
// (here or in another program) asks for them.
class TCellsMimeData : public QMimeData {
public:
    explicit TCellsMimeData(TCellBlock Block) : fBlock(std::move(Block)) {}
    const TCellBlock& Block() const { return fBlock; }

    QStringList formats() const override { return {CellsMimeType, QStringLiteral("text/plain")}; }
    bool hasFormat(const QString& Type) const override { return formats().contains(Type); }

protected:
    QVariant retrieveData(const QString& Type, QMetaType As) const override {
        if (Type == CellsMimeType)
            return CellBlocks::ToBytes(fBlock);
        if (Type == QLatin1String("text/plain")) {
            const QString Text = CellBlocks::ToText(fBlock);
            if (As.id() == QMetaType::QByteArray)
                return Text.toUtf8();
            return Text;
        }
        return QMimeData::retrieveData(Type, As);
    }

private:
    TCellBlock fBlock;
};

} // namespace

QMimeData* ToMimeData(const TCellBlock& Block) {
    return new TCellsMimeData(Block);
}

std::optional<TCellBlock> FromMimeData(const QMimeData* Data) {
    if (!Data)
        return std::nullopt;
    // Our own copy, still in this program: the block as it is.
    if (const auto* Own = dynamic_cast<const TCellsMimeData*>(Data))
        return Own->Block();
    if (Data->hasFormat(CellsMimeType))
        if (auto Block = CellBlocks::FromBytes(Data->data(CellsMimeType)))
            return Block;
    if (Data->hasText())
        return CellBlocks::FromText(Data->text());
    return std::nullopt;
}

} // namespace velkora::MapClipboard
