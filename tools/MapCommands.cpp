#include "tools/ToolSupport.h"

namespace velkora::tool {

namespace {

int Run(const QStringList& Args) {
    Q_UNUSED(Args);
    throw Exception(QStringLiteral("not built yet"));
}

} // namespace

const CommandGroup MapGroup = {"map", "  velkora-tool map ...\n", &Run};

} // namespace velkora::tool
