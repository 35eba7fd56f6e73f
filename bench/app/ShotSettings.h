#pragma once
// The picture tools run on settings of their own, in a throw-away folder, in the language their
// first argument names ("en" or else Chinese): the user's settings are never touched.

#include <QSettings>
#include <QString>
#include <QTemporaryDir>

#include "app/AppSettings.h"
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

}  // namespace kv::shot
