// SPDX-License-Identifier: MIT
#pragma once
// Recolouring by colour index: every result is the sprite given to Init with the current mapping
// applied, never a composition of successive mappings.

#include "shell/MyTypes.h"

#include <memory>

namespace velkora {

class TPalletteSwapper {
public:
    // Resets the swapper to these words; the applied mapping becomes the identity. The shared
    // form keeps the caller's words without a copy; they are only read, now and later.
    void Init(const TMyArray& Bytes);
    void Init(TMyArray&& Bytes);
    void InitShared(std::shared_ptr<const TMyArray> Bytes);
    // Applies Pal (each entry masked to 4 bits) and returns the recoloured words: every pixel
    // whose colour index was c in the words given to Init carries entry c.
    TMyArray GetCalculate(const TPalletteArray& Pal);

    // The words given to the last Init, unchanged by any mapping.
    const TMyArray& Bytes() const;
    const std::shared_ptr<const TMyArray>& SharedBytes() const { return fBytes; }
    // The mapping applied by the last GetCalculate (all zero before the first Init).
    const TPalletteArray& Applied() const { return fDefColArray; }

private:
    // The swapper keeps only the initial words, no per-pixel cells: a result is one pass over
    // them through a table of what each byte (two pixels) becomes under the mapping, so it takes
    // no more memory than the sprite itself and no time to set up.
    std::shared_ptr<const TMyArray> fBytes;
    int32_t fSize = 0;
    TPalletteArray fDefColArray{};
};

} // namespace velkora
