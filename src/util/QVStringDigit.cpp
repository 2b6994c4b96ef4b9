#include "util/QVStringDigit.h"

bool QVStringDigit::isPureInt(const QString& text) {
    bool ok = false;
    text.trimmed().toInt(&ok, 10);
    return ok;
}
