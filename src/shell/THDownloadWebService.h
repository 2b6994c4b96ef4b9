#pragma once

#include "shell/THWebService.h"

#include <QElapsedTimer>

#include <memory>

class QFile;
class QTimer;

// Downloads a URL into <filePath>/<fileName> through "<that path>.TempDownload", resuming
// a partial temporary file with a "Range" request, and reports progress and speed every
// 2 seconds. The destination is replaced only once the whole body is in; after a failure or
// a stop the temporary file stays for the next start to resume. Beside it, "<temporary
// path>.Validator" keeps the ETag or date of the resource it holds, so that a resume of a
// changed resource starts again from 0.
class THDownloadWebService : public THWebService {
    Q_OBJECT
public:
    using DownloadBlock =
        std::function<void(const Response&, const Error&, bool finished, double progress)>;

    static constexpr char kTemporarySuffix[] = ".TempDownload";
    static constexpr char kValidatorSuffix[] = ".Validator";
    static constexpr int kProgressIntervalMs = 2000;
    static constexpr int kDownloadTimeoutMs = 60000;

    explicit THDownloadWebService(QObject* parent = nullptr);
    ~THDownloadWebService() override;

    bool overwrite() const { return _overwrite; }
    void setOverwrite(bool overwrite) { _overwrite = overwrite; }
    // Derived from the URL when empty.
    QString fileName() const { return _fileName; }
    void setFileName(const QString& fileName) { _fileName = fileName; }
    // The user's documents folder when empty.
    QString filePath() const { return _filePath; }
    void setFilePath(const QString& filePath) { _filePath = filePath; }
    quint64 fileSize() const { return _fileSize; }
    double peakSpeed() const { return _peakSpeed; }
    double averageSpeed() const { return _averageSpeed; }
    quint64 offset() const { return _offset; }
    DownloadBlock downloadBlock() const { return _downloadBlock; }
    void setDownloadBlock(DownloadBlock block) { _downloadBlock = std::move(block); }

    // The last path segment of a URL when it can name a file in a folder, else empty.
    static QString safeFileNameFromUrl(const QUrl& url);

    std::optional<THWebRequest> setUpRequest(THWebError* error) override;
    bool startAsynchronous() override;
    void startWithHandler(DownloadBlock block);
    void stop() override;
    void lisenProgressAndSpeed();

protected:
    bool acceptsStatus(const THWebResponse& response) const override;
    void didReceiveResponse(const THWebResponse& response) override;
    void didReceiveData(const QByteArray& data) override;
    void didFailWithError(const THWebError& error) override;
    void didFinishLoading() override;

private:
    enum class Acceptance { Refused, Body, Complete };

    bool isAlreadyComplete(const THWebResponse& response) const;
    Acceptance acceptResponse(const THWebResponse& response);
    void failWith(int code, const QString& text);
    void closeFile();

    bool _overwrite = false;
    QString _fileName;
    QString _filePath;
    quint64 _fileSize = 0;
    double _peakSpeed = 0.0;
    double _averageSpeed = 0.0;
    DownloadBlock _downloadBlock;
    QString _destinationPath;
    QString _temporaryPath;
    QString _validatorPath;
    std::unique_ptr<QFile> _fileHandle;
    quint64 _offset = 0;
    quint64 _totalDownSize = 0;
    quint64 _onceDownSize = 0;
    QElapsedTimer _startDate;
    QTimer* _timer = nullptr;
};
