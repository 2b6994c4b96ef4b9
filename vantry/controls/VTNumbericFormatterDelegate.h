#pragma once

#include <QString>

class VTNumbericFormatter;

// Hears when typing reaches a numeric formatter's length limit and may veto the last
// character typed. Both optional.
class VTNumbericFormatterDelegate {
public:
    virtual ~VTNumbericFormatterDelegate() = default;
    virtual void numbericFormatterReachedMaxNumberOfChars(VTNumbericFormatter*) {}
    virtual bool isNumberVaildNumber(VTNumbericFormatter*, const QString&) { return true; }
};
