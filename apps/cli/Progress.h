// Progress: one line on standard error, rewritten at each step and cleared at the end, shown only
// when standard error is a terminal (a script's log stays clean).
#pragma once

#include <QString>

namespace cli {

// The progress line of one command; cleared when it goes.
class Progress {
public:
    Progress();
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // Shows `step` in place of the step before.
    void show(const QString& step);

private:
    bool m_terminal;
};

} // namespace cli
