#pragma once

#include "views/QVTipsView.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QColor>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <QPlainTextEdit>
#include <QString>
#include <QStringList>
#include <QTabBar>
#include <QWidget>

#include <atomic>

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count() const { return _count; }
    void reset() { _count = 0; }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++_count;
        return false;
    }

private:
    int _count = 0;
};

// The picture as a JPEG file holds it.
inline QByteArray jpegBytesOf(const QImage& image) {
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return jpeg;
}

// The widget as drawn now, one image pixel per widget point.
inline QImage renderOf(QWidget& widget) {
    widget.ensurePolished();
    return widget.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

inline bool sameRgb(const QColor& a, const QColor& b, int tolerance = 2) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// Pixels of image within area whose colour is close to color.
inline int countPixels(const QImage& image, const QRect& area, const QColor& color,
                       int tolerance = 40) {
    int found = 0;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (sameRgb(image.pixelColor(x, y), color, tolerance))
                ++found;
    return found;
}

// What keeps a user from reading or reaching these controls, one line per fault: a text
// wider or taller than its control, a button or pop-up smaller than it asks to be, a
// control outside top or overlapping another. Only controls visible in top count.
inline QStringList layoutFaults(QWidget* top, const QList<QWidget*>& controls) {
    QStringList faults;
    const auto nameOf = [](const QWidget* w) {
        const auto* label = qobject_cast<const QLabel*>(w);
        return QStringLiteral("%1 \"%2\"")
            .arg(QLatin1String(w->metaObject()->className()),
                 w->objectName().isEmpty() && label ? label->text() : w->objectName());
    };
    QList<QWidget*> shown;
    for (QWidget* control : controls) {
        if (control && control->isVisibleTo(top))
            shown << control;
    }
    const auto rectIn = [top](const QWidget* w) {
        return QRect(w->mapTo(top, QPoint(0, 0)), w->size());
    };
    for (QWidget* control : shown) {
        const QString name = nameOf(control);
        if (!top->rect().contains(rectIn(control)))
            faults << name + QStringLiteral(" lies outside the window");
        if (const auto* label = qobject_cast<QLabel*>(control); label && !label->wordWrap()) {
            const QFontMetrics metrics(label->font());
            if (metrics.horizontalAdvance(label->text()) > label->contentsRect().width() ||
                metrics.height() > label->contentsRect().height())
                faults << name + QStringLiteral(" cuts its text \"%1\"").arg(label->text());
        } else if (const auto* band = qobject_cast<QVTipsView*>(control)) {
            const QRect area = band->contentsRect();
            const QRect text =
                QFontMetrics(band->tipsFont())
                    .boundingRect(area, Qt::AlignCenter | Qt::TextWordWrap, band->tipsStr());
            if (!area.contains(text))
                faults << name + QStringLiteral(" cuts its text");
        } else if (qobject_cast<QAbstractButton*>(control) || qobject_cast<QComboBox*>(control)) {
            const QSize hint = control->sizeHint();
            if (hint.width() > control->width() || hint.height() > control->height())
                faults << name + QStringLiteral(" is smaller than its text needs");
        }
    }
    for (qsizetype i = 0; i < shown.size(); ++i) {
        for (qsizetype j = i + 1; j < shown.size(); ++j) {
            const QWidget* a = shown.at(i);
            const QWidget* b = shown.at(j);
            if (a->isAncestorOf(b) || b->isAncestorOf(a))
                continue;
            if (rectIn(a).intersects(rectIn(b)))
                faults << nameOf(a) + QStringLiteral(" overlaps ") + nameOf(b);
        }
    }
    return faults;
}

// The controls a user reads or works among top's descendants: labels, fields, text views,
// buttons, pop-ups, tab bars and bands.
inline QList<QWidget*> controlsOf(QWidget* top) {
    QList<QWidget*> controls;
    for (QWidget* widget : top->findChildren<QWidget*>()) {
        if (qobject_cast<QLabel*>(widget) || qobject_cast<QLineEdit*>(widget) ||
            qobject_cast<QPlainTextEdit*>(widget) || qobject_cast<QAbstractButton*>(widget) ||
            qobject_cast<QComboBox*>(widget) || qobject_cast<QTabBar*>(widget) ||
            qobject_cast<QVTipsView*>(widget))
            controls << widget;
    }
    return controls;
}
