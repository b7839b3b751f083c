#include "sprites/CompDecompUnit.h"

namespace velkora {} // namespace velkora
