// Where the model's report documents are: the names KX20_RELAZIONI lists for a model, and the
// file each name leads to in the documents folder (the host's application path + "/" +
// CDocFields::DocFolder).
//
// A listed name may lead into subfolders of the documents folder, with "/" or "\\" (a list kept
// by a host on another system) between the folders; a name that leads out of it (absolute, "..",
// a link to a file outside) is refused, and so is a documents folder with no application path or
// no folder name, which would be the file system's root. Failures are RuntimeError.
#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

namespace K7XBO_Global {
class CGlobal;
}

namespace K7X_DoruVevuzu::formulas {

// The documents folder, from the host's values of the moment. Raises when either is not set.
QString documentsFolder(K7XBO_Global::CGlobal& global);

// The names of the model's report documents, each once, in name order (read on the host's
// connection).
QStringList listedDocuments(K7XBO_Global::CGlobal& global, const QString& model);

// Finds the files of listed documents, each file once: two names may lead to one file.
class DocumentFiles {
public:
    explicit DocumentFiles(K7XBO_Global::CGlobal& global) : m_global(global) {}
    // The file `name` leads to, or "" when there is none or it was found before.
    QString fileOf(const QString& name);

private:
    K7XBO_Global::CGlobal& m_global;
    QSet<QString> m_found;
};

} // namespace K7X_DoruVevuzu::formulas
