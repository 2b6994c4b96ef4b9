#include "platform/SystemBeep.h"

#include <QApplication>

std::atomic<int> SystemBeep::s_count{0};

void SystemBeep::beep() {
    ++s_count;
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        QApplication::beep();
}

int SystemBeep::count() {
    return s_count.load();
}

void SystemBeep::resetCount() {
    s_count = 0;
}
