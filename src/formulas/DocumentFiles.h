// Where the model's report documents are: the names KX20_RELAZIONI lists for a model, and the
// file each name leads to in the documents folder (the host's application path + "/" +
// CDocFields::DocFolder).
//
// A listed name may lead into subfolders of the documents folder, with "/" or "\\" (a list kept
// by a host on another system) between the folders; the documents folder is opened once and each
// name walked down from it, never through a link (documents/Place.h). A name that leads out of it
// (absolute, "..", through a link) is refused, so is one that is no regular file (a pipe, a
// device, a folder), without blocking on it, and so is a documents folder with no application
// path or no folder name, which would be the file system's root. Two names of one file (a hard
// link, another case on a share that ignores case) find it once. Failures are RuntimeError.
#pragma once

#include "documents/Place.h"

#include <K7XBO_Global/CGlobal.h>

#include <QPointer>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <set>
#include <utility>

namespace K7X_DoruVevuzu::formulas {

// The documents folder, from the host's values of the moment. Raises when either is not set.
QString documentsFolder(K7XBO_Global::CGlobal& global);

// The names of the model's report documents, each once, in name order (read on the host's
// connection).
QStringList listedDocuments(K7XBO_Global::CGlobal& global, const QString& model);

// Finds the files of listed documents, each file once: two names may lead to one file.
// The host may delete its service while the progress window paints: the next fileOf() then
// raises ObjectNotSet instead of reading it.
class DocumentFiles {
public:
    explicit DocumentFiles(K7XBO_Global::CGlobal& global) : m_global(&global) {}
    // The file `name` leads to, or none when there is none or it was found before.
    std::optional<documents::Place> fileOf(const QString& name);

private:
    QPointer<K7XBO_Global::CGlobal> m_global;
    QString m_folder; // the documents folder, as the host named it when it was opened
    std::shared_ptr<const documents::OpenFolder> m_open;
    std::set<std::pair<dev_t, ino_t>> m_found;
};

} // namespace K7X_DoruVevuzu::formulas
