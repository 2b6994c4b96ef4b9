#pragma once

#include "tags/MTEAudioFile.h"

#include <QString>

#include <memory>

// Makes the tag handler that fits a file. Safe to call from several threads at once.
class MTEAudioCreator {
public:
    static MTEAudioCreator& sharedMTEAudioCreator();

    // A handler for the file, its tags read when shouldDump is set; null when there is no
    // regular file at the path.
    std::shared_ptr<MTEAudioFile> creatFileWithPathShouldDump(const QString& path,
                                                              bool shouldDump) const;
};
