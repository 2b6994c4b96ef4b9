#include "TLTextField.h"

#include "TLTextFieldDelegate.h"

TLTextField::TLTextField(QWidget* parent) : QLineEdit(parent) {
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

// The line edit reports a user's change through textEdited and textChanged, in an order it
// does not promise; the text from before the change is known either way.
void TLTextField::noteTextEdited(const QString& text) {
    const QString before = _shownText == text ? _textBeforeChange : _shownText;
    if (!_editing) {
        _editing = true;
        Q_EMIT textShouldBeginEditing(this, before);
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
