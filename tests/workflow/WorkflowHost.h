// Transitional: the workflow tests' host is the shared TestHost (support/Host.h).
#pragma once

#include "support/Host.h"

struct WorkflowHost : TestHost {
    explicit WorkflowHost(const QString& engine, bool withService = true)
        : TestHost(engine, withService ? QStringLiteral("LIQIMM") : QString(), withService) {}
    QWidget* keyboardOf(const QString& name) const { return keyboard(name); }
};
