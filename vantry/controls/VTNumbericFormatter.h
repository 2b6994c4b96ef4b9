#pragma once

#include <QString>
#include <QVariant>

class VTNumbericFormatterDelegate;

// A text range as a formatter sees it: where it starts and how many characters it covers.
struct VTTextRange {
    qsizetype location = 0;
    qsizetype length = 0;
};

// Shows a number with at most two decimals (none when they are zero), reads one with an
// optional leading "$", and vets typing: at most maxCharsLen characters, numbers only, and
// whatever the delegate says of the last character typed. A refusal beeps.
class VTNumbericFormatter {
public:
    static constexpr unsigned long kDefaultMaxCharsLen = 10;

    VTNumbericFormatter() = default;

    unsigned long maxCharsLen() const { return _maxCharsLen; }
    void setMaxCharsLen(unsigned long length) { _maxCharsLen = length; }
    VTNumbericFormatterDelegate* delegate() const { return _delegate; }
    void setDelegate(VTNumbericFormatterDelegate* delegate) { _delegate = delegate; }

    // A null string for anything that is not a number.
    QString stringForObjectValue(const QVariant& object) const;
    // On failure error (when given) gets the localised "Couldn’t convert  to float".
    bool getObjectValueForStringErrorDescription(QVariant* object, const QString& string,
                                                 QString* error) const;
    bool
    isPartialStringValidProposedSelectedRangeOriginalStringOriginalSelectedRangeErrorDescription(
        QString* partialString, VTTextRange* proposedSelectedRange, const QString& originalString,
        VTTextRange originalSelectedRange, QString* error);

private:
    unsigned long _maxCharsLen = kDefaultMaxCharsLen;
    VTNumbericFormatterDelegate* _delegate = nullptr;
};
