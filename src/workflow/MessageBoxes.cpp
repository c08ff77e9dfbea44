#include "workflow/MessageBoxes.h"

#include <QMessageBox>
#include <QPointer>
#include <QStringList>

namespace K7X_DoruVevuzu::messages {

namespace {

// Runs the box and deletes it, unless its parent took it along while it was open.
int run(QMessageBox* made) {
    const QPointer<QMessageBox> box(made);
    const int answer = box->exec();
    delete box;
    return answer;
}

} // namespace

QString lines(std::initializer_list<QString> texts) {
    return QStringList(texts).join(QStringLiteral("\r\n"));
}

bool askToGoOn(QWidget* parent, const QString& title, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Question, title, text,
                                QMessageBox::Yes | QMessageBox::No, parent);
    box->setDefaultButton(QMessageBox::No);
    return run(box) != QMessageBox::No;
}

void showCritical(QWidget* parent, const QString& title, const QString& text) {
    run(new QMessageBox(QMessageBox::Critical, title, text, QMessageBox::Ok, parent));
}

} // namespace K7X_DoruVevuzu::messages
