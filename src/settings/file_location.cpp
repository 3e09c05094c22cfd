#include "settings/file_registry.h"

#include <QStandardPaths>
#include <QString>

namespace aspect::settings {

std::string DefaultRegistryPath() {
    // GenericConfigLocation is $XDG_CONFIG_HOME or ~/.config on Linux and the platform's
    // own preferences folder elsewhere.
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return (folder + QStringLiteral("/Morlane/registry.reg")).toStdString();
}

}  // namespace aspect::settings
