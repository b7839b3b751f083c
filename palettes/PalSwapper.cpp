#include "palettes/PalSwapper.h"

namespace velkora {} // namespace velkora
