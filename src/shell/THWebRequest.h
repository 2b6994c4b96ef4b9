#pragma once

#include <QByteArray>
#include <QNetworkRequest>

// A request ready to send: address and headers, method and body.
struct THWebRequest {
    QNetworkRequest request;
    QByteArray method = QByteArrayLiteral("GET");
    QByteArray body;
};
