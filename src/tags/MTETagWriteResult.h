#pragma once

// What writing tags into a file came to.
enum class MTETagWriteResult {
    Written,      // every value, the cover included
    CoverLeftOut, // every value but the cover, which could not be written; the reason is logged
    Failed,       // the file could not be opened for writing as its kind, or saving it failed
};

// The result of a write whose save and cover went as given.
inline MTETagWriteResult tagWriteResultOf(bool saved, bool coverWritten) {
    if (!saved)
        return MTETagWriteResult::Failed;
    return coverWritten ? MTETagWriteResult::Written : MTETagWriteResult::CoverLeftOut;
}
