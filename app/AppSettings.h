#pragma once
// The per-user settings of the program and every key they use, in one place.

#include <QSettings>
#include <QString>
#include <QStringList>

namespace kv {

namespace settings {
inline constexpr char kOrganization[] = "DSP_4420_V2.5";
inline constexpr char kApplication[] = "DSP-4420-v3.0";
inline constexpr char kApplicationLook[] = "ApplicationLook";
inline constexpr char kLanguage[] = "language";
inline constexpr char kRecentFileGroup[] = "Recent File List";
inline constexpr char kRecentFileEntry[] = "File%1";     // File1 is the most recent
inline constexpr char kLocked[] = "Locked";              // the window takes no edit
inline constexpr char kModeFolder[] = "ModeFileFolder";  // where the file dialogs start
inline constexpr char kRemoteAccess[] = "RemoteAccess";  // the window serves its box to the network
constexpr int kDefaultLook = 215;                        // the blue visual style
constexpr int kDefaultLanguage = 0;                      // Chinese
constexpr int kMaxRecentFiles = 10;
}  // namespace settings

class AppSettings {
public:
    AppSettings();

    int Language() const;
    void SetLanguage(int language);
    int ApplicationLook() const;
    void SetApplicationLook(int look);

    bool Locked() const;
    void SetLocked(bool locked);
    bool RemoteAccess() const;  // off unless turned on
    void SetRemoteAccess(bool on);

    QStringList RecentFiles() const;
    // Moves the path to the front; the list keeps the most recent entries only.
    void AddRecentFile(const QString& path);
    QString ModeFolder() const;
    void SetModeFolder(const QString& folder);

private:
    mutable QSettings m_settings;
};

}  // namespace kv
