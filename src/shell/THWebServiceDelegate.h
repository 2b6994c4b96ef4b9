#pragma once

#include "shell/THWebError.h"

#include <QByteArray>

class THWebService;

// Told about a web service's transfer; every method is optional.
class THWebServiceDelegate {
public:
    virtual ~THWebServiceDelegate() = default;

    virtual void webServiceBegin(THWebService*) {}
    virtual void webServiceFinishDidReceiveData(THWebService*, const QByteArray&) {}
    virtual void webServiceFailDidFailWithError(THWebService*, const THWebError&) {}
    // Downloads: the share received, 0.0 to 1.0, every 2 seconds.
    virtual void downloadProgressChangeProgress(THWebService*, double) {}
};
