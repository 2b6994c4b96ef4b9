#pragma once

#include <QString>

#include <functional>
#include <optional>

class QWidget;

// What the output-folder panel offers and what the user chose in it.
struct QVOutputFolderChoice {
    QString folder;
    // Output goes into a folder named after the format.
    bool organized = true;
    // The output folder is opened when the run ends.
    bool openWhenDone = false;
};

// The panel that asks where a run writes: a folder chooser (folders may be created) with
// the message "Please choose output folder:" and two check boxes below it.
class QVOutputFolderPanel {
public:
    // Answers the choice, or nothing when the user cancelled or chose no folder.
    using Chooser = std::function<std::optional<QVOutputFolderChoice>(
        QWidget* parent, const QVOutputFolderChoice& offered)>;

    static constexpr char kMessage[] = "Please choose output folder:";
    static constexpr char kOrganizedLabel[] = "Put the files into a folder named after the format";
    static constexpr char kOpenLabel[] = "Open the output folder when done";

    // The modal panel on the screen.
    static std::optional<QVOutputFolderChoice> run(QWidget* parent,
                                                   const QVOutputFolderChoice& offered);
};
