#pragma once

#include "tags/MTEAudioFile.h"

#include <QString>

#include <memory>

// Makes the tag handler that fits a file. It keeps no state between calls, so the loader
// thread and several conversion threads may call it at once.
class MTEAudioCreator {
public:
    static MTEAudioCreator& sharedMTEAudioCreator();

    // A handler for the file, its tags read when shouldDump is set; null when there is no
    // readable regular file at the path.
    std::shared_ptr<MTEAudioFile> creatFileWithPathShouldDump(const QString& path,
                                                              bool shouldDump) const;

    // The tag family of a path by its extension (case-insensitive).
    static int fileTypeOfPath(const QString& path);
    // An empty handler of the class that serves the family.
    static std::shared_ptr<MTEAudioFile> makeHandlerOfType(int fileType);
};
