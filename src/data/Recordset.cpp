#include "data/Recordset.h"

#include "control/Errors.h"

namespace K7X_DoruVevuzu::data {

struct Recordset::Impl {
    int state = adStateClosed;
};

Recordset::Recordset() : d(std::make_unique<Impl>()) {}
Recordset::~Recordset() = default;
int Recordset::State() const { return d->state; }
void Recordset::Close() { d->state = adStateClosed; }

} // namespace K7X_DoruVevuzu::data
