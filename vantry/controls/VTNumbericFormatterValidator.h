#pragma once

#include <QValidator>

class QLineEdit;
class VTNumbericFormatter;

// Lets a numeric formatter vet what the user types into a line edit (a TLTextField, say):
// every edit is offered to the formatter with the text from before it, and a refused edit
// never shows. Text set from code is not vetted, as with a formatter on a text field.
class VTNumbericFormatterValidator : public QValidator {
    Q_OBJECT
public:
    // Becomes field's validator, owned by field. The formatter is not owned and must outlive
    // the field, or be detached first with field->setValidator(nullptr).
    VTNumbericFormatterValidator(VTNumbericFormatter* formatter, QLineEdit* field);

    State validate(QString& input, int& pos) const override;

private:
    VTNumbericFormatter* _formatter;
    QLineEdit* _field;
    QString _shownText; // the field's text before the edit being validated
};
