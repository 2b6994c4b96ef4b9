#pragma once

#include <QLineEdit>

class TLTextFieldDelegate;

// A text field that tells its custom delegate when it gains or loses the focus and lets it
// veto values set from code. It also reports the user's editing as a text field's delegate
// hears of it: once when an editing session begins, with the text from before its first
// change, and after every change the user makes.
class TLTextField : public QLineEdit {
    Q_OBJECT
public:
    explicit TLTextField(QWidget* parent = nullptr);

    TLTextFieldDelegate* customDelegate() const { return _customDelegate; }
    void setCustomDelegate(TLTextFieldDelegate* delegate) { _customDelegate = delegate; }

    QString stringValue() const { return text(); }
    // Nothing changes when the custom delegate refuses the value.
    void setStringValue(const QString& value);

Q_SIGNALS:
    void textShouldBeginEditing(TLTextField* field, const QString& textBeforeEditing);
    void controlTextDidChange(TLTextField* field);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void noteTextChanged(const QString& text);
    void noteTextEdited(const QString& text);

    TLTextFieldDelegate* _customDelegate = nullptr;
    QString _shownText;
    QString _textBeforeChange;
    bool _editing = false;
};
