#include "shell/ParamsFile.h"

namespace velkora {} // namespace velkora
