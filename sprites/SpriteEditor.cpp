#include "sprites/SpriteEditor.h"

namespace velkora {

TSpriteContainer* SpriteContainer = nullptr;

void SpriteEditorInitialization() {}
void SpriteEditorFinalization() {}

} // namespace velkora
