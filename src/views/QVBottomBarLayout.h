#pragma once

#include <QLayout>

#include <memory>
#include <vector>

// Lays out the main window's bottom bar: the leading controls at the left edge, the
// trailing ones at the right edge and the status (the summary line or the total progress)
// right-aligned between them. When the status does not fit between them it takes a line of
// its own under them, so that no control is ever squeezed below its size: the bar is then
// as tall as its two lines. Every control keeps the size it asks for.
class QVBottomBarLayout : public QLayout {
public:
    enum class Role { Leading, Status, Trailing };

    explicit QVBottomBarLayout(QWidget* parent = nullptr);
    ~QVBottomBarLayout() override;

    void addWidget(QWidget* widget, Role role);
    // Whether the status had a line of its own when the bar was last laid out.
    bool statusOnOwnLine() const { return _statusOnOwnLine; }

    void addItem(QLayoutItem* item) override; // a leading control
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    void setGeometry(const QRect& rect) override;
    Qt::Orientations expandingDirections() const override { return Qt::Horizontal; }

private:
    struct Entry {
        std::unique_ptr<QLayoutItem> item;
        Role role;
    };
    // The visible controls of one role side by side: their width and the tallest height.
    struct Run {
        int width = 0;
        int height = 0;
        bool isEmpty() const { return width == 0; }
    };

    int gap() const;
    Run measure(Role role) const;
    // Width of runs side by side, a gap between each two that are not empty.
    int widthSideBySide(std::initializer_list<Run> runs) const;
    bool fitsOnOneLine(int contentWidth) const;
    int contentHeightFor(int contentWidth) const;
    // Places the role's controls from x (left to right), centred in the line.
    void place(Role role, int x, int lineTop, int lineHeight);

    std::vector<Entry> _entries;
    bool _statusOnOwnLine = false;
};
