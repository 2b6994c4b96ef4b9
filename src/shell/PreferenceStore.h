#pragma once

#include <QString>

class QCheckBox;

// What both preference windows store and show the same way: each change is written to the
// defaults at once.
namespace PreferenceStore {

void storeBool(const char* key, bool on);
bool storedBool(const char* key);
void storePlaylistName(const QString& name);
// The auto-sync box is on only for a playlist format, and only as stored.
void showAutoSyncState(QCheckBox* autoSync, const QString& chosenFormat);

} // namespace PreferenceStore
