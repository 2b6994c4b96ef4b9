#pragma once

// What a job is doing with its file. Stored as int.
enum LSConvertState : int {
    LSConvertStateWaiting = 0,
    LSConvertStateConverting = 1,
    LSConvertStateSyncing = 2,
    LSConvertStatePaused = 3,
    LSConvertStateCanceled = 4,
    LSConvertStateSucceeded = 5,
    LSConvertStateFailed = 6,
    LSConvertStateExporting = 7,
};

// Result of probing a file.
enum LSMediaError : int {
    LSMediaErrorNone = 0,
    LSMediaErrorOpenFailed = 1,
    LSMediaErrorNoStream = 2,
    LSMediaErrorTooShort = 3,
};

enum LSMediaType : int {
    LSMediaTypeVideo = 0,
    LSMediaTypeAudio = 1,
};

enum LSDestFmtType : int {
    LSDestFmtTypeVideo = 0,
    LSDestFmtTypeAudio = 4,
};

enum LSCropType : int {
    LSCropTypeNone = 0,
};

// Row progress values beside 0..100 percent.
inline constexpr double QVProgressWaiting = -1.0;
inline constexpr double QVProgressSyncing = -2.0;
inline constexpr double QVProgressCanceled = -3.0;
inline constexpr double QVProgressFailed = -4.0;

// What the application is doing as a whole.
enum QVAppState : int {
    QVAppStateIdle = 0,
    QVAppStateLoading = 1,
    QVAppStatePlaying = 2,
    QVAppStateConverting = 3,
};
