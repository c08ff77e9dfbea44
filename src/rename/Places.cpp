#include "rename/Places.h"

#include "documents/Document.h"
#include "formulas/DocumentFields.h"
#include "formulas/DocumentFiles.h"
#include "formulas/References.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>

namespace K7X_DoruVevuzu::rename {

namespace {

// Whether a place with this text before and after the rename is listed, and what `after` says.
bool listed(const QString& before, QString& after, Listing listing) {
    if (listing == Listing::Usage)
        after = before;
    return listing == Listing::Usage || after != before;
}

// The places of one report document.
QList<IndexReference> placesIn(const ReportDocument& report, const formulas::FieldMarkers& markers,
                               const QString& oldCode, const QString& newCode, Listing listing) {
    const auto document = documents::Document::open(report.path);
    std::vector<formulas::RenamedField> fields =
        formulas::renamedFields(*document, markers, oldCode, newCode);
    if (listing == Listing::Changes) // the preview refuses what the rename would refuse
        formulas::refuseFieldsAcrossParagraphs(*document, fields);
    QList<IndexReference> places;
    for (formulas::RenamedField& field : fields) {
        if (listed(field.text, field.after, listing))
            places.append({report.name, document->storyName(field.story), std::move(field.text),
                           std::move(field.after)});
    }
    return places;
}

} // namespace

std::vector<ReportDocument> reportDocuments(K7XBO_Global::CGlobal& service, const QString& model) {
    std::vector<ReportDocument> reports;
    formulas::DocumentFiles files(service);
    for (const QString& name : formulas::listedDocuments(service, model)) {
        if (auto file = files.fileOf(name))
            reports.push_back({name, std::move(*file)});
    }
    return reports;
}

QString selectFormulas() {
    return QStringLiteral("SELECT KX09_CODICEINDICE, %1, %2, %3 FROM KX09_INDICE WHERE "
                          "KX09_CODICEMODELLO_KX06=?")
        .arg(QLatin1String(kFormulaColumns[0]), QLatin1String(kFormulaColumns[1]),
             QLatin1String(kFormulaColumns[2]));
}

std::vector<IndexFormulas> formulasOf(const data::Rows& rows) {
    std::vector<IndexFormulas> indices;
    for (int row = 0; row < rows.count; ++row) {
        IndexFormulas index{rows.at(row, 0).toString(), {}};
        for (std::size_t column = 0; column < kFormulaColumns.size(); ++column)
            index.formulas[column] = rows.at(row, static_cast<int>(column) + 1);
        indices.push_back(std::move(index));
    }
    std::sort(indices.begin(), indices.end(),
              [](const IndexFormulas& a, const IndexFormulas& b) { return a.code < b.code; });
    return indices;
}

std::optional<QString> listedFormula(const QString& before, const QString& oldCode,
                                     const QString& newCode, Listing listing) {
    const formulas::ReferenceRewrite rewrite = formulas::findReferences(before, oldCode, newCode);
    if (rewrite.ranges.empty())
        return std::nullopt;
    QString after = rewrite.appliedTo(before);
    return listed(before, after, listing) ? std::optional(after) : std::nullopt;
}

QList<IndexReference> formulaPlaces(const std::vector<IndexFormulas>& indices,
                                    const QString& oldCode, const QString& newCode,
                                    Listing listing) {
    QList<IndexReference> places;
    for (const IndexFormulas& index : indices) {
        for (std::size_t column = 0; column < kFormulaColumns.size(); ++column) {
            const QString before = index.formulas[column].toString();
            if (auto after = listedFormula(before, oldCode, newCode, listing))
                places.append({QString(),
                               index.code + u'.' + QLatin1String(kFormulaColumns[column]), before,
                               std::move(*after)});
        }
    }
    return places;
}

QList<IndexReference> documentPlaces(K7XBO_Global::CGlobal& service, const QString& model,
                                     const QString& oldCode, const QString& newCode,
                                     Listing listing) {
    const std::vector<ReportDocument> reports = reportDocuments(service, model);
    const formulas::FieldMarkers markers = formulas::hostMarkers(); // before the second thread
    std::vector<QList<IndexReference>> found(reports.size());
    std::vector<std::exception_ptr> failed(reports.size());
    std::atomic<std::size_t> next = 0;
    const auto work = [&] {
        for (std::size_t k = next++; k < reports.size(); k = next++) {
            try {
                found[k] = placesIn(reports[k], markers, oldCode, newCode, listing);
            } catch (...) {
                failed[k] = std::current_exception();
            }
        }
    };
    std::thread helper; // the second core
    if (reports.size() > 1)
        helper = std::thread(work);
    work();
    if (helper.joinable())
        helper.join();
    QList<IndexReference> places;
    for (std::size_t k = 0; k < reports.size(); ++k) {
        if (failed[k])
            std::rethrow_exception(failed[k]);
        places.append(std::move(found[k]));
    }
    return places;
}

} // namespace K7X_DoruVevuzu::rename
