#include "tools/ToolSupport.h"

namespace velkora::tool {

int SpriteRender(const QStringList& Args) {
    Q_UNUSED(Args);
    throw Exception(QStringLiteral("not built yet"));
}

int MapRender(const QStringList& Args) {
    Q_UNUSED(Args);
    throw Exception(QStringLiteral("not built yet"));
}

} // namespace velkora::tool
