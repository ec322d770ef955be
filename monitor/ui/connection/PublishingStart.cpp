#include "PublishingStart.h"

#include "BrokerSettings.h"
#include "Preferences.h"
#include "Prompter.h"
#include "Publisher.h"

void StartPublishing(Publisher &publisher)
{
    publisher.stop();
    const BrokerSettingsResult r = ReadBrokerSettings();
    if (!r.error.isEmpty()) {
        PLM_INC::prompter().message(r.error, QStringLiteral("broker"));
        return;
    }
    if (!r.enabled())
        return;
    QString error;
    // Preferences written with a password before it was kept private are made so now.
    if (!r.settings.password.isEmpty() && !Prefs::keepPrivate(&error))
        PLM_INC::prompter().message(error, QStringLiteral("broker"));
    if (!publisher.start(r.settings, &error))
        PLM_INC::prompter().message(error, QStringLiteral("broker"));
}
