#include "shell/THPostWebService.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace {

bool isNumber(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Float:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

QByteArray numberText(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Float:
    case QMetaType::Double:
        return QByteArray::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return QByteArray::number(value.toULongLong());
    default:
        return QByteArray::number(value.toLongLong());
    }
}

// A name or file name inside the quotes of a part header: the quote and line ends that
// would end it early are percent-escaped, as browsers send them.
QByteArray quotedText(const QString& text) {
    QByteArray bytes = text.toUtf8();
    bytes.replace('"', "%22").replace('\r', "%0D").replace('\n', "%0A");
    return '"' + bytes + '"';
}

QByteArray dispositionOf(const QString& key) {
    return "Content-Disposition: form-data; name=" + quotedText(key);
}

QByteArray nameHeader(const QString& key) {
    return dispositionOf(key) + "\r\n\r\n";
}

void appendFile(QByteArray& body, const QString& key, const QString& path, bool& allFilesRead) {
    body += dispositionOf(key) + "; filename=" + quotedText(QFileInfo(path).fileName()) + "\r\n";
    body += "Content-Type: application/octet-stream\r\n\r\n";
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        allFilesRead = false;
        return;
    }
    const QByteArray contents = file.readAll();
    if (file.error() != QFileDevice::NoError)
        allFilesRead = false;
    else
        body += contents;
}

void appendValue(QByteArray& body, const QString& key, const QVariant& value, bool& allFilesRead) {
    switch (value.typeId()) {
    case QMetaType::QString:
        body += nameHeader(key) + value.toString().toUtf8();
        return;
    case QMetaType::QByteArray:
        body += nameHeader(key) + value.toByteArray();
        return;
    case QMetaType::QUrl:
        if (const QUrl url = value.toUrl(); url.isLocalFile())
            appendFile(body, key, url.toLocalFile(), allFilesRead);
        return;
    default:
        if (isNumber(value))
            body += nameHeader(key) + numberText(value);
        return;
    }
}

} // namespace

QByteArray THPostWebService::generateFormData(const QVariantMap& postDic, bool* allFilesRead) {
    const QByteArray boundary(kBoundary);
    bool filesRead = true;
    QByteArray body;
    for (auto it = postDic.cbegin(); it != postDic.cend(); ++it) {
        body += "--" + boundary + "\r\n";
        appendValue(body, it.key(), it.value(), filesRead);
        body += "\r\n";
    }
    body += "--" + boundary + "--\r\n";
    if (allFilesRead)
        *allFilesRead = filesRead;
    return body;
}

std::optional<THWebRequest> THPostWebService::setUpRequest(THWebError* error) {
    std::optional<THWebRequest> request = THWebService::setUpRequest(error);
    if (!request)
        return std::nullopt;
    bool allFilesRead = true;
    request->body = generateFormData(_postDic, &allFilesRead);
    if (!allFilesRead) {
        if (error)
            *error = THWebError{kRequestCreateText(), THWebErrors::kRequestCreate};
        return std::nullopt;
    }
    request->method = QByteArrayLiteral("POST");
    request->request.setRawHeader("Content-Type",
                                  QByteArrayLiteral("multipart/form-data; boundary=") + kBoundary);
    request->request.setRawHeader("Content-Length", QByteArray::number(request->body.size()));
    return request;
}
