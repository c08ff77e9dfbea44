#include "widgets/Twips.h"

#include <QEvent>
#include <QPointer>
#include <QVariant>
#include <QWidget>

namespace K7X_DoruVevuzu::widgets::twips {

namespace {

int toPixels(double twips) {
    return qRound(twips / kPerPixel);
}

// Keeps one control's pixel geometry and its twips in step (see the header).
class Keeper : public QObject {
    Q_OBJECT
public:
    Keeper(QWidget* control, QWidget* container)
        : QObject(control), m_control(control), m_container(container) {
        control->installEventFilter(this);
        if (container != control->parentWidget())
            control->parentWidget()->installEventFilter(this);
    }

    void apply() const { m_control->setGeometry(expectedPixels()); }

    // A control resized by other means (a label sized to its text) keeps its new size.
    void adoptSize() const {
        const QSize actual = m_control->size();
        if (actual == expectedPixels().size())
            return;
        QRectF t = rect(m_control);
        t.setSize(QSizeF(fromPixels(actual.width()), fromPixels(actual.height())));
        m_control->setProperty(kProperty, t);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_control && event->type() == QEvent::Resize)
            adoptSize();
        else if (watched != m_control && event->type() == QEvent::Move)
            apply(); // the tab page moved: the frame keeps its place in the tab control
        return false;
    }

private:
    QPoint pageOffset() const {
        QWidget* parent = m_control->parentWidget();
        return parent == m_container || !m_container ? QPoint()
                                                     : parent->mapTo(m_container, QPoint());
    }

    QRect expectedPixels() const {
        const QRectF t = rect(m_control);
        return QRect(toPixels(t.left()), toPixels(t.top()), toPixels(t.width()),
                     toPixels(t.height()))
            .translated(-pageOffset());
    }

    QWidget* m_control;
    QPointer<QWidget> m_container;
};

Keeper* keeperOf(const QWidget* w) {
    return w->findChild<Keeper*>(QString(), Qt::FindDirectChildrenOnly);
}

} // namespace

double fromPixels(int pixels) {
    return pixels * kPerPixel;
}

void track(QWidget* w, const QRectF& rect, QWidget* container) {
    if (!container)
        container = w->parentWidget();
    if (!keeperOf(w))
        new Keeper(w, container);
    setRect(w, rect);
}

QRectF rect(const QWidget* w) {
    return w->property(kProperty).toRectF();
}

void adoptSize(QWidget* w) {
    if (const Keeper* keeper = keeperOf(w))
        keeper->adoptSize();
}

void setRect(QWidget* w, const QRectF& rect) {
    if (rect.width() < 0 || rect.height() < 0)
        return;
    w->setProperty(kProperty, rect);
    if (const Keeper* keeper = keeperOf(w))
        keeper->apply();
}

void setLeft(QWidget* w, double left) {
    QRectF r = rect(w);
    r.moveLeft(left);
    setRect(w, r);
}

void setTop(QWidget* w, double top) {
    QRectF r = rect(w);
    r.moveTop(top);
    setRect(w, r);
}

void setWidth(QWidget* w, double width) {
    QRectF r = rect(w);
    r.setWidth(width);
    setRect(w, r);
}

void setHeight(QWidget* w, double height) {
    QRectF r = rect(w);
    r.setHeight(height);
    setRect(w, r);
}

} // namespace K7X_DoruVevuzu::widgets::twips

#include "Twips.moc"
