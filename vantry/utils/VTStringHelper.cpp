#include "VTStringHelper.h"

#include <QFontMetricsF>
#include <QProcess>
#include <QStringDecoder>

VTStringHelper::CharacterSet VTStringHelper::characterSet(const QString& characters) {
    return [characters](QChar c) { return characters.contains(c); };
}

VTStringHelper::CharacterSet VTStringHelper::whitespaceSet() {
    return [](QChar c) { return c.isSpace(); };
}

QString VTStringHelper::uppercaseStringInRange(const QString& text, qsizetype start,
                                               qsizetype length) {
    if (start < 0 || length < 0 || start + length > text.size())
        return text;
    QString result = text.toLower();
    result.replace(start, length, text.mid(start, length).toUpper());
    return result;
}

double VTStringHelper::widthOfStringWithFont(const QString& text, const QFont& font) {
    if (text.isNull())
        return 0.0;
    return QFontMetricsF(font).horizontalAdvance(text);
}

QString VTStringHelper::stringByReplacingCharactersInSetWithString(const QString& text,
                                                                   const CharacterSet& set,
                                                                   const QString& replacement) {
    if (text.isEmpty())
        return text;
    QString result;
    result.reserve(text.size());
    for (QChar c : text) {
        if (set(c))
            result += replacement;
        else
            result += c;
    }
    return result;
}

QString VTStringHelper::stringByTrimmingTrailingCharactersInSet(const QString& text,
                                                                const CharacterSet& set) {
    qsizetype end = text.size();
    while (end > 0 && set(text[end - 1]))
        --end;
    return text.left(end);
}

QString VTStringHelper::sizeStringWithBytes(qint64 n) {
    if (n < 1024)
        return QStringLiteral("%1 B").arg(n);
    if (n <= 1048575)
        return QStringLiteral("%1 kB").arg(n / 1024);
    if (n <= 1073741823)
        return QStringLiteral("%1 MB").arg(double(n) / 1048576.0, 0, 'f', 1);
    return QStringLiteral("%1 GB").arg(double(n) / 1073741824.0, 0, 'f', 1);
}

namespace {
QString runAndReadOutput(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    process.start(program, arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted())
        return {};
    process.waitForFinished(-1);
    const QByteArray output = process.readAllStandardOutput();
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(output);
    if (decoder.hasError())
        return {};
    return text.isNull() ? QStringLiteral("") : text;
}
} // namespace

QString VTStringHelper::runAsCommand(const QString& shellCommand) {
    return runAndReadOutput(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), shellCommand});
}

QString VTStringHelper::runAsCommand(const QStringList& argumentVector) {
    if (argumentVector.isEmpty())
        return {};
    return runAndReadOutput(argumentVector.first(), argumentVector.mid(1));
}
