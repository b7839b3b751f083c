#include "tools/ToolSupport.h"

namespace velkora::tool {

namespace {

int Run(const QStringList& Args) {
    Q_UNUSED(Args);
    throw Exception(QStringLiteral("not built yet"));
}

} // namespace

const CommandGroup PalettesGroup = {"palettes", "  velkora-tool palettes ...\n", &Run};

} // namespace velkora::tool
