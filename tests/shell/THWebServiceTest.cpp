#include "LoopbackHttpServer.h"

#include "shell/THDownloadWebService.h"
#include "shell/THPostWebService.h"
#include "shell/THWebServiceDelegate.h"

#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <gtest/gtest.h>

#include <numeric>

namespace {

using Reply = LoopbackHttpServer::Reply;
using Request = LoopbackHttpServer::Request;

QByteArray patternBytes(qsizetype size, char seed = 'a') {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(seed + i % 23);
    return bytes;
}

// Bytes that barely compress, so half a compressed body still decodes to something.
QByteArray noiseBytes(qsizetype size) {
    QRandomGenerator generator(24);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& byte : bytes)
        byte = static_cast<char>(generator.bounded(256));
    return bytes;
}

QByteArray gzipped(const QByteArray& bytes) {
    QProcess gzip;
    gzip.start(QStringLiteral("gzip"), {QStringLiteral("-c"), QStringLiteral("-n")});
    gzip.write(bytes);
    gzip.closeWriteChannel();
    gzip.waitForFinished(30000);
    return gzip.readAllStandardOutput();
}

// A reply whose body the server cuts after half its bytes.
Reply cutHalfWay(Reply reply) {
    reply.closeAfter = reply.body.size() / 2;
    return reply;
}

Reply withoutLength(Reply reply) {
    reply.announceLength = false;
    return reply;
}

Reply gzipCutHalfWay() {
    return cutHalfWay(Reply{200, "OK", {{"Content-Encoding", "gzip"}}, gzipped(noiseBytes(20000))});
}

Reply stalled(Reply reply) {
    reply.stallAfter = 100;
    return reply;
}

const THWebError kConnectionClosed{QStringLiteral("Connection closed"), 2};
const THWebError kTimedOut{QStringLiteral("The request timed out."), 4};
constexpr int kShortTimeoutMs = 1000;

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

struct RecordingDelegate : THWebServiceDelegate {
    int begins = 0;
    int finishes = 0;
    QList<THWebError> failures;
    QList<double> progress;
    QList<double> peakSpeeds;
    void webServiceBegin(THWebService*) override { ++begins; }
    void webServiceFinishDidReceiveData(THWebService*, const QByteArray&) override { ++finishes; }
    void webServiceFailDidFailWithError(THWebService*, const THWebError& error) override {
        failures.append(error);
    }
    void downloadProgressChangeProgress(THWebService* service, double value) override {
        progress.append(value);
        peakSpeeds.append(qobject_cast<THDownloadWebService*>(service)->peakSpeed());
    }
    bool ended() const { return finishes + failures.size() > 0; }
};

// The whole resource a download test serves, and the part a resumed request asks for.
const QByteArray kResource = patternBytes(1500);

} // namespace

TEST(THPostWebService, SingleTextFieldGivesThe111ByteBody) {
    const QByteArray body = THPostWebService::generateFormData({{"a", QStringLiteral("1")}});
    EXPECT_EQ(body, QByteArray("--_insert_some_boundary_here_\r\n"
                               "Content-Disposition: form-data; name=\"a\"\r\n\r\n"
                               "1\r\n"
                               "--_insert_some_boundary_here_--\r\n"));
    EXPECT_EQ(body.size(), 111);

    THPostWebService service;
    service.setUrl(QUrl(QStringLiteral("http://127.0.0.1:9/form")));
    service.setPostDic({{"a", QStringLiteral("1")}});
    THWebError error{QStringLiteral("stale"), 1};
    const auto request = service.setUpRequest(&error);
    ASSERT_TRUE(request);
    EXPECT_EQ(error, THWebError{});
    EXPECT_EQ(request->method, "POST");
    EXPECT_EQ(request->request.rawHeader("Content-Length"), "111");
    EXPECT_EQ(request->request.rawHeader("Content-Type"),
              "multipart/form-data; boundary=_insert_some_boundary_here_");
}

TEST(THPostWebService, EveryKindOfValueByteForByte) {
    const QString folder = TestEnvironment::makeTempFolder(QStringLiteral("form"));
    // Quotes and line ends in names would end the part headers early.
    const QString filePath = folder + QStringLiteral("/cover \"art\"\r\n é.bin");
    writeAll(filePath, QByteArray("\x00\x01\xff", 3));
    const QVariantMap form{{"bytes", QByteArray("\r\n--x", 5)},
                           {"count", 42},
                           {"file", QUrl::fromLocalFile(filePath)},
                           {"ignored", QUrl(QStringLiteral("http://127.0.0.1/x"))},
                           {"ratio", 0.25},
                           {"title\"\r\n", QStringLiteral("Ünïcode")}};
    const QByteArray expected =
        QByteArray("--_insert_some_boundary_here_\r\n"
                   "Content-Disposition: form-data; name=\"bytes\"\r\n\r\n\r\n--x\r\n"
                   "--_insert_some_boundary_here_\r\n"
                   "Content-Disposition: form-data; name=\"count\"\r\n\r\n42\r\n"
                   "--_insert_some_boundary_here_\r\n"
                   "Content-Disposition: form-data; name=\"file\"; filename=\"cover %22art%22"
                   "%0D%0A \xc3\xa9.bin\"\r\nContent-Type: application/octet-stream\r\n\r\n") +
        QByteArray("\x00\x01\xff", 3) +
        QByteArray("\r\n--_insert_some_boundary_here_\r\n\r\n"
                   "--_insert_some_boundary_here_\r\n"
                   "Content-Disposition: form-data; name=\"ratio\"\r\n\r\n0.25\r\n"
                   "--_insert_some_boundary_here_\r\n"
                   "Content-Disposition: form-data; name=\"title%22%0D%0A\"\r\n\r\n"
                   "\xc3\x9cn\xc3\xaf"
                   "code\r\n"
                   "--_insert_some_boundary_here_--\r\n");
    EXPECT_EQ(THPostWebService::generateFormData(form), expected);
    EXPECT_EQ(THPostWebService::generateFormData({}), "--_insert_some_boundary_here_--\r\n");
}

TEST(THPostWebService, AnUnreadableFileFailsTheRequestInsteadOfSendingAnEmptyPart) {
    THPostWebService service;
    service.setUrl(QUrl(QStringLiteral("http://127.0.0.1:9/form")));
    service.setPostDic({{"file", QUrl::fromLocalFile(QStringLiteral("/nonexistent/file.bin"))}});
    THWebError error;
    EXPECT_FALSE(service.setUpRequest(&error));
    EXPECT_EQ(error, (THWebError{QStringLiteral("URL Request Create Error!"), 101}));
}

TEST(THPostWebService, TheServerReceivesTheFormAndItsHeaders) {
    LoopbackHttpServer server([](const Request&) { return Reply{200, "OK", {}, "thanks"}; });
    ASSERT_TRUE(server.isListening());
    THPostWebService service;
    RecordingDelegate delegate;
    service.setDelegate(&delegate);
    service.setUrl(server.url(QStringLiteral("/form")));
    service.setPostDic({{"a", QStringLiteral("1")}});
    QByteArray received;
    service.setWebServiceBlock([&](const auto&, const auto&, const THWebService::Data& data) {
        if (data)
            received = *data;
    });
    ASSERT_TRUE(service.startAsynchronous());
    ASSERT_TRUE(QTest::qWaitFor([&] { return delegate.ended(); }, 10000));
    EXPECT_EQ(delegate.finishes, 1);
    EXPECT_EQ(received, "thanks");
    ASSERT_EQ(server.requests().size(), 1);
    const Request& request = server.requests().first();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.body, THPostWebService::generateFormData({{"a", QStringLiteral("1")}}));
    EXPECT_EQ(request.headers.value("content-type"),
              "multipart/form-data; boundary=_insert_some_boundary_here_");
}

TEST(THWebService, SetUpErrorsCarryTheirCodeAndText) {
    const struct {
        const char* name;
        QUrl url;
        THWebError expected;
    } cases[] = {
        {"no URL", QUrl(), {QStringLiteral("URL Can not be nil!"), 100}},
        {"invalid URL",
         QUrl(QStringLiteral("http://exa mple.org:99999/")),
         {QStringLiteral("URL Request Create Error!"), 101}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        THWebService service;
        RecordingDelegate delegate;
        service.setDelegate(&delegate);
        service.setUrl(c.url);
        int blockCalls = 0;
        service.setWebServiceBlock([&](const auto& response, const auto& error, const auto& data) {
            ++blockCalls;
            EXPECT_FALSE(response);
            EXPECT_FALSE(data);
            EXPECT_EQ(error, c.expected);
        });
        EXPECT_FALSE(service.startAsynchronous());
        EXPECT_EQ(blockCalls, 1);
        EXPECT_EQ(delegate.failures, QList<THWebError>{c.expected});
    }
}

TEST(THWebService, HandlerWithoutUrlIsCalledOnceWithError100) {
    THWebService service;
    int calls = 0;
    THWebService::Error seen;
    service.startWithHandler([&](const auto& response, const auto& error, const auto& data) {
        ++calls;
        seen = error;
        EXPECT_FALSE(response);
        EXPECT_FALSE(data);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls > 0; }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(seen, (THWebError{QStringLiteral("URL Can not be nil!"), 100}));
}

TEST(THWebService, GetDeliversTheBodyInEveryMode) {
    LoopbackHttpServer server([](const Request&) { return Reply{200, "OK", {}, "hello body"}; });
    THWebService service;
    service.setUrl(server.url(QStringLiteral("/text")));
    EXPECT_EQ(service.startSynchronous(), QByteArray("hello body"));

    THWebService::Data handled;
    THWebService::Response response;
    service.startWithHandler([&](const auto& r, const auto&, const auto& data) {
        response = r;
        handled = data;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return handled.has_value(); }, 10000));
    EXPECT_EQ(*handled, "hello body");
    ASSERT_TRUE(response);
    EXPECT_EQ(response->statusCode, 200);
    EXPECT_EQ(server.requests().size(), 2);
}

TEST(THWebService, AnErrorStatusIsAFailureNotABody) {
    LoopbackHttpServer server([](const Request&) {
        return Reply{404, "Not Found", {}, "<html>missing</html>"};
    });
    THWebService service;
    RecordingDelegate delegate;
    service.setDelegate(&delegate);
    service.setUrl(server.url(QStringLiteral("/missing")));
    EXPECT_FALSE(service.startSynchronous());
    ASSERT_TRUE(service.startAsynchronous());
    ASSERT_TRUE(QTest::qWaitFor([&] { return delegate.ended(); }, 10000));
    EXPECT_EQ(delegate.finishes, 0);
    ASSERT_EQ(delegate.failures.size(), 1);
    EXPECT_EQ(delegate.failures.first().code, 404);
    EXPECT_FALSE(service.isRunning());
}

TEST(THWebService, ACutOrStalledBodyIsAFailureWithoutData) {
    const struct {
        const char* name;
        Reply reply;
        THWebError expected;
    } cases[] = {
        {"gzip body cut half-way", gzipCutHalfWay(), kConnectionClosed},
        {"range without a length cut half-way",
         cutHalfWay(withoutLength(Reply{
             206, "Partial Content", {{"Content-Range", "bytes 0-999/1000"}}, patternBytes(1000)})),
         kConnectionClosed},
        {"stalled", stalled(Reply{200, "OK", {}, patternBytes(1000)}), kTimedOut},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackHttpServer server([&c](const Request&) { return c.reply; });
        THWebService service;
        RecordingDelegate delegate;
        service.setDelegate(&delegate);
        if (c.reply.stallAfter >= 0)
            service.setTimeoutIntervalMs(kShortTimeoutMs);
        service.setUrl(server.url(QStringLiteral("/body")));
        ASSERT_TRUE(service.startAsynchronous());
        ASSERT_TRUE(QTest::qWaitFor([&] { return delegate.ended(); }, 20000));
        EXPECT_EQ(delegate.finishes, 0);
        EXPECT_EQ(delegate.failures, QList<THWebError>{c.expected});

        std::optional<std::pair<THWebService::Error, THWebService::Data>> handled;
        service.startWithHandler([&](const auto&, const auto& error, const auto& data) {
            handled.emplace(error, data);
        });
        ASSERT_TRUE(QTest::qWaitFor([&] { return handled.has_value(); }, 20000));
        EXPECT_EQ(handled->first, c.expected);
        EXPECT_FALSE(handled->second);
        ASSERT_EQ(server.requests().size(), 2);
        EXPECT_EQ(server.requests().last().headers.value("accept-encoding"), "identity");
    }
}

class THDownloadWebServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = TestEnvironment::makeTempFolder(QStringLiteral("download"));
        destination = folder + QStringLiteral("/song file.bin");
        temporary = destination + QStringLiteral(".TempDownload");
    }

    void configure(THDownloadWebService& service, const LoopbackHttpServer& server) {
        service.setUrl(server.url(QStringLiteral("/files/song%20file.bin")));
        service.setFilePath(folder);
        service.setDelegate(&delegate);
        service.setDownloadBlock(
            [this](const auto& response, const auto& error, bool finished, double) {
                if (response)
                    announcedSize = currentService->fileSize();
                if (error)
                    blockError = error;
                blockFinished = blockFinished || finished;
            });
        currentService = &service;
    }

    bool runToEnd(THDownloadWebService& service) {
        return service.startAsynchronous() &&
               QTest::qWaitFor([&] { return delegate.ended(); }, 10000);
    }

    static Reply partial(qsizetype from, qsizetype to) {
        const QByteArray range = "bytes " + QByteArray::number(from) + '-' +
                                 QByteArray::number(to) + '/' +
                                 QByteArray::number(kResource.size());
        return Reply{
            206, "Partial Content", {{"Content-Range", range}}, kResource.mid(from, to - from + 1)};
    }

    QString folder;
    QString destination;
    QString temporary;
    RecordingDelegate delegate;
    THDownloadWebService* currentService = nullptr;
    quint64 announcedSize = 0;
    THWebService::Error blockError;
    bool blockFinished = false;
};

TEST_F(THDownloadWebServiceTest, ResumesAPartialFileWithARangeRequest) {
    writeAll(temporary, kResource.left(1000));
    LoopbackHttpServer server([](const Request&) { return partial(1000, 1499); });
    THDownloadWebService service;
    configure(service, server);
    ASSERT_TRUE(runToEnd(service));

    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests().first().headers.value("range"), "bytes=1000-");
    EXPECT_EQ(announcedSize, 1500u);
    EXPECT_EQ(delegate.finishes, 1);
    EXPECT_TRUE(blockFinished);
    EXPECT_EQ(readAll(destination), kResource);
    EXPECT_FALSE(QFile::exists(temporary));
}

TEST_F(THDownloadWebServiceTest, AFreshDownloadAsksFromZeroAndNamesTheFileFromTheUrl) {
    LoopbackHttpServer server([](const Request&) { return Reply{200, "OK", {}, kResource}; });
    THDownloadWebService service;
    configure(service, server);
    ASSERT_TRUE(runToEnd(service));
    EXPECT_EQ(server.requests().first().headers.value("range"), "bytes=0-");
    EXPECT_EQ(service.fileName(), QStringLiteral("song file.bin"));
    EXPECT_EQ(readAll(destination), kResource);
}

TEST_F(THDownloadWebServiceTest, WithoutAnAnnouncedLengthThereIsNoProgressButAnEnd) {
    LoopbackHttpServer server([](const Request&) {
        Reply reply{200, "OK", {}, kResource};
        reply.announceLength = false;
        return reply;
    });
    THDownloadWebService service;
    configure(service, server);
    service.setDownloadBlock([&](const auto&, const auto&, bool finished, double) {
        EXPECT_EQ(service.fileSize(), 0u);
        blockFinished = blockFinished || finished;
    });
    ASSERT_TRUE(runToEnd(service));
    EXPECT_TRUE(delegate.progress.isEmpty());
    EXPECT_TRUE(blockFinished);
    EXPECT_EQ(readAll(destination), kResource);
}

TEST_F(THDownloadWebServiceTest, AWholeBodyInsteadOfTheRangeRestartsTheFile) {
    writeAll(temporary, QByteArray(1000, 'x'));
    LoopbackHttpServer server([](const Request&) { return Reply{200, "OK", {}, kResource}; });
    THDownloadWebService service;
    configure(service, server);
    ASSERT_TRUE(runToEnd(service));
    EXPECT_EQ(announcedSize, 1500u);
    EXPECT_EQ(readAll(destination), kResource);
}

// The temporary file starts with the first 1000 bytes; what it keeps is left for a resume.
TEST_F(THDownloadWebServiceTest, FailuresKeepThePartialFileAndTheOldDestination) {
    const Reply gzipCut = gzipCutHalfWay();
    const QByteArray first1000 = kResource.left(1000);
    const struct {
        const char* name;
        Reply reply;
        THWebError expected;
        QByteArray kept;
    } cases[] = {
        {"range at the wrong offset",
         partial(0, 1499),
         {"Range Response Mismatch!", 104},
         first1000},
        {"not found",
         {404, "Not Found", {}, "no such file"},
         {"HTTP 404 Not Found", 404},
         first1000},
        {"server error",
         {503, "Service Unavailable", {}, "busy"},
         {"HTTP 503 Service Unavailable", 503},
         first1000},
        {"range past the end of a longer resource",
         {416, "Range Not Satisfiable", {{"Content-Range", "bytes */1200"}}, {}},
         {"HTTP 416 Range Not Satisfiable", 416},
         first1000},
        {"range without a length cut half-way", cutHalfWay(withoutLength(partial(1000, 1499))),
         kConnectionClosed, kResource.left(1250)},
        {"whole gzip body cut half-way", gzipCut, kConnectionClosed,
         gzipCut.body.left(gzipCut.closeAfter)},
        {"stalled range", stalled(partial(1000, 1499)), kTimedOut, kResource.left(1100)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        writeAll(destination, "previous version");
        writeAll(temporary, kResource.left(1000));
        LoopbackHttpServer server([&c](const Request&) { return c.reply; });
        THDownloadWebService service;
        configure(service, server);
        service.setOverwrite(true);
        if (c.reply.stallAfter >= 0)
            service.setTimeoutIntervalMs(kShortTimeoutMs);
        ASSERT_TRUE(runToEnd(service));
        EXPECT_EQ(delegate.failures, QList<THWebError>{c.expected});
        EXPECT_EQ(blockError, c.expected);
        EXPECT_FALSE(blockFinished);
        EXPECT_EQ(readAll(temporary), c.kept);
        EXPECT_EQ(readAll(destination), "previous version");
        EXPECT_EQ(server.requests().first().headers.value("accept-encoding"), "identity");
        delegate = RecordingDelegate{};
        blockError.reset();
        blockFinished = false;
    }
}

TEST_F(THDownloadWebServiceTest, ATemporaryFileHoldingTheWholeResourceCompletes) {
    writeAll(temporary, kResource);
    LoopbackHttpServer server([](const Request&) {
        return Reply{416, "Range Not Satisfiable", {{"Content-Range", "bytes */1500"}}, {}};
    });
    THDownloadWebService service;
    configure(service, server);
    ASSERT_TRUE(runToEnd(service));
    EXPECT_EQ(server.requests().first().headers.value("range"), "bytes=1500-");
    EXPECT_EQ(delegate.finishes, 1);
    EXPECT_TRUE(blockFinished);
    EXPECT_EQ(readAll(destination), kResource);
    EXPECT_FALSE(QFile::exists(temporary));
}

// The first start is cut after 600 bytes; by the second the resource may have changed
// into the expected one.
TEST_F(THDownloadWebServiceTest, AResumeOfAChangedResourceStartsAgain) {
    const QByteArray changed = patternBytes(1500, 'A');
    const QByteArray lastModified = "Wed, 09 Dec 2026 10:00:00 GMT";
    const struct {
        const char* name;
        QByteArray validatorHeader;
        QByteArray firstValidator;
        QByteArray laterValidator;
        QByteArray expected;
    } cases[] = {
        {"changed ETag", "ETag", "\"v1\"", "\"v2\"", changed},
        {"same ETag", "ETag", "\"v1\"", "\"v1\"", kResource},
        {"changed date", "Last-Modified", lastModified, "Thu, 10 Dec 2026 10:00:00 GMT", changed},
        {"same date", "Last-Modified", lastModified, lastModified, kResource},
        {"weak ETag: none known, resumed as before", "ETag", "W/\"v1\"", "W/\"v1\"", kResource},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        delegate = RecordingDelegate{};
        int requestCount = 0;
        LoopbackHttpServer server([&](const Request& request) {
            if (++requestCount == 1) {
                Reply first{200, "OK", {{c.validatorHeader, c.firstValidator}}, kResource};
                first.closeAfter = 600;
                return first;
            }
            const QByteArray ifRange = request.headers.value("if-range");
            if (ifRange.isEmpty() || ifRange == c.laterValidator) {
                Reply rest = partial(600, 1499);
                rest.body = c.expected.mid(600);
                return rest;
            }
            return Reply{200, "OK", {{c.validatorHeader, c.laterValidator}}, c.expected};
        });
        THDownloadWebService service;
        configure(service, server);
        ASSERT_TRUE(runToEnd(service));
        ASSERT_EQ(readAll(temporary), kResource.left(600));
        delegate = RecordingDelegate{};
        ASSERT_TRUE(runToEnd(service));
        EXPECT_EQ(delegate.finishes, 1);
        EXPECT_EQ(readAll(destination), c.expected);
        const bool strong = !c.firstValidator.startsWith("W/");
        EXPECT_EQ(server.requests().last().headers.value("if-range"),
                  strong ? c.firstValidator : QByteArray());
        EXPECT_EQ(QDir(folder).entryList(QDir::Files),
                  QStringList{QStringLiteral("song file.bin")});
    }
}

TEST_F(THDownloadWebServiceTest, AnExistingDestinationFailsBeforeAnyRequest) {
    writeAll(destination, "keep me");
    LoopbackHttpServer server([](const Request&) { return Reply{200, "OK", {}, kResource}; });
    THDownloadWebService service;
    configure(service, server);
    EXPECT_FALSE(service.startAsynchronous());
    const THWebError expected{QStringLiteral("File Exist!"), 102};
    EXPECT_EQ(delegate.failures, QList<THWebError>{expected});
    EXPECT_EQ(blockError, expected);
    QTest::qWait(50);
    EXPECT_TRUE(server.requests().isEmpty());
    EXPECT_EQ(readAll(destination), "keep me");
}

TEST_F(THDownloadWebServiceTest, UnsafeNamesFromTheUrlAreRefused) {
    const struct {
        const char* name;
        const char* url;
        const char* expected;
    } cases[] = {
        {"plain", "http://127.0.0.1/a/b.mp3", "b.mp3"},
        {"encoded blank", "http://127.0.0.1/a/my%20song.mp3", "my song.mp3"},
        {"encoded slash", "http://127.0.0.1/a/..%2F..%2Fetc%2Fpasswd", "passwd"},
        {"leading dash", "http://127.0.0.1/-rf", "-rf"},
        {"folder URL", "http://127.0.0.1/a/", ""},
        {"dot dot", "http://127.0.0.1/a/%2E%2E", ""},
        {"no path", "http://127.0.0.1", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(THDownloadWebService::safeFileNameFromUrl(QUrl(QString::fromUtf8(c.url))),
                  QString::fromUtf8(c.expected));
    }
    THDownloadWebService service;
    service.setUrl(QUrl(QStringLiteral("http://127.0.0.1/a/")));
    service.setFilePath(folder);
    THWebError error;
    EXPECT_FALSE(service.setUpRequest(&error));
    EXPECT_EQ(error, (THWebError{QStringLiteral("Create File Fail!"), 103}));
}

TEST_F(THDownloadWebServiceTest, ATransferThatReceivesNothingForAMinuteFails) {
    THDownloadWebService service;
    service.setUrl(QUrl(QStringLiteral("http://127.0.0.1:9/a.bin")));
    service.setFilePath(folder);
    const auto request = service.setUpRequest(nullptr);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->request.transferTimeout(), 60000);
}

TEST_F(THDownloadWebServiceTest, StopMidTransferKeepsWhatArrivedForTheNextStart) {
    int requestCount = 0;
    LoopbackHttpServer server([&](const Request& request) {
        ++requestCount;
        if (requestCount == 1)
            return Reply{200, "OK", {}, kResource, 600};
        EXPECT_EQ(request.headers.value("range"), "bytes=600-");
        return partial(600, 1499);
    });
    THDownloadWebService service;
    configure(service, server);
    ASSERT_TRUE(service.startAsynchronous());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(temporary).size() == 600; }, 10000));
    EXPECT_EQ(announcedSize, 1500u);
    service.stop();
    EXPECT_FALSE(service.isRunning());
    EXPECT_EQ(readAll(temporary), kResource.left(600));
    EXPECT_FALSE(QFile::exists(destination));
    EXPECT_FALSE(delegate.ended());

    ASSERT_TRUE(runToEnd(service));
    EXPECT_EQ(delegate.finishes, 1);
    EXPECT_EQ(readAll(destination), kResource);
}

TEST_F(THDownloadWebServiceTest, ProgressIsReportedFromTheTimer) {
    writeAll(temporary, kResource.left(750));
    LoopbackHttpServer server([](const Request&) {
        Reply reply = partial(750, 1499);
        reply.stallAfter = 300;
        return reply;
    });
    THDownloadWebService service;
    configure(service, server);
    ASSERT_TRUE(service.startAsynchronous());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(temporary).size() == 1050; }, 10000));
    EXPECT_EQ(service.fileSize(), 1500u);
    service.lisenProgressAndSpeed();
    ASSERT_FALSE(delegate.progress.isEmpty());
    EXPECT_DOUBLE_EQ(delegate.progress.last(), 0.7);
    // Each tick reports the bytes since the one before, whenever the timer fired.
    const double peakSpeedSum =
        std::accumulate(delegate.peakSpeeds.cbegin(), delegate.peakSpeeds.cend(), 0.0);
    EXPECT_DOUBLE_EQ(peakSpeedSum * THDownloadWebService::kProgressIntervalMs / 1000.0, 300.0);
    EXPECT_GT(service.averageSpeed(), 0.0);
    service.stop();
}
