#include "workflow/MessageBoxes.h"

#include <QMessageBox>
#include <QStringList>

namespace K7X_DoruVevuzu::messages {

QString lines(std::initializer_list<QString> texts) {
    return QStringList(texts).join(QStringLiteral("\r\n"));
}

bool askToGoOn(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() != QMessageBox::No;
}

void showCritical(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace K7X_DoruVevuzu::messages
