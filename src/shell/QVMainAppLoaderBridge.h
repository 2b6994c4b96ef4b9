#pragma once

#include "engine/LSMediaLoader.h"
#include "shell/QVFileListModel.h"

#include <QtGlobal>

#include <memory>

class QVMainAppController;

// Runs the media loader for the main window controller and hands each report to the main
// thread, tagged with the load it belongs to. Destroying it cancels every load and waits
// for the loader's threads.
class QVMainAppLoaderBridge {
public:
    explicit QVMainAppLoaderBridge(QVMainAppController& controller);
    ~QVMainAppLoaderBridge();
    QVMainAppLoaderBridge(const QVMainAppLoaderBridge&) = delete;
    QVMainAppLoaderBridge& operator=(const QVMainAppLoaderBridge&) = delete;

    // Starts a load whose rows the preparation makes on the loader's thread; returns the
    // load's id at once. Its completion always arrives later, on the main thread, also when
    // there is nothing to load.
    quint64 load(LSMediaLoader::Preparation prepare);
    // Stops every load started so far.
    void cancel();

private:
    class Receiver;
    std::unique_ptr<Receiver> _receiver;
};
