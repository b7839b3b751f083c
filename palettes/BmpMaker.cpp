#include "palettes/BmpMaker.h"

namespace velkora {} // namespace velkora
