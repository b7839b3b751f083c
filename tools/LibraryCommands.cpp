#include "tools/ToolSupport.h"

namespace velkora::tool {

namespace {

int Run(const QStringList& Args) {
    Q_UNUSED(Args);
    throw Exception(QStringLiteral("not built yet"));
}

} // namespace

const CommandGroup LibraryGroup = {"library", "  velkora-tool library ...\n", &Run};

} // namespace velkora::tool
