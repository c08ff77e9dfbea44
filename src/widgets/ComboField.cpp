#include "widgets/ComboField.h"

namespace K7X_DoruVevuzu::widgets {

ComboField::ComboField(QWidget* parent) : QComboBox(parent) { setEditable(false); }
ComboField::~ComboField() = default;

} // namespace K7X_DoruVevuzu::widgets
