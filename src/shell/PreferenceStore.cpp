#include "shell/PreferenceStore.h"

#include "engine/QVDataEngine.h"
#include "platform/PreferenceKeys.h"
#include "platform/UserDefaults.h"

#include <QCheckBox>

namespace PreferenceStore {

void storeBool(const char* key, bool on) {
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    defaults.setBool(QLatin1String(key), on);
    defaults.synchronize();
}

bool storedBool(const char* key) {
    return UserDefaults::standardUserDefaults().boolForKey(QLatin1String(key));
}

void storePlaylistName(const QString& name) {
    UserDefaults& defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(QLatin1String(PreferenceKeys::kiTunesPlaylistNameKey), name);
    defaults.synchronize();
}

void showAutoSyncState(QCheckBox* autoSync, const QString& chosenFormat) {
    const bool playlistFormat = QVDataEngine::itunesFormats().contains(chosenFormat);
    autoSync->setChecked(playlistFormat && storedBool(PreferenceKeys::kAutoSyncKey));
    autoSync->setEnabled(playlistFormat);
}

} // namespace PreferenceStore
