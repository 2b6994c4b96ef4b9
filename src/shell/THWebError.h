#pragma once

#include <QString>

// A failed request. Set-up failures carry their message as the domain and a code from 100
// on; transfer failures carry the HTTP status (400 and above) or Qt's network error code.
struct THWebError {
    QString domain;
    int code = 0;

    bool operator==(const THWebError&) const = default;
};

namespace THWebErrors {
inline constexpr int kURLNil = 100;
inline constexpr int kRequestCreate = 101;
inline constexpr int kFileExist = 102;
inline constexpr int kCreateFile = 103;
inline constexpr int kRangeMismatch = 104;
inline constexpr int kWriteFile = 105;
inline constexpr int kMoveFile = 106;
} // namespace THWebErrors
