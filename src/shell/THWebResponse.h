#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QUrl>

// What a server answered before the body: status, announced length and headers.
struct THWebResponse {
    QUrl url;
    int statusCode = 0;                // 0 when the scheme has none (file:, data:)
    qint64 expectedContentLength = -1; // -1 when not announced
    QString mimeType;
    QHash<QByteArray, QByteArray> headers; // names in lower case

    QByteArray header(const QByteArray& name) const { return headers.value(name.toLower()); }
};
