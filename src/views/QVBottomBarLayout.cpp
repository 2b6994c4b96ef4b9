#include "views/QVBottomBarLayout.h"

#include <QWidget>

#include <algorithm>

namespace {
constexpr int kDefaultGap = 8;
} // namespace

QVBottomBarLayout::QVBottomBarLayout(QWidget* parent) : QLayout(parent) {}

QVBottomBarLayout::~QVBottomBarLayout() = default;

void QVBottomBarLayout::addWidget(QWidget* widget, Role role) {
    addChildWidget(widget);
    _entries.push_back({std::make_unique<QWidgetItem>(widget), role});
    invalidate();
}

void QVBottomBarLayout::addItem(QLayoutItem* item) {
    _entries.push_back({std::unique_ptr<QLayoutItem>(item), Role::Leading});
    invalidate();
}

int QVBottomBarLayout::count() const {
    return int(_entries.size());
}

QLayoutItem* QVBottomBarLayout::itemAt(int index) const {
    return index >= 0 && index < count() ? _entries[size_t(index)].item.get() : nullptr;
}

QLayoutItem* QVBottomBarLayout::takeAt(int index) {
    if (index < 0 || index >= count())
        return nullptr;
    QLayoutItem* item = _entries[size_t(index)].item.release();
    _entries.erase(_entries.begin() + index);
    invalidate();
    return item;
}

int QVBottomBarLayout::gap() const {
    const int own = spacing();
    return own >= 0 ? own : kDefaultGap;
}

QVBottomBarLayout::Run QVBottomBarLayout::measure(Role role) const {
    Run run;
    int shown = 0;
    for (const Entry& entry : _entries) {
        if (entry.role != role || entry.item->isEmpty())
            continue;
        const QSize hint = entry.item->sizeHint().expandedTo(entry.item->minimumSize());
        run.width += hint.width() + (shown++ > 0 ? gap() : 0);
        run.height = std::max(run.height, hint.height());
    }
    return run;
}

int QVBottomBarLayout::widthSideBySide(std::initializer_list<Run> runs) const {
    int width = 0;
    int shown = 0;
    for (const Run& run : runs) {
        if (run.isEmpty())
            continue;
        width += run.width + (shown++ > 0 ? gap() : 0);
    }
    return width;
}

bool QVBottomBarLayout::fitsOnOneLine(int contentWidth) const {
    return widthSideBySide({measure(Role::Leading), measure(Role::Status),
                            measure(Role::Trailing)}) <= contentWidth;
}

int QVBottomBarLayout::contentHeightFor(int contentWidth) const {
    const Run leading = measure(Role::Leading);
    const Run status = measure(Role::Status);
    const Run trailing = measure(Role::Trailing);
    const int controls = std::max(leading.height, trailing.height);
    if (fitsOnOneLine(contentWidth))
        return std::max(controls, status.height);
    return controls + (controls > 0 ? gap() : 0) + status.height;
}

QSize QVBottomBarLayout::sizeHint() const {
    const QMargins margins = contentsMargins();
    const int width =
        widthSideBySide({measure(Role::Leading), measure(Role::Status), measure(Role::Trailing)});
    return QSize(width + margins.left() + margins.right(),
                 contentHeightFor(width) + margins.top() + margins.bottom());
}

QSize QVBottomBarLayout::minimumSize() const {
    const QMargins margins = contentsMargins();
    // Narrowest: the status on its own line.
    const int width = std::max(widthSideBySide({measure(Role::Leading), measure(Role::Trailing)}),
                               measure(Role::Status).width);
    return QSize(width + margins.left() + margins.right(),
                 contentHeightFor(width) + margins.top() + margins.bottom());
}

int QVBottomBarLayout::heightForWidth(int width) const {
    const QMargins margins = contentsMargins();
    const int content = width - margins.left() - margins.right();
    return contentHeightFor(content) + margins.top() + margins.bottom();
}

void QVBottomBarLayout::place(Role role, int x, int lineTop, int lineHeight) {
    for (Entry& entry : _entries) {
        if (entry.role != role || entry.item->isEmpty())
            continue;
        const QSize hint = entry.item->sizeHint().expandedTo(entry.item->minimumSize());
        const int height = std::min(hint.height(), lineHeight);
        entry.item->setGeometry(
            QRect(x, lineTop + (lineHeight - height) / 2, hint.width(), height));
        x += hint.width() + gap();
    }
}

void QVBottomBarLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    const QRect area = rect.marginsRemoved(contentsMargins());
    const Run leading = measure(Role::Leading);
    const Run status = measure(Role::Status);
    const Run trailing = measure(Role::Trailing);
    _statusOnOwnLine = !fitsOnOneLine(area.width());

    const int controlsHeight =
        _statusOnOwnLine ? std::max(leading.height, trailing.height) : area.height();
    place(Role::Leading, area.left(), area.top(), controlsHeight);
    const int trailingLeft = area.right() + 1 - trailing.width;
    place(Role::Trailing, trailingLeft, area.top(), controlsHeight);
    if (!_statusOnOwnLine) {
        const int statusRight = trailing.isEmpty() ? area.right() + 1 : trailingLeft - gap();
        place(Role::Status, statusRight - status.width, area.top(), controlsHeight);
        return;
    }
    const int statusTop = area.top() + controlsHeight + (controlsHeight > 0 ? gap() : 0);
    place(Role::Status, std::max(area.left(), area.right() + 1 - status.width), statusTop,
          status.height);
}
