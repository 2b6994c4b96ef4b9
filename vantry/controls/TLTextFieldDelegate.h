#pragma once

#include <QString>

class TLTextField;

// Told when a TLTextField gains or loses the keyboard focus; may refuse values set on it
// from code. Every method is optional.
class TLTextFieldDelegate {
public:
    virtual ~TLTextFieldDelegate() = default;
    virtual void didTextFieldBecomeFirstResponder(TLTextField*) {}
    virtual void didTextFieldResignFirstResponder(TLTextField*) {}
    virtual bool textFieldShouldChangeToValue(TLTextField*, const QString&) { return true; }
};
