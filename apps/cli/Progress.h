// Progress: one line on standard error, rewritten at each step and cleared at the end, shown only
// when standard error is a terminal (a script's log stays clean).
#pragma once

#include <QString>

namespace cli {

class Progress {
public:
    Progress();
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void show(const QString& step);

private:
    bool m_terminal;
};

} // namespace cli
