#pragma once

#include "VTPageControlCell.h"

#include <QColor>
#include <QPointer>
#include <QWidget>

class VTPageControlDelegate;

// A row of page dots, one per page, centred in the control; clicking a dot makes it the
// current page and tells the delegate. The row is rebuilt whenever something shown
// changes.
class VTPageControl : public QWidget {
    Q_OBJECT
public:
    explicit VTPageControl(QWidget* parent = nullptr);

    qint64 currentPage() const { return _currentPage; }
    void setCurrentPage(qint64 page);
    qint64 numberOfPages() const { return _numberOfPages; }
    void setNumberOfPages(qint64 count);
    bool hidesForSinglePage() const { return _hidesForSinglePage; }
    void setHidesForSinglePage(bool hides) { _hidesForSinglePage = hides; }
    // Dark grey, light grey and grey unless set.
    QColor selectedColor() const;
    void setSelectedColor(const QColor& color);
    QColor unselectedColor() const;
    void setUnselectedColor(const QColor& color);
    QColor highlightColor() const;
    void setHighlightColor(const QColor& color);
    // Both take effect at the next rebuild.
    double indicatorDiameterSize() const { return _indicatorDiameterSize; }
    void setIndicatorDiameterSize(double diameter) { _indicatorDiameterSize = diameter; }
    double indicatorMargin() const { return _indicatorMargin; }
    void setIndicatorMargin(double margin) { _indicatorMargin = margin; }
    bool useHandCursor() const { return _useHandCursor; }
    void setUseHandCursor(bool useHandCursor);
    VTPageControlDrawingBlock drawingBlock() const { return _drawingBlock; }
    void setDrawingBlock(VTPageControlDrawingBlock block);
    VTPageControlDelegate* delegate() const { return _delegate; }
    void setDelegate(VTPageControlDelegate* delegate) { _delegate = delegate; }

    // Rebuilds the row of dots.
    void updateCurrentPageDisplay();
    // count dots with margins between them, one dot high; empty for no pages.
    QSizeF sizeForNumberOfPages(qint64 count) const;
    QSizeF intrinsicContentSize() const;
    QSizeF fittingSize() const;
    QSize sizeHint() const override;

    // The widget holding the dots (null while nothing is shown) and its dots in order.
    QWidget* matrix() const { return _matrix; }
    QList<VTPageControlCell*> cells() const;

    // What a click on the dot at index does.
    void clickedItem(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    VTPageControlDrawingBlock cellDrawing() const;

    qint64 _currentPage = 0;
    qint64 _numberOfPages = 0;
    bool _hidesForSinglePage = false;
    mutable QColor _selectedColor;
    mutable QColor _unselectedColor;
    mutable QColor _highlightColor;
    double _indicatorDiameterSize = 10.0;
    double _indicatorMargin = 5.0;
    bool _useHandCursor = false;
    VTPageControlDrawingBlock _drawingBlock;
    VTPageControlDelegate* _delegate = nullptr;
    QPointer<QWidget> _matrix;
};
