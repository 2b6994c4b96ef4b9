#pragma once

#include "shell/THWebError.h"
#include "shell/THWebRequest.h"
#include "shell/THWebResponse.h"

#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <functional>
#include <optional>

class QNetworkAccessManager;
class THWebServiceDelegate;

// Fetches a URL with GET and reports to a delegate and an optional block. Asynchronous
// transfers run on the thread the service lives in; use one service from one thread.
// An HTTP status of 400 or more is a failure, and so is a body shorter than announced.
// Delete a service with deleteLater() from inside its own callbacks.
class THWebService : public QObject {
    Q_OBJECT
public:
    using Response = std::optional<THWebResponse>;
    using Error = std::optional<THWebError>;
    using Data = std::optional<QByteArray>;
    using WebServiceBlock = std::function<void(const Response&, const Error&, const Data&)>;

    explicit THWebService(QObject* parent = nullptr);
    ~THWebService() override;

    THWebServiceDelegate* delegate() const { return _delegate; }
    void setDelegate(THWebServiceDelegate* delegate) { _delegate = delegate; }
    QUrl url() const { return _url; }
    void setUrl(const QUrl& url) { _url = url; }
    WebServiceBlock webServiceBlock() const { return _webServiceBlock; }
    void setWebServiceBlock(WebServiceBlock block) { _webServiceBlock = std::move(block); }
    // A transfer that receives nothing for this long fails with kTimedOutText; 0: never.
    int timeoutIntervalMs() const { return _timeoutIntervalMs; }
    void setTimeoutIntervalMs(int milliseconds) { _timeoutIntervalMs = milliseconds; }

    static constexpr int kDefaultTimeoutMs = 15000;
    static const QString& kTimedOutText();

    // The request to send; on failure none, with the reason in error (when given).
    virtual std::optional<THWebRequest> setUpRequest(THWebError* error);
    virtual bool startAsynchronous();
    // Blocks until the whole body is in; none on failure. Tells no one.
    Data startSynchronous();
    // Runs the request on a pool thread and calls the block once, on the main thread, with
    // the response, error and body; the delegate is not told.
    void startWithHandler(WebServiceBlock block);
    // Cancels silently.
    virtual void stop();
    bool isRunning() const { return _reply != nullptr; }

protected:
    // A GET of url that asks for the body as stored (no compression), so the bytes that
    // arrive are the bytes the server announced.
    THWebRequest newRequest() const;
    // Whether a response with this status is still a success; HTTP errors are not.
    virtual bool acceptsStatus(const THWebResponse& response) const;
    virtual void didReceiveResponse(const THWebResponse& response);
    virtual void didReceiveData(const QByteArray& data);
    virtual void didFailWithError(const THWebError& error);
    virtual void didFinishLoading();

    static const QString& kURLNilText();
    static const QString& kRequestCreateText();

private:
    QNetworkAccessManager& manager();
    void onMetaDataChanged();
    void onReadyRead();
    void onFinished();
    // Reports the response once; false when the transfer ended meanwhile.
    bool noteResponse();

    THWebServiceDelegate* _delegate = nullptr;
    QUrl _url;
    WebServiceBlock _webServiceBlock;
    QNetworkAccessManager* _manager = nullptr;
    QPointer<QNetworkReply> _reply;
    bool _responseSeen = false;
    int _timeoutIntervalMs = kDefaultTimeoutMs;
    qint64 _expectedBodyLength = -1;
    qint64 _receivedBodyLength = 0;
    Data _data;
};
