// SPDX-License-Identifier: MIT
#include "maps/MapDocument.h"

#include "maps/MapEditing.h"

#include "maps/MapLoader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace velkora {

// ---- TMapParams -----------------------------------------------------------------------------

uint8_t TMapParams::GetValue(int W, int H) const {
    if (!Contains(W, H))
        throw EListError(int(int64_t(W) * Width + H));
    return DecomBytes[size_t(W) * size_t(Width) + size_t(H)];
}

void TMapParams::SetValue(int W, int H, int Value) {
    if (!Contains(W, H))
        throw EListError(int(int64_t(W) * Width + H));
    DecomBytes[size_t(W) * size_t(Width) + size_t(H)] = uint8_t(Value & 0xFF);
}

// ---- Commands -------------------------------------------------------------------------------

namespace {
constexpr int StrokeCommandId = 1;
constexpr int BlockStrokeCommandId = 2;
} // namespace

// Every command of a map's history tells the memory it holds.
class TMapCommand : public QUndoCommand {
public:
    using QUndoCommand::QUndoCommand;
    virtual size_t MemoryUsed() const = 0;
};

class TCellsCommand : public TMapCommand {
public:
    TCellsCommand(TMapDocument* Doc, TCellEdit Edit, int Stroke, const QString& Text)
        : TMapCommand(Text), fDoc(Doc), fEdit(std::move(Edit)), fStroke(Stroke) {}

    void redo() override {
        fEdit.Apply(fDoc->fMapParams.DecomBytes);
        fDoc->Changed(fEdit);
    }
    void undo() override {
        fEdit.Revert(fDoc->fMapParams.DecomBytes);
        fDoc->Changed(fEdit);
    }
    int id() const override { return fStroke > 0 ? StrokeCommandId : -1; }
    size_t MemoryUsed() const override { return sizeof(*this) + fEdit.MemoryUsed(); }
    bool mergeWith(const QUndoCommand* Other) override {
        const auto* Later = static_cast<const TCellsCommand*>(Other);
        if (Later->fStroke != fStroke || Later->fEdit.NewValue() != fEdit.NewValue())
            return false;
        fEdit.Append(Later->fEdit);
        return true;
    }

private:
    TMapDocument* fDoc;
    TCellEdit fEdit;
    int fStroke;
};

// Puts another map, of any size, in the place of the one before; undo puts that one back.
class TReplaceCommand : public TMapCommand {
public:
    TReplaceCommand(TMapDocument* Doc, TMapParams Other, const QString& Text)
        : TMapCommand(Text), fDoc(Doc), fOther(std::move(Other)) {}

    void redo() override { Swap(); }
    void undo() override { Swap(); }
    size_t MemoryUsed() const override { return sizeof(*this) + fOther.DecomBytes.capacity(); }

private:
    void Swap() {
        std::swap(fDoc->fMapParams, fOther);
        emit fDoc->MapReplaced();
    }

    TMapDocument* fDoc;
    TMapParams fOther;
};

// Cells that each get a value of their own: spans of cells, with the values they had and the
// values they get, a byte each. The puts of one stroke merge into the step it began.
class TBlockCommand : public TMapCommand {
public:
    struct TPiece {
        uint32_t First;
        uint32_t Count;
    };
    TBlockCommand(TMapDocument* Doc, int Stroke, const QString& Text)
        : TMapCommand(Text), fDoc(Doc), fStroke(Stroke) {}

    void Add(uint32_t First, uint32_t Count, const uint8_t* Old, const uint8_t* New) {
        fPieces.push_back({First, Count});
        fOld.insert(fOld.end(), Old, Old + Count);
        fNew.insert(fNew.end(), New, New + Count);
        fBounds |= QRect(int(First % uint32_t(fDoc->Width())), int(First / uint32_t(fDoc->Width())),
                         int(Count), 1);
    }
    bool IsEmpty() const { return fPieces.empty(); }
    void Shrink() {
        fPieces.shrink_to_fit();
        fOld.shrink_to_fit();
        fNew.shrink_to_fit();
    }

    void redo() override {
        uint8_t* Cells = fDoc->fMapParams.DecomBytes.data();
        size_t o = 0;
        for (const TPiece& p : fPieces) {
            std::memcpy(Cells + p.First, fNew.data() + o, p.Count);
            o += p.Count;
        }
        emit fDoc->CellsChanged(fBounds);
    }
    void undo() override {
        // The latest first, so that a cell put twice gets its first value back.
        uint8_t* Cells = fDoc->fMapParams.DecomBytes.data();
        size_t o = fOld.size();
        for (size_t k = fPieces.size(); k-- > 0;) {
            o -= fPieces[k].Count;
            std::memcpy(Cells + fPieces[k].First, fOld.data() + o, fPieces[k].Count);
        }
        emit fDoc->CellsChanged(fBounds);
    }
    int id() const override { return fStroke > 0 ? BlockStrokeCommandId : -1; }
    size_t MemoryUsed() const override {
        return sizeof(*this) + fPieces.capacity() * sizeof(TPiece) + fOld.capacity() +
               fNew.capacity();
    }
    bool mergeWith(const QUndoCommand* Other) override {
        const auto* Later = static_cast<const TBlockCommand*>(Other);
        if (Later->fStroke != fStroke)
            return false;
        fPieces.insert(fPieces.end(), Later->fPieces.begin(), Later->fPieces.end());
        fOld.insert(fOld.end(), Later->fOld.begin(), Later->fOld.end());
        fNew.insert(fNew.end(), Later->fNew.begin(), Later->fNew.end());
        fBounds |= Later->fBounds;
        return true;
    }

private:
    TMapDocument* fDoc;
    int fStroke;
    std::vector<TPiece> fPieces;
    TMyByteArray fOld;
    TMyByteArray fNew;
    QRect fBounds;
};

// ---- TMapDocument ---------------------------------------------------------------------------

TMapDocument::TMapDocument(QObject* Parent) : TDocument(Parent) {}

TMapDocument::~TMapDocument() {
    // The commands refer to this document: they go before anything else of it.
    fUndoStack.clear();
}

size_t TMapDocument::UndoMemoryUsed() const {
    size_t n = 0;
    for (int i = 0; i < fUndoStack.count(); ++i)
        n += static_cast<const TMapCommand*>(fUndoStack.command(i))->MemoryUsed();
    return n;
}

bool TMapDocument::Load(const QString& FileName, const TProgress& Progress,
                        const std::function<bool(const TMapSummary&)>& MayOpen) {
    const TFileStamp Stamp = MyTypes::FileStampOf(FileName);
    int32_t w = 0;
    int32_t h = 0;
    int32_t PackType = 0;
    const TMyByteArray Data = MyTypes::ReadFileBytes(FileName, MaxMapFileSize);
    const QString Name = MyTypes::ExpandFileName(FileName);
    if (MayOpen && !MayOpen(MapLoader::SummarizeMap(Data.data(), Data.size(), Name)))
        return false;
    TMyByteArray Cells =
        MapLoader::DecodeMap(Data.data(), Data.size(), PackType, w, h, Name, Progress);
    fUndoStack.clear();
    fMapParams.Width = w;
    fMapParams.Height = h;
    fMapParams.DecomBytes = std::move(Cells);
    fPackType = PackType;
    fFileName = FileName;
    fNewName.clear();
    fTmxFileName.clear();
    fStamp = Stamp;
    fUndoStack.setClean();
    ++fMapNumber;
    emit MapReplaced();
    emit FileNameChanged(fFileName);
    return true;
}

void TMapDocument::NewMap(int32_t w, int32_t h, TMyByteArray Cells, const QString& Name) {
    if (w < 0 || h < 0 || Cells.size() != size_t(w) * size_t(h))
        throw EFormatError(QStringLiteral("A map of %1 x %2 cells cannot hold %3 cells")
                               .arg(w)
                               .arg(h)
                               .arg(Cells.size()));
    fUndoStack.clear();
    fMapParams.Width = w;
    fMapParams.Height = h;
    fMapParams.DecomBytes = std::move(Cells);
    fPackType = 0;
    fFileName.clear();
    fNewName = Name;
    fTmxFileName.clear();
    fStamp = TFileStamp();
    fUndoStack.resetClean();
    ++fMapNumber;
    emit MapReplaced();
    emit FileNameChanged(fFileName);
}

void TMapDocument::ReplaceCells(int32_t w, int32_t h, TMyByteArray Cells, const QString& Text) {
    if (w < 0 || h < 0 || Cells.size() != size_t(w) * size_t(h))
        throw EFormatError(QStringLiteral("A map of %1 x %2 cells cannot hold %3 cells")
                               .arg(w)
                               .arg(h)
                               .arg(Cells.size()));
    if (w == fMapParams.Width && h == fMapParams.Height && Cells == fMapParams.DecomBytes)
        return;
    TMapParams Other;
    Other.Width = w;
    Other.Height = h;
    Other.DecomBytes = std::move(Cells);
    fUndoStack.push(new TReplaceCommand(this, std::move(Other), Text));
}

void TMapDocument::Save(const TProgress& Progress) {
    if (fFileName.isEmpty())
        throw Exception(QStringLiteral("The map has no file yet: save it under a name"));
    SaveAs(fFileName, Progress);
}

void TMapDocument::SaveAs(const QString& FileName, const TProgress& Progress) {
    MapLoader::SaveMap(FileName, fMapParams.DecomBytes, fMapParams.Width, fMapParams.Height,
                       Progress);
    const bool Renamed = FileName != fFileName;
    fFileName = FileName;
    fStamp = MyTypes::FileStampOf(FileName);
    fUndoStack.setClean();
    if (Renamed)
        emit FileNameChanged(fFileName);
}

void TMapDocument::Push(TCellEdit Edit, int Stroke, const QString& Text) {
    if (Edit.IsEmpty())
        return;
    Edit.Shrink();
    fUndoStack.push(new TCellsCommand(this, std::move(Edit), Stroke, Text));
}

void TMapDocument::Paint(int Stroke, const std::vector<QPoint>& Cells, uint8_t Value) {
    TCellEdit Edit(Value);
    TMyByteArray& Bytes = fMapParams.DecomBytes;
    const size_t w = size_t(fMapParams.Width);
    for (const QPoint& c : Cells) {
        if (!Contains(c))
            continue;
        const size_t i = size_t(c.y()) * w + size_t(c.x());
        if (Bytes[i] == Value)
            continue;
        Edit.Add(uint32_t(i), c.x(), c.y(), Bytes[i]);
        // Marked at once, so that a cell named twice in Cells is recorded once; the command's
        // first redo writes the same value again.
        Bytes[i] = Value;
    }
    Edit.Revert(Bytes);
    Push(std::move(Edit), Stroke, QStringLiteral("Paint"));
}

void TMapDocument::FillRect(QPoint A, QPoint B, uint8_t Value) {
    FillRects({CellSpan(A, B)}, Value, QStringLiteral("Fill rectangle"));
}

void TMapDocument::FillRects(const std::vector<QRect>& Rects, uint8_t Value, const QString& Text) {
    if (!HasMap())
        return;
    TCellEdit Edit(Value);
    const TMyByteArray& Bytes = fMapParams.DecomBytes;
    const size_t w = size_t(fMapParams.Width);
    for (const QRect& Rect : Rects) {
        const QRect r = Rect & QRect(0, 0, fMapParams.Width, fMapParams.Height);
        for (int y = r.top(); y <= r.bottom(); ++y) {
            const size_t Row = size_t(y) * w;
            int x = r.left();
            while (x <= r.right()) {
                // Runs of equal old values; cells that already hold Value are skipped.
                const uint8_t Old = Bytes[Row + size_t(x)];
                int e = x + 1;
                while (e <= r.right() && Bytes[Row + size_t(e)] == Old)
                    ++e;
                if (Old != Value)
                    Edit.AddRun(uint32_t(Row + size_t(x)), x, y, uint32_t(e - x), Old);
                x = e;
            }
        }
    }
    Push(std::move(Edit), 0, Text);
}

namespace {

// Runs of one value in a row, found 64 bytes at a time by the C library's comparison against
// a block of that value.
struct TRunFinder {
    uint8_t Value;
    uint8_t Block[64];
    explicit TRunFinder(uint8_t v) : Value(v) { std::memset(Block, v, sizeof Block); }
    // The first index from i on, below End, whose byte is not Value (End when there is none).
    int RunEnd(const uint8_t* Row, int i, int End) const {
        while (End - i >= int(sizeof Block) && std::memcmp(Row + i, Block, sizeof Block) == 0)
            i += int(sizeof Block);
        while (i < End && Row[i] == Value)
            ++i;
        return i;
    }
    // The first index of the run of Value that ends at i - 1 (i when Row[i - 1] is not Value).
    int RunStart(const uint8_t* Row, int i) const {
        while (i >= int(sizeof Block) &&
               std::memcmp(Row + i - sizeof Block, Block, sizeof Block) == 0)
            i -= int(sizeof Block);
        while (i > 0 && Row[i - 1] == Value)
            --i;
        return i;
    }
    // The first index from i on, below End, whose byte is Value (End when there is none).
    int Find(const uint8_t* Row, int i, int End) const {
        if (i >= End)
            return End;
        const void* p = std::memchr(Row + i, Value, size_t(End - i));
        return p ? int(static_cast<const uint8_t*>(p) - Row) : End;
    }
};

} // namespace

void TMapDocument::ScanFill(QPoint Start, uint8_t Mark,
                            const std::function<void(const TSpan&)>& Span) {
    TMyByteArray& Bytes = fMapParams.DecomBytes;
    const uint8_t Old = Bytes[size_t(Start.y()) * size_t(fMapParams.Width) + size_t(Start.x())];
    const int w = fMapParams.Width;
    const int h = fMapParams.Height;
    const TRunFinder Runs(Old);
    // Scanline fill: each span of the region is filled once (which marks it done) and told; the
    // rows above and below are searched for spans still to do.
    std::vector<QPoint> Todo{Start};
    while (!Todo.empty()) {
        const QPoint p = Todo.back();
        Todo.pop_back();
        uint8_t* Row = Bytes.data() + size_t(p.y()) * size_t(w);
        if (Row[p.x()] != Old)
            continue;
        const int l = Runs.RunStart(Row, p.x());
        const int e = Runs.RunEnd(Row, p.x(), w); // the span is [l, e)
        Span({p.y(), l, e});
        std::memset(Row + l, Mark, size_t(e - l));
        for (const int y : {p.y() - 1, p.y() + 1}) {
            if (y < 0 || y >= h)
                continue;
            const uint8_t* Next = Bytes.data() + size_t(y) * size_t(w);
            // One seed per run of Old above or below the span.
            for (int x = Runs.Find(Next, l, e); x < e;
                 x = Runs.Find(Next, Runs.RunEnd(Next, x, e), e))
                Todo.push_back(QPoint(x, y));
        }
    }
}

void TMapDocument::FloodFill(QPoint Start, uint8_t Value) {
    if (!Contains(Start))
        return;
    TMyByteArray& Bytes = fMapParams.DecomBytes;
    const size_t w = size_t(fMapParams.Width);
    const uint8_t Old = Bytes[size_t(Start.y()) * w + size_t(Start.x())];
    if (Old == Value)
        return;
    TCellEdit Edit(Value);
    try {
        ScanFill(Start, Value, [&](const TSpan& s) {
            Edit.AddRun(uint32_t(size_t(s.Row) * w + size_t(s.Left)), s.Left, s.Row,
                        uint32_t(s.End - s.Left), Old);
        });
    } catch (...) {
        Edit.Revert(Bytes);
        throw;
    }
    Push(std::move(Edit), 0, QStringLiteral("Fill"));
}

void TMapDocument::FloodFill(QPoint Start, const TCellBlock& Stamp) {
    if (!Contains(Start) || Stamp.IsEmpty())
        return;
    if (Stamp.Width() == 1 && Stamp.Height() == 1 && !Stamp.HasHoles()) {
        FloodFill(Start, Stamp.Value(0, 0));
        return;
    }
    TMyByteArray& Bytes = fMapParams.DecomBytes;
    const size_t w = size_t(fMapParams.Width);
    const uint8_t Old = Bytes[size_t(Start.y()) * w + size_t(Start.x())];
    // The region is found by marking it with another value, then given back its own.
    std::vector<TSpan> Spans;
    ScanFill(Start, uint8_t(Old ^ 1), [&](const TSpan& s) { Spans.push_back(s); });
    for (const TSpan& s : Spans)
        std::memset(Bytes.data() + size_t(s.Row) * w + size_t(s.Left), Old, size_t(s.End - s.Left));
    PutPattern(Spans, Stamp, Start, 0, QStringLiteral("Fill"));
}

void TMapDocument::PutPattern(const std::vector<TSpan>& Spans, const TCellBlock& Stamp,
                              QPoint Origin, int Stroke, const QString& Text) {
    if (Stamp.IsEmpty() || !HasMap())
        return;
    auto Mod = [](int64_t a, int b) { return int(((a % b) + b) % b); };
    const int sw = Stamp.Width();
    const int sh = Stamp.Height();
    const uint8_t* Values = Stamp.Values().data();
    const uint8_t* Mask = Stamp.HasHoles() ? Stamp.Mask().data() : nullptr;
    uint8_t* Bytes = fMapParams.DecomBytes.data();
    const size_t w = size_t(fMapParams.Width);
    auto Command = std::make_unique<TBlockCommand>(this, Stroke, Text);
    TMyByteArray Wanted;
    for (const TSpan& s : Spans) {
        const size_t StampRow = size_t(Mod(int64_t(s.Row) - Origin.y(), sh)) * size_t(sw);
        uint8_t* Row = Bytes + size_t(s.Row) * w;
        int sx = Mod(int64_t(s.Left) - Origin.x(), sw);
        Wanted.resize(size_t(s.End - s.Left));
        // Pieces of cells that the stamp holds and that change.
        int x = s.Left;
        while (x < s.End) {
            int e = x;
            int ex = sx;
            while (e < s.End && (!Mask || Mask[StampRow + size_t(ex)]) &&
                   Values[StampRow + size_t(ex)] != Row[e]) {
                Wanted[size_t(e - x)] = Values[StampRow + size_t(ex)];
                ++e;
                ex = ex + 1 == sw ? 0 : ex + 1;
            }
            if (e > x) {
                Command->Add(uint32_t(size_t(s.Row) * w + size_t(x)), uint32_t(e - x), Row + x,
                             Wanted.data());
                sx = ex;
                x = e;
                continue;
            }
            ++x;
            sx = sx + 1 == sw ? 0 : sx + 1;
        }
    }
    if (Command->IsEmpty())
        return;
    Command->Shrink();
    fUndoStack.push(Command.release());
}

void TMapDocument::PutBlock(QPoint At, const TCellBlock& Block, int Stroke, const QString& Text) {
    const QRect r = QRect(At, Block.Size()) & QRect(0, 0, fMapParams.Width, fMapParams.Height);
    if (r.isEmpty())
        return;
    std::vector<TSpan> Spans;
    Spans.reserve(size_t(r.height()));
    for (int y = r.top(); y <= r.bottom(); ++y)
        Spans.push_back({y, r.left(), r.right() + 1});
    PutPattern(Spans, Block, At, Stroke, Text);
}

void TMapDocument::FillRect(QPoint A, QPoint B, const TCellBlock& Stamp) {
    if (Stamp.Width() == 1 && Stamp.Height() == 1 && !Stamp.HasHoles()) {
        FillRect(A, B, Stamp.Value(0, 0));
        return;
    }
    const QRect Span = CellSpan(A, B);
    const QRect r = Span & QRect(0, 0, fMapParams.Width, fMapParams.Height);
    if (r.isEmpty())
        return;
    std::vector<TSpan> Spans;
    for (int y = r.top(); y <= r.bottom(); ++y)
        Spans.push_back({y, r.left(), r.right() + 1});
    PutPattern(Spans, Stamp, Span.topLeft(), 0, QStringLiteral("Fill rectangle"));
}

void TMapDocument::Resize(int W, int H, int DX, int DY, uint8_t Fill) {
    TMyByteArray Cells = CellBlocks::ResizeCells(fMapParams.DecomBytes, fMapParams.Width,
                                                 fMapParams.Height, W, H, DX, DY, Fill);
    ReplaceCells(W, H, std::move(Cells), QStringLiteral("Resize map"));
}

std::vector<QPoint> TMapDocument::LineCells(QPoint A, QPoint B) {
    // Bresenham: one cell per step of the longer axis, so consecutive cells touch.
    std::vector<QPoint> Cells;
    const int dx = std::abs(B.x() - A.x());
    const int dy = -std::abs(B.y() - A.y());
    const int sx = A.x() < B.x() ? 1 : -1;
    const int sy = A.y() < B.y() ? 1 : -1;
    Cells.reserve(size_t(std::max(dx, -dy)) + 1);
    int Err = dx + dy;
    QPoint p = A;
    for (;;) {
        Cells.push_back(p);
        if (p == B)
            break;
        const int e2 = 2 * Err;
        if (e2 >= dy) {
            Err += dy;
            p.rx() += sx;
        }
        if (e2 <= dx) {
            Err += dx;
            p.ry() += sy;
        }
    }
    return Cells;
}

} // namespace velkora
