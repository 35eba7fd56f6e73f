#include "app/AppSettings.h"

namespace kv {

AppSettings::AppSettings() : m_settings(settings::kOrganization, settings::kApplication) {}

int AppSettings::Language() const { return m_settings.value(settings::kLanguage, settings::kDefaultLanguage).toInt(); }

void AppSettings::SetLanguage(int language) {
    m_settings.setValue(settings::kLanguage, language);
    m_settings.sync();
}

int AppSettings::ApplicationLook() const {
    return m_settings.value(settings::kApplicationLook, settings::kDefaultLook).toInt();
}

void AppSettings::SetApplicationLook(int look) { m_settings.setValue(settings::kApplicationLook, look); }

bool AppSettings::Locked() const { return m_settings.value(settings::kLocked, false).toBool(); }

void AppSettings::SetLocked(bool locked) {
    m_settings.setValue(settings::kLocked, locked);
    m_settings.sync();
}

bool AppSettings::RemoteAccess() const { return m_settings.value(settings::kRemoteAccess, false).toBool(); }

void AppSettings::SetRemoteAccess(bool on) {
    m_settings.setValue(settings::kRemoteAccess, on);
    m_settings.sync();
}

QStringList AppSettings::RecentFiles() const {
    QStringList files;
    m_settings.beginGroup(settings::kRecentFileGroup);
    for (int i = 1; i <= settings::kMaxRecentFiles; ++i) {
        QString path = m_settings.value(QString(settings::kRecentFileEntry).arg(i)).toString();
        if (!path.isEmpty()) files.append(path);
    }
    m_settings.endGroup();
    return files;
}

void AppSettings::AddRecentFile(const QString& path) {
    QStringList files = RecentFiles();
    files.removeAll(path);
    files.prepend(path);
    while (files.size() > settings::kMaxRecentFiles) files.removeLast();
    m_settings.beginGroup(settings::kRecentFileGroup);
    m_settings.remove(QString());
    for (int i = 0; i < files.size(); ++i)
        m_settings.setValue(QString(settings::kRecentFileEntry).arg(i + 1), files[i]);
    m_settings.endGroup();
    m_settings.sync();
}

QString AppSettings::ModeFolder() const { return m_settings.value(settings::kModeFolder).toString(); }

void AppSettings::SetModeFolder(const QString& folder) {
    m_settings.setValue(settings::kModeFolder, folder);
    m_settings.sync();
}

}  // namespace kv
