#pragma once

// Every user-defaults key of the application, spelt as stored.
namespace PreferenceKeys {
inline constexpr char kMaxTastKey[] = "com.qvl.MaxTastKey";
inline constexpr char kiTunesPlaylistNameKey[] = "com.qvl.iTunesPlaylistNameKey2";
inline constexpr char kCopyMetadataKey[] = "com.qvl.copyMetadata";
inline constexpr char kRemoveAfterConverteKey[] = "com.qvl.RemoveAfterConverte";
inline constexpr char kDefaultFmtNameKey[] = "com.qv.DefaultFmtNameKey";
inline constexpr char kQualityKey[] = "com.qvl.quality";
inline constexpr char kAutoSyncKey[] = "com.qvl.AutoSync";
inline constexpr char kDefaultOutputPathKey[] = "DEFAULT_OUTPUT_PATH_KEY";
inline constexpr char kDefaultSetOrganizedKey[] = "DEFAUTL_SET_ORIGANIZED_KEY";
inline constexpr char kDefaultSetOpenKey[] = "DEFAULT_SET_OPEN_KEY";
inline constexpr char kMetadataWndPositionKey[] = "com.qvu.metadataWndPosition";
inline constexpr char kDeleteOutputFileKey[] = "com.qv.DeleteOutputFileKey";
inline constexpr char kCheckQuanityKey[] = "com.qvl.checkQuanity";
inline constexpr char kGuidKey[] = "guid";
inline constexpr char kAppBSyncToiTunesKey[] = "AppBSyncToiTunesKey";
inline constexpr char kAppDefaultAudioCodecNameKey[] = "AppDefaultAudioCodecNameKey";
inline constexpr char kMASPreferencesSelectedIdentifierKey[] =
    "MASPreferences Selected Identifier View";
inline constexpr char kMASPreferencesFrameTopLeftKey[] = "MASPreferences Frame Top Left";
inline constexpr char kMASPreferencesFrameKeyFormat[] = "MASPreferences %1 Frame";
} // namespace PreferenceKeys

// The product name as every title and default folder uses it: with its leading blank.
inline constexpr char kProductNameString[] = " Quaverly";
