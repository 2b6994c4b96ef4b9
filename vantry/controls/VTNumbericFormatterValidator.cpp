#include "VTNumbericFormatterValidator.h"

#include "VTNumbericFormatter.h"

#include <QLineEdit>

VTNumbericFormatterValidator::VTNumbericFormatterValidator(VTNumbericFormatter* formatter,
                                                           QLineEdit* field)
    : QValidator(field), _formatter(formatter), _field(field), _shownText(field->text()) {
    connect(field, &QLineEdit::textChanged, this,
            [this](const QString& text) { _shownText = text; });
    field->setValidator(this);
}

// The line edit validates setText() too, with the field not yet marked modified, and checks
// the shown text again now and then; only a change the user makes goes to the formatter.
QValidator::State VTNumbericFormatterValidator::validate(QString& input, int& pos) const {
    if (!_field->isModified() || input == _shownText)
        return Acceptable;
    VTTextRange proposed{pos, 0};
    const VTTextRange original{_shownText.size(), 0};
    if (!_formatter
             ->isPartialStringValidProposedSelectedRangeOriginalStringOriginalSelectedRangeErrorDescription(
                 &input, &proposed, _shownText, original, nullptr))
        return Invalid;
    pos = int(proposed.location);
    return Acceptable;
}
