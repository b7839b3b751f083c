#include "maps/MapLoader.h"

namespace velkora {} // namespace velkora
