#include "formulas/DocumentProgress.h"

#include <QCoreApplication>
#include <QLabel>

namespace K7X_DoruVevuzu {

namespace {

constexpr int kShowAfterMs = 500;
constexpr int kFrameMs = 40;

// Holds back every timer event but the window's own while it paints.
class TimerHold : public QObject {
public:
    explicit TimerHold(QWidget* window) : m_window(window) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~TimerHold() override { QCoreApplication::instance()->removeEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Timer)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        return !(widget && m_window && (widget == m_window || m_window->isAncestorOf(widget)));
    }

private:
    QPointer<QWidget> m_window;
};

} // namespace

DocumentProgress::DocumentProgress(QWidget* parent, int steps, Nested nested)
    : m_dialog(new QProgressDialog(parent)), m_nested(std::move(nested)) {
    m_dialog->setObjectName(QStringLiteral("DocumentProgress"));
    m_dialog->setWindowTitle(QStringLiteral("Aggiornamento dei documenti"));
    m_dialog->setCancelButton(nullptr);
    auto* label = new QLabel(m_dialog); // a document's name is shown as written, never as markup
    label->setTextFormat(Qt::PlainText);
    m_dialog->setLabel(label);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setMinimumDuration(kShowAfterMs);
    m_dialog->setRange(0, steps);
    m_dialog->setValue(0);
}

DocumentProgress::~DocumentProgress() {
    delete m_dialog;
}

void DocumentProgress::opening(const QString& document) {
    step(QStringLiteral("Apertura di '%1'...").arg(document), 1, false);
}

void DocumentProgress::saving() {
    step(QStringLiteral("Salvataggio dei documenti..."), 1, true);
}

void DocumentProgress::waiting(const QString& document, const QString& user, const QString& host) {
    step(QStringLiteral("In attesa di '%1' (aggiornato da %2 su %3)...").arg(document, user, host),
         0, true);
}

// The label is laid out only while the window shows: most updates end before it appears.
// QProgressDialog shows itself from setValue once the update is found to take long. It is not
// modal (a modal one would run every pending event in setValue): the update holds the user's
// input back anyway, since it runs to its end before anything else.
void DocumentProgress::step(const QString& label, int advance, bool always) {
    m_dialog->setValue(m_done += advance);
    if (!m_dialog->isVisible() || (!always && m_shown.isValid() && m_shown.elapsed() < kFrameMs))
        return;
    m_shown.start();
    m_dialog->setLabelText(label);
    m_nested([this] {
        const TimerHold hold(m_dialog);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::ExcludeSocketNotifiers);
    });
}

} // namespace K7X_DoruVevuzu
