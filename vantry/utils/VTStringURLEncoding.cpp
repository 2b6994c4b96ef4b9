#include "VTStringURLEncoding.h"

#include <QStringEncoder>

QString VTStringURLEncoding::urlEncodeUsingEncoding(const QString& text,
                                                    QStringConverter::Encoding encoding) {
    QStringEncoder encoder(encoding);
    const QByteArray bytes = encoder(text);
    return QString::fromLatin1(bytes.toPercentEncoding());
}
