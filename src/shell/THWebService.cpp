#include "shell/THWebService.h"

#include "platform/MainThreadQueue.h"
#include "platform/PoolHandOver.h"
#include "shell/THWebServiceDelegate.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QThreadPool>

#include <memory>

namespace {

int statusOf(const QNetworkReply& reply) {
    return reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

bool isErrorStatus(int status) {
    return status >= 400;
}

THWebResponse responseOf(const QNetworkReply& reply) {
    THWebResponse response;
    response.url = reply.url();
    response.statusCode = statusOf(reply);
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

THWebError httpErrorOf(const QNetworkReply& reply) {
    const int status = statusOf(reply);
    const QString reason =
        reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().trimmed();
    return THWebError{QStringLiteral("HTTP %1 %2").arg(status).arg(reason).trimmed(), status};
}

THWebError transferErrorOf(const QNetworkReply& reply) {
    if (isErrorStatus(statusOf(reply)))
        return httpErrorOf(reply);
    // A transfer timeout cancels the reply; nothing else cancels one that is still watched,
    // since stop() lets go of it first.
    if (reply.error() == QNetworkReply::OperationCanceledError ||
        reply.error() == QNetworkReply::TimeoutError)
        return THWebError{THWebService::kTimedOutText(), QNetworkReply::TimeoutError};
    return THWebError{reply.errorString(), static_cast<int>(reply.error())};
}

// A body that ended before the length its server announced: the connection closed early.
std::optional<THWebError> shortBodyError(qint64 expected, qint64 received) {
    if (expected < 0 || received >= expected)
        return std::nullopt;
    return THWebError{QStringLiteral("Connection closed"), QNetworkReply::RemoteHostClosedError};
}

bool isRedirect(const QNetworkReply& reply) {
    const int status = statusOf(reply);
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
    if (reply->error() != QNetworkReply::NoError || isErrorStatus(statusOf(*reply))) {
        *error = transferErrorOf(*reply);
        return std::nullopt;
    }
    QByteArray body = reply->readAll();
    if ((*error = shortBodyError((*response)->expectedBodyLength(), body.size())))
        return std::nullopt;
    return body;
}

} // namespace

const QString& THWebService::kURLNilText() {
    static const QString text = QStringLiteral("URL Can not be nil!");
    return text;
}

const QString& THWebService::kTimedOutText() {
    static const QString text = QStringLiteral("The request timed out.");
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
    if (error)
        *error = THWebError{};
    return newRequest();
}

THWebRequest THWebService::newRequest() const {
    THWebRequest request;
    request.request.setUrl(_url);
    request.request.setTransferTimeout(_timeoutIntervalMs);
    // Any other coding Qt would undo itself, and drop the length that shows a cut body.
    request.request.setRawHeader("Accept-Encoding", "identity");
    return request;
}

bool THWebService::acceptsStatus(const THWebResponse& response) const {
    return !isErrorStatus(response.statusCode);
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
    _expectedBodyLength = -1;
    _receivedBodyLength = 0;
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
    auto fetch = [self, request = std::move(request), setUpError] {
        Response response;
        Error error;
        Data data;
        if (request)
            data = performSynchronously(*request, &response, &error);
        else
            error = setUpError;
        MainThreadQueue::post([self, response, error, data] {
            if (self && self->_webServiceBlock)
                self->_webServiceBlock(response, error, data);
        });
    };
    PoolHandOver::start(*QThreadPool::globalInstance(), std::move(fetch));
}

void THWebService::stop() {
    if (QNetworkReply* reply = _reply) {
        _reply = nullptr;
        disconnect(reply, nullptr, this, nullptr);
        // Qt ends a reply with an error status itself; aborting it as well only makes Qt
        // complain that the reply failed twice.
        if (reply->error() == QNetworkReply::NoError && !isErrorStatus(statusOf(*reply)))
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
    const THWebResponse response = responseOf(*reply);
    if (!acceptsStatus(response)) {
        didFailWithError(httpErrorOf(*reply));
        return false;
    }
    _expectedBodyLength = response.expectedBodyLength();
    didReceiveResponse(response);
    return reply && _reply == reply;
}

void THWebService::onReadyRead() {
    if (!noteResponse())
        return;
    const QByteArray data = _reply->readAll();
    _receivedBodyLength += data.size();
    didReceiveData(data);
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
    _receivedBodyLength += rest.size();
    if (!rest.isEmpty()) {
        didReceiveData(rest);
        if (!reply || _reply != reply)
            return;
    }
    if (auto shortBody = shortBodyError(_expectedBodyLength, _receivedBodyLength)) {
        didFailWithError(*shortBody);
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
