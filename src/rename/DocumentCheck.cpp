#include "rename/DocumentCheck.h"

#include "data/Runner.h"
#include "documents/OwnerFiles.h"
#include "formulas/DocumentFiles.h"
#include "formulas/DocumentUpdate.h"
#include "record/Statements.h"

#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>
#include <future>

namespace K7X_DoruVevuzu::rename {

namespace {

using Kind = ModelFinding::Kind;

// A listed name as a path below the documents folder.
QString pathBelow(const QString& folder, QString name) {
    return folder + u'/' + name.replace(u'\\', u'/');
}

// The .docx and .odt files below `folder` that no model lists, links and owner files left out.
QList<ModelFinding> unlisted(K7XBO_Global::CGlobal& service, const QString& folder) {
    const record::Statement all = record::selectAllDocuments();
    const data::Rows rows = data::run(record::hostConnection(service), all.sql, all.values);
    QSet<QString> listed;
    for (int row = 0; row < rows.count; ++row)
        listed.insert(QFileInfo(pathBelow(folder, rows.at(row, 0).toString())).canonicalFilePath());
    QList<ModelFinding> found;
    QDirIterator files(folder, {QStringLiteral("*.docx"), QStringLiteral("*.odt")},
                       QDir::Files | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QFileInfo file(files.next());
        if (listed.contains(file.canonicalFilePath()) ||
            documents::isOwnerFileName(file.fileName()))
            continue; // listed, or a word processor's owner file
        const QString name = QDir(folder).relativeFilePath(file.filePath());
        found.append({Kind::UnlistedDocument,
                      name,
                      {},
                      name,
                      QStringLiteral("Il documento '%1' è nella cartella dei documenti, ma nessun "
                                     "modello lo elenca.")
                          .arg(name)});
    }
    return found;
}

// The listed document `name`: its file, or none, with a finding, when it has none.
std::optional<documents::Place> fileOf(formulas::DocumentFiles& files, const QString& folder,
                                       const QString& name, QList<ModelFinding>& found) {
    try {
        if (auto place = files.fileOf(name))
            return place;
    } catch (const RuntimeError& refused) {
        if (refused.number() != RuntimeError::ObjectError)
            throw; // the service went, not the document
        found.append({Kind::DocumentProblem, name, {}, name, refused.description()});
        return std::nullopt;
    }
    if (!QFileInfo::exists(pathBelow(folder, name)))
        found.append({Kind::DocumentProblem,
                      name,
                      {},
                      name,
                      QStringLiteral("Il documento '%1' elencato nel modello non è nella cartella "
                                     "dei documenti.")
                          .arg(name)});
    return std::nullopt; // else another name of a file already found
}

// The findings of the listed documents `names`, each document's fields on a worker.
QList<ModelFinding> listedFindings(K7XBO_Global::CGlobal& service, const QString& folder,
                                   const QStringList& names, const CodeKeys& codes,
                                   const QString& model) {
    const formulas::FieldMarkers markers = formulas::hostMarkers(); // before the workers
    formulas::DocumentFiles files(service);
    QList<ModelFinding> found;
    std::vector<std::future<QList<ModelFinding>>> fields;
    WorkerThreads workers = startedWorkers(2, QStringLiteral("il controllo dei documenti"));
    for (const QString& name : names) {
        const std::optional<documents::Place> place = fileOf(files, folder, name, found);
        if (!place)
            continue;
        if (auto lock = lockFinding(name, *place))
            found.append(std::move(*lock));
        else if (documents::isHeldReadOnly(*place)) // without write permission, or an owner file
            found.append({Kind::DocumentProblem,
                          name,
                          {},
                          name,
                          QStringLiteral("Il documento '%1' %2: un aggiornamento non potrebbe "
                                         "riscriverlo.")
                              .arg(name, documents::heldReadOnlyReason())});
        auto task = std::make_shared<std::packaged_task<QList<ModelFinding>()>>(
            [&, name, at = *place] { return fieldFindings(name, at, markers, codes, model); });
        fields.push_back(task->get_future());
        workers.run([task] { (*task)(); });
    }
    for (auto& document : fields)
        found.append(document.get());
    return found;
}

} // namespace

QList<ModelFinding> documentFindings(K7XBO_Global::CGlobal& service, const QString& model,
                                     const CodeKeys& codes) {
    const QStringList names = formulas::listedDocuments(service, model);
    QString folder;
    try {
        folder = formulas::documentsFolder(service);
    } catch (const RuntimeError&) {
        if (!names.isEmpty())
            throw; // the model's documents cannot be found
        return {}; // no documents folder and no document listed: nothing to look at
    }
    QList<ModelFinding> found = listedFindings(service, folder, names, codes, model);
    found.append(unlisted(service, folder));
    std::stable_sort(found.begin(), found.end(), [](const ModelFinding& a, const ModelFinding& b) {
        return a.document < b.document;
    });
    return found;
}

} // namespace K7X_DoruVevuzu::rename
