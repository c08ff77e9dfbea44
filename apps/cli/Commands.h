// Commands: what the command line runs, each a call of a library service through the host's
// service; its outcome is a table to print (none for a command that only changes things) and the
// exit status. Failures are the services' RuntimeError.
#pragma once

#include "Table.h"

#include <QStringList>

namespace K7XBO_Global {
class CGlobal;
}

namespace cli {

// What a command leaves: its table and the exit status.
struct Outcome {
    Table table;
    int status = 0; // 1 when the check found a problem
};

// A command: its name, its arguments and what runs it.
struct Command {
    const char* name;
    const char* arguments; // as the usage names them
    qsizetype count;       // how many arguments it takes
    Outcome (*run)(K7XBO_Global::CGlobal& service, const QStringList& arguments, bool preview);
};

// Every command, in the order the usage lists them.
const QList<Command>& commands();
// The command called `name`, or nullptr.
const Command* findCommand(const QString& name);

} // namespace cli
