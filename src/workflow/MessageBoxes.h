// The component's modal message boxes, in the two styles it uses, and the line join of their texts.
//
// Every box is a QMessageBox made on the heap, parented to the component and run with exec(),
// so the call returns only when the user answered, or when the host deleted the component
// (and the box with it) meanwhile: the caller checks that (ctlIndici::waitFor). Nothing here
// fails. GUI thread only.
#pragma once

#include <QString>

#include <initializer_list>

class QWidget;

namespace K7X_DoruVevuzu::messages {

// The lines joined by a carriage return and a line feed, nothing after the last one.
QString lines(std::initializer_list<QString> texts);

// The Yes/No box with the question icon and No as the default button. Only the answer No
// stops: every other answer counts as going on.
bool askToGoOn(QWidget* parent, const QString& title, const QString& text);

// The critical box with one OK button.
void showCritical(QWidget* parent, const QString& title, const QString& text);

} // namespace K7X_DoruVevuzu::messages
