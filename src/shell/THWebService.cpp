#include "shell/THWebService.h"

#include "shell/THWebServiceDelegate.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QThreadPool>

#include <memory>

namespace {

constexpr int kRequestTimeoutMs = 15000;

THWebResponse responseOf(const QNetworkReply& reply) {
    THWebResponse response;
    response.url = reply.url();
    response.statusCode = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QVariant length = reply.header(QNetworkRequest::ContentLengthHeader);
    response.expectedContentLength = length.isValid() ? length.toLongLong() : -1;
    response.mimeType = reply.header(QNetworkRequest::ContentTypeHeader)
                            .toString()
                            .section(QLatin1Char(';'), 0, 0)
                            .trimmed();
    for (const auto& [name, value] : reply.rawHeaderPairs())
        response.headers.insert(name.toLower(), value);
    return response;
}

std::optional<THWebError> httpErrorOf(const QNetworkReply& reply) {
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status < 400)
        return std::nullopt;
    const QString reason =
        reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().trimmed();
    return THWebError{QStringLiteral("HTTP %1 %2").arg(status).arg(reason).trimmed(), status};
}

THWebError transferErrorOf(const QNetworkReply& reply) {
    if (auto httpError = httpErrorOf(reply))
        return *httpError;
    return THWebError{reply.errorString(), static_cast<int>(reply.error())};
}

bool isRedirect(const QNetworkReply& reply) {
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return status >= 300 && status < 400;
}

THWebService::Data performSynchronously(const THWebRequest& request,
                                        THWebService::Response* response,
                                        THWebService::Error* error) {
    QNetworkAccessManager manager;
    std::unique_ptr<QNetworkReply> reply(
        manager.sendCustomRequest(request.request, request.method, request.body));
    if (!reply->isFinished()) {
        QEventLoop loop;
        QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid() ||
        reply->error() == QNetworkReply::NoError)
        *response = responseOf(*reply);
    if (reply->error() != QNetworkReply::NoError || httpErrorOf(*reply)) {
        *error = transferErrorOf(*reply);
        return std::nullopt;
    }
    return reply->readAll();
}

} // namespace

const QString& THWebService::kURLNilText() {
    static const QString text = QStringLiteral("URL Can not be nil!");
    return text;
}

const QString& THWebService::kRequestCreateText() {
    static const QString text = QStringLiteral("URL Request Create Error!");
    return text;
}

THWebService::THWebService(QObject* parent) : QObject(parent) {}

THWebService::~THWebService() {
    THWebService::stop();
}

QNetworkAccessManager& THWebService::manager() {
    if (!_manager)
        _manager = new QNetworkAccessManager(this);
    return *_manager;
}

std::optional<THWebRequest> THWebService::setUpRequest(THWebError* error) {
    auto fail = [error](int code, const QString& text) -> std::optional<THWebRequest> {
        if (error)
            *error = THWebError{text, code};
        return std::nullopt;
    };
    if (_url.isEmpty())
        return fail(THWebErrors::kURLNil, kURLNilText());
    if (!_url.isValid())
        return fail(THWebErrors::kRequestCreate, kRequestCreateText());
    THWebRequest request;
    request.request.setUrl(_url);
    request.request.setTransferTimeout(kRequestTimeoutMs);
    if (error)
        *error = THWebError{};
    return request;
}

bool THWebService::startAsynchronous() {
    stop();
    THWebError error;
    const std::optional<THWebRequest> request = setUpRequest(&error);
    if (!request) {
        didFailWithError(error);
        return false;
    }
    _data = QByteArray("");
    _responseSeen = false;
    _reply = manager().sendCustomRequest(request->request, request->method, request->body);
    connect(_reply, &QNetworkReply::metaDataChanged, this, &THWebService::onMetaDataChanged);
    connect(_reply, &QNetworkReply::readyRead, this, &THWebService::onReadyRead);
    connect(_reply, &QNetworkReply::finished, this, &THWebService::onFinished);
    return true;
}

THWebService::Data THWebService::startSynchronous() {
    stop();
    const std::optional<THWebRequest> request = setUpRequest(nullptr);
    if (!request)
        return std::nullopt;
    Response response;
    Error error;
    return performSynchronously(*request, &response, &error);
}

void THWebService::startWithHandler(WebServiceBlock block) {
    stop();
    _webServiceBlock = std::move(block);
    // The request is set up here, so the pool thread never reads this object.
    THWebError setUpError;
    std::optional<THWebRequest> request = setUpRequest(&setUpError);
    QPointer<THWebService> self(this);
    QThreadPool::globalInstance()->start([self, request = std::move(request), setUpError] {
        Response response;
        Error error;
        Data data;
        if (request)
            data = performSynchronously(*request, &response, &error);
        else
            error = setUpError;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, response, error, data] {
                if (self && self->_webServiceBlock)
                    self->_webServiceBlock(response, error, data);
            },
            Qt::QueuedConnection);
    });
}

void THWebService::stop() {
    if (QNetworkReply* reply = _reply) {
        _reply = nullptr;
        disconnect(reply, nullptr, this, nullptr);
        // Qt ends a reply with an error status itself; aborting it as well only makes Qt
        // complain that the reply failed twice.
        if (reply->error() == QNetworkReply::NoError && !httpErrorOf(*reply))
            reply->abort();
        reply->deleteLater();
    }
    _data.reset();
}

void THWebService::onMetaDataChanged() {
    if (_reply && !isRedirect(*_reply))
        noteResponse();
}

bool THWebService::noteResponse() {
    if (!_reply)
        return false;
    if (_responseSeen)
        return true;
    _responseSeen = true;
    QPointer<QNetworkReply> reply = _reply;
    if (auto httpError = httpErrorOf(*reply)) {
        didFailWithError(*httpError);
        return false;
    }
    didReceiveResponse(responseOf(*reply));
    return reply && _reply == reply;
}

void THWebService::onReadyRead() {
    if (!noteResponse())
        return;
    didReceiveData(_reply->readAll());
}

void THWebService::onFinished() {
    if (!_reply)
        return;
    QPointer<QNetworkReply> reply = _reply;
    const bool answered = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    if ((answered || reply->error() == QNetworkReply::NoError) && !noteResponse())
        return;
    if (reply->error() != QNetworkReply::NoError) {
        didFailWithError(transferErrorOf(*reply));
        return;
    }
    const QByteArray rest = reply->readAll();
    if (!rest.isEmpty()) {
        didReceiveData(rest);
        if (!reply || _reply != reply)
            return;
    }
    didFinishLoading();
}

void THWebService::didReceiveResponse(const THWebResponse& response) {
    QPointer<THWebService> self(this);
    if (_webServiceBlock)
        _webServiceBlock(response, std::nullopt, std::nullopt);
    if (self && _delegate)
        _delegate->webServiceBegin(this);
}

void THWebService::didReceiveData(const QByteArray& data) {
    if (_reply && _data)
        _data->append(data);
}

void THWebService::didFailWithError(const THWebError& error) {
    QPointer<THWebService> self(this);
    if (_webServiceBlock)
        _webServiceBlock(std::nullopt, error, std::nullopt);
    if (self && _delegate)
        _delegate->webServiceFailDidFailWithError(this, error);
    if (self)
        stop();
}

void THWebService::didFinishLoading() {
    QPointer<THWebService> self(this);
    const QByteArray data = _data.value_or(QByteArray());
    if (_webServiceBlock)
        _webServiceBlock(std::nullopt, std::nullopt, data);
    if (self && _delegate)
        _delegate->webServiceFinishDidReceiveData(this, data);
    if (self)
        stop();
}
