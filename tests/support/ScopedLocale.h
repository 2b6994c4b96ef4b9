#pragma once

#include <clocale>
#include <string>

// Switches the C library's locale for the life of the object (as QCoreApplication does
// from the environment), and back.
class ScopedLocale {
public:
    explicit ScopedLocale(const char* name) {
        const char* current = std::setlocale(LC_ALL, nullptr);
        _previous = current ? current : "C";
        _active = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~ScopedLocale() { std::setlocale(LC_ALL, _previous.c_str()); }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

    bool active() const { return _active; }

private:
    std::string _previous;
    bool _active = false;
};

#define QUAVERLY_REQUIRE_GERMAN_LOCALE(guard)                                                      \
    ScopedLocale guard("de_DE.UTF-8");                                                             \
    if (!guard.active())                                                                           \
    GTEST_SKIP()                                                                                   \
        << "de_DE.UTF-8 is not generated on this machine (scripts/install-deps.sh makes it)"
