#include "TLTextField.h"

#include "TLTextFieldDelegate.h"

TLTextField::TLTextField(QWidget* parent) : QLineEdit(parent) {
    // textChanged comes before textEdited for the same change, so the text from before a
    // user's change is known when it is reported.
    connect(this, &QLineEdit::textChanged, this, &TLTextField::noteTextChanged);
    connect(this, &QLineEdit::textEdited, this, &TLTextField::noteTextEdited);
    connect(this, &QLineEdit::editingFinished, this, [this] { _editing = false; });
}

void TLTextField::setStringValue(const QString& value) {
    if (_customDelegate && !_customDelegate->textFieldShouldChangeToValue(this, value))
        return;
    setText(value);
}

void TLTextField::noteTextChanged(const QString& text) {
    _textBeforeChange = _shownText;
    _shownText = text;
}

void TLTextField::noteTextEdited() {
    if (!_editing) {
        _editing = true;
        Q_EMIT textShouldBeginEditing(this, _textBeforeChange);
    }
    Q_EMIT controlTextDidChange(this);
}

void TLTextField::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    if (_customDelegate)
        _customDelegate->didTextFieldBecomeFirstResponder(this);
}

void TLTextField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    _editing = false;
    if (_customDelegate)
        _customDelegate->didTextFieldResignFirstResponder(this);
}
