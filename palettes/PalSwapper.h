#pragma once
// Recolouring by colour index: every result is the sprite given to Init with the current mapping
// applied, never a composition of successive mappings.

#include "shell/MyTypes.h"

namespace velkora {

class TPalletteSwapper {
public:
    // Resets the swapper to these words; the applied mapping becomes the identity.
    void Init(const TMyArray& Bytes);
    // Applies Pal (each entry masked to 4 bits) and returns the recoloured words. Only the cells
    // of colours whose mapping changed since the last call are rewritten.
    TMyArray GetCalculate(const TPalletteArray& Pal);

private:
    // Cell positions (indices into fBytes) of one initial colour, ascending.
    struct TPointers {
        std::vector<uint32_t> BtArray;
        void Add(uint32_t cb) { BtArray.push_back(cb); }
        void Clear() { BtArray.clear(); }
    };
    using TColArray = std::array<TPointers, 16>;

    static TMyByteArray Read(const TMyArray& Bytes);
    void ClearArrayHelper();
    void MakeArrayHelper();
    void SetNewValue(int ItemIndex, int32_t NewValue);

    TMyByteArray fBytes;
    TColArray fSearthHelper;
    int32_t fSize = 0;
    TPalletteArray fDefColArray{};
};

} // namespace velkora
