#include "tags/MTEAudioCreator.h"

MTEAudioCreator& MTEAudioCreator::sharedMTEAudioCreator() {
    static MTEAudioCreator instance;
    return instance;
}

std::shared_ptr<MTEAudioFile> MTEAudioCreator::creatFileWithPathShouldDump(const QString&,
                                                                           bool) const {
    return nullptr; // the handlers by format arrive with the tag layer
}
