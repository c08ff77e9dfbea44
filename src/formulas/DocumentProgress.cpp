#include "formulas/DocumentProgress.h"

#include <QLabel>

namespace K7X_DoruVevuzu {

namespace {
constexpr int kShowAfterMs = 500;
}

DocumentProgress::DocumentProgress(QWidget* parent, int steps) : m_dialog(parent) {
    m_dialog.setObjectName(QStringLiteral("DocumentProgress"));
    m_dialog.setWindowTitle(QStringLiteral("Aggiornamento dei documenti"));
    m_dialog.setWindowModality(Qt::WindowModal);
    m_dialog.setCancelButton(nullptr);
    auto* label = new QLabel(&m_dialog); // a document's name is shown as written, never as markup
    label->setTextFormat(Qt::PlainText);
    m_dialog.setLabel(label);
    m_dialog.setAutoClose(false);
    m_dialog.setAutoReset(false);
    m_dialog.setMinimumDuration(kShowAfterMs);
    m_dialog.setRange(0, steps);
    m_dialog.setValue(0);
}

void DocumentProgress::opening(const QString& document) {
    step(QStringLiteral("Apertura di '%1'...").arg(document));
}

void DocumentProgress::rewriting(const QString& document) {
    step(QStringLiteral("Aggiornamento di '%1'...").arg(document));
}

void DocumentProgress::saving() {
    step(QStringLiteral("Salvataggio dei documenti..."));
}

// The label is laid out only while the window shows: most updates end before it appears.
void DocumentProgress::step(const QString& label) {
    m_dialog.setValue(++m_done);
    if (m_dialog.isVisible())
        m_dialog.setLabelText(label);
}

} // namespace K7X_DoruVevuzu
