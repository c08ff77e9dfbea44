#include "Progress.h"

#include <cstdio>
#include <unistd.h>

namespace cli {

Progress::Progress() : m_terminal(isatty(STDERR_FILENO) == 1) {}

Progress::~Progress() {
    if (m_terminal)
        std::fputs("\r\033[K", stderr);
}

void Progress::show(const QString& step) {
    if (m_terminal)
        std::fprintf(stderr, "\r\033[K%s", step.toUtf8().constData());
}

} // namespace cli
