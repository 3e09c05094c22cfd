#include "settings/file_registry.h"

#include <QDir>
#include <QStandardPaths>
#include <QString>

namespace aspect::settings {

std::string DefaultRegistryPath() {
    // GenericConfigLocation is $XDG_CONFIG_HOME or ~/.config on Linux and the platform's
    // own preferences folder elsewhere. Qt takes a relative XDG_CONFIG_HOME as it stands;
    // the XDG rule is to ignore it.
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString folder =
        !xdg.isEmpty() && QDir::isRelativePath(xdg)
            ? QDir::homePath() + QStringLiteral("/.config")
            : QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return (folder + QStringLiteral("/Morlane/registry.reg")).toStdString();
}

}  // namespace aspect::settings
