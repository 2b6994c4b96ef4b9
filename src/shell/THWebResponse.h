#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QUrl>

// What a server answered before the body: status, announced length and headers.
struct THWebResponse {
    // "Content-Range: bytes first-last/total" or "bytes */total"; -1 where not given.
    struct ContentRange {
        qint64 first = -1;
        qint64 last = -1;
        qint64 total = -1;
    };

    QUrl url;
    int statusCode = 0;                // 0 when the scheme has none (file:, data:)
    qint64 expectedContentLength = -1; // -1 when not announced
    QString mimeType;
    QHash<QByteArray, QByteArray> headers; // names in lower case

    QByteArray header(const QByteArray& name) const { return headers.value(name.toLower()); }
    ContentRange contentRange() const;
    // The body bytes the server promised: its length, else a partial answer's range; -1
    // when it promised none.
    qint64 expectedBodyLength() const;
};
