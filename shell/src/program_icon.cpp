#include "korvalen/shell/program_icon.h"

// A resource linked from a static library must be registered by name, and
// only from outside any namespace.
static void RegisterShellResources() { Q_INIT_RESOURCE(shell); }

namespace korvalen::shell {

QIcon ProgramIcon() {
    static const bool registered = (RegisterShellResources(), true);
    (void)registered;
    return QIcon(QStringLiteral(":/korvalen/korvalen.png"));
}

}  // namespace korvalen::shell
