#pragma once

#include <memory>

class QVMetadataEditWndCtlr;
class QVMusicInfo;

// The opener of the metadata editor, asked about Previous (0) and Next (1). A delegate
// that answers neither keeps both buttons disabled.
class QVMetadataEditWndCtlrDelegate {
public:
    virtual ~QVMetadataEditWndCtlrDelegate() = default;

    // Whether Previous (0) or Next (1) may be used.
    virtual bool isMetadataEditWndCltrCanPerformFunction(QVMetadataEditWndCtlr* editor,
                                                         int function) {
        (void)editor;
        (void)function;
        return false;
    }
    // The row to edit after Previous (0) or Next (1); null: the editor keeps its row.
    virtual std::shared_ptr<QVMusicInfo>
    metadataEditWndCltrAskMusicInfo(QVMetadataEditWndCtlr* editor, int function) {
        (void)editor;
        (void)function;
        return nullptr;
    }
};
