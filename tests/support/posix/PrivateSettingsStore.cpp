// On POSIX systems the settings file is in XDG_CONFIG_HOME, which PrivateFolders already points at
// a folder of its own.
#include "support/Isolated.h"

namespace brindlecast::testing {

PrivateSettingsStore::PrivateSettingsStore(QString configFolder)
    : mConfigFolder(std::move(configFolder)) {}

PrivateSettingsStore::~PrivateSettingsStore() = default;

void PrivateSettingsStore::makeUnwritable(const QString&, const QString&) {
    // A regular file where the config folder belongs: nothing can be created under it.
    QDir(mConfigFolder).removeRecursively();
    QFile file(mConfigFolder);
    if (!file.open(QIODevice::WriteOnly) || file.write("not a folder") < 0)
        throw std::runtime_error("cannot replace the config folder by a file");
}

} // namespace brindlecast::testing
