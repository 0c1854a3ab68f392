#include "MailSettings.h"

#include "app/Settings.h"

namespace brindlecast::mail {

namespace {

const QString App = QLatin1String(AppName);
const QString Section = QLatin1String(MailSection);

} // namespace

MailSettings StoredMailSettings() {
    return {GetSetting(App, Section, QStringLiteral("Server")),
            GetSetting(App, Section, QStringLiteral("User")),
            GetSetting(App, Section, QStringLiteral("From"))};
}

bool StoreMailSettings(const MailSettings& settings) {
    bool stored = true;
    for (const auto& [key, value] :
         {std::pair{"Server", settings.server}, std::pair{"User", settings.user},
          std::pair{"From", settings.from}})
        stored = SaveSetting(App, Section, QLatin1String(key), value) && stored;
    return stored;
}

} // namespace brindlecast::mail
