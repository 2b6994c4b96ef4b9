#pragma once

#include "shell/THWebService.h"

#include <QVariantMap>

// Sends a dictionary as a multipart form with POST. Values: text, numbers, byte arrays and
// local file URLs (sent as the file's contents); any other value gives an empty part.
class THPostWebService : public THWebService {
    Q_OBJECT
public:
    static constexpr char kBoundary[] = "_insert_some_boundary_here_";

    using THWebService::THWebService;

    QVariantMap postDic() const { return _postDic; }
    void setPostDic(const QVariantMap& postDic) { _postDic = postDic; }

    // Fails with code 101 when a file in the form cannot be read.
    std::optional<THWebRequest> setUpRequest(THWebError* error) override;
    // allFilesRead (when given) turns false when a file's contents could not be read; that
    // part then carries its headers and no bytes.
    static QByteArray generateFormData(const QVariantMap& postDic, bool* allFilesRead = nullptr);

private:
    QVariantMap _postDic;
};
