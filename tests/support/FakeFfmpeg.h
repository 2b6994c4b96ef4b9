#pragma once

#include <QString>

// The fake ffmpeg programs under tests/support/fake-ffmpeg and a scope that points the
// conversion jobs at one of them.
class FakeFfmpeg {
public:
    static QString path(const QString& name);

    // Conversions started while it lives use the given program.
    class Scope {
    public:
        explicit Scope(const QString& programPath);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
    };
};
