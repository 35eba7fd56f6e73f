#pragma once
// The picture tools run on settings of their own, in a throw-away folder, in the language their
// first argument names ("en" or else Chinese): the user's settings are never touched.

#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "app/AppSettings.h"
#include "app/CKV4420v13App.h"
#include "sim/SimBox.h"
#include "ui/UiText.h"

namespace kv::shot {

inline int UseThrowAwaySettings(const QTemporaryDir& folder, const char* languageArgument) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
    const int language =
        QString::fromLatin1(languageArgument) == QLatin1String("en") ? kLanguageEnglish : kLanguageChinese;
    QSettings settings(settings::kOrganization, settings::kApplication);
    settings.setValue(settings::kLanguage, language);
    settings.sync();
    return language;
}

// The application on a simulated box, accepted at once instead of after the settling wait.
inline AppOptions OnSimulatedBox(std::shared_ptr<SimBox> box = std::make_shared<SimBox>()) {
    AppOptions options;
    options.uri.kind = TransportUri::Kind::Sim;
    options.simBox = std::move(box);
    options.syncTimings.connectWaitMs = 0;
    return options;
}

}  // namespace kv::shot
