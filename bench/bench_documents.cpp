// The report document update end to end, beside a bare baseline in the same run.
//
// 200 documents of about 30 pages, each with 100 formula fields of which a fifth refer to the
// code being changed. UpdateDocFormulas (list query, open and read-only check of every
// document, a scan of every story, the rewrite, an atomic save) is set against a loop that
// only unzips the main part, replaces the old reference with a plain string replace and
// zips the package again in place. Counters: documents per second and the process's peak
// resident memory next to its target (50 MB plus three times the largest document).
#include <K7XBO_Global/CGlobal.h>
#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "BenchMain.h"
#include <sys/resource.h>
#include <unistd.h>
#include <zip.h>

namespace {

constexpr int kDocuments = 200;
constexpr int kParagraphs = 1200; // about 30 pages
constexpr int kFields = 100;
const QByteArray kOldReference = "Indice(\"OLD\")";
const QByteArray kNewReference = "Indice(\"NEW_CODE\")";

QByteArray mainPart() {
    QByteArray xml =
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
        R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body>)";
    const QByteArray words = "Il margine operativo lordo del periodo cresce rispetto "
                             "all'esercizio precedente grazie ai ricavi delle vendite. ";
    for (int p = 0; p < kParagraphs; ++p) {
        xml += "<w:p><w:pPr><w:jc w:val=\"both\"/></w:pPr><w:r><w:rPr><w:sz w:val=\"22\"/>"
               "</w:rPr><w:t xml:space=\"preserve\">" +
               words;
        if (p % (kParagraphs / kFields) == 0) {
            const int field = p / (kParagraphs / kFields);
            const QByteArray code =
                field % 5 == 0 ? kOldReference : "Indice(\"K" + QByteArray::number(field) + "\")";
            // Every other field is split across runs, as a word processor leaves it.
            xml += field % 2 ? "{{" + code + " * 2}}"
                             : "{{</w:t></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>" + code +
                                   "</w:t></w:r><w:r><w:t xml:space=\"preserve\"> * 2}}";
        }
        xml += "</w:t></w:r></w:p>";
    }
    return xml + "</w:body></w:document>";
}

QByteArray packageBytes() {
    const QByteArray parts[][2] = {
        {"[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                                "content-types\"/>"},
        {"word/document.xml", mainPart()},
        {"word/styles.xml", QByteArray(40000, 's')},
        {"word/media/image1.png", QByteArray(60000, '\x7f')},
    };
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(buffer);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    for (const auto& [name, content] : parts)
        zip_file_add(archive, name.constData(),
                     zip_source_buffer(archive, content.constData(), content.size(), 0), 0);
    zip_close(archive);
    zip_stat_t stat;
    zip_source_open(buffer);
    zip_source_stat(buffer, &stat);
    QByteArray bytes(static_cast<qsizetype>(stat.size), '\0');
    zip_source_read(buffer, bytes.data(), stat.size);
    zip_source_close(buffer);
    zip_source_free(buffer);
    return bytes;
}

// The documents folder of one application with its model's list of documents.
struct Reports {
    Reports() : template_(packageBytes()) {
        QDir(folder.path()).mkpath(QStringLiteral("Documenti"));
        auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench"));
        db.setDatabaseName(folder.filePath(QStringLiteral("bench.db")));
        db.open();
        QSqlQuery query(db);
        query.exec(QStringLiteral("CREATE TABLE KX20_RELAZIONI (KX20_CODICEMODELLO_KX06 TEXT, "
                                  "KX20_NOMEDOCUMENTO TEXT)"));
        for (int i = 0; i < kDocuments; ++i)
            query.exec(
                QStringLiteral("INSERT INTO KX20_RELAZIONI VALUES ('M', '%1')").arg(name(i)));
        service = std::make_unique<K7XBO_Global::CGlobal>(db);
        service->setAppPath(folder.path());
    }
    static QString name(int i) {
        return QStringLiteral("rapporto%1.docx").arg(i, 3, 10, QChar(u'0'));
    }
    QString path(int i) const { return folder.filePath(QStringLiteral("Documenti/") + name(i)); }
    void restore() const {
        for (int i = 0; i < kDocuments; ++i) {
            QFile file(path(i));
            file.open(QIODevice::WriteOnly | QIODevice::Truncate);
            file.write(template_);
        }
        ::sync(); // the copies' own writes are not the measured run's to flush
    }

    QTemporaryDir folder;
    QByteArray template_;
    std::unique_ptr<K7XBO_Global::CGlobal> service;
};

Reports& reports() {
    static Reports shared;
    return shared;
}

void report(benchmark::State& state) {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["docs_per_s"] =
        benchmark::Counter(kDocuments, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    state.counters["rss_target_MB"] =
        50.0 + 3.0 * static_cast<double>(reports().template_.size()) / (1024.0 * 1024.0);
}

void BM_UpdateDocFormulas(benchmark::State& state) {
    Reports& shared = reports();
    K7X_DoruVevuzu::ctlIndici editor;
    editor.setCGlobal(shared.service.get());
    editor.setCodiceModello(QStringLiteral("M"));
    for (auto _ : state) {
        state.PauseTiming();
        shared.restore();
        state.ResumeTiming();
        QString oldCode = QStringLiteral("OLD");
        QString newCode = QStringLiteral("NEW_CODE");
        benchmark::DoNotOptimize(editor.UpdateDocFormulas(oldCode, newCode));
    }
    report(state);
}
BENCHMARK(BM_UpdateDocFormulas)
    ->Name("Documents/UpdateDocFormulas")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Unzip the main part, replace the old reference, zip in place: nothing more.
void BM_BareZipReplaceBaseline(benchmark::State& state) {
    Reports& shared = reports();
    for (auto _ : state) {
        state.PauseTiming();
        shared.restore();
        state.ResumeTiming();
        for (int i = 0; i < kDocuments; ++i) {
            zip_t* archive = zip_open(QFile::encodeName(shared.path(i)).constData(), 0, nullptr);
            zip_stat_t stat;
            zip_stat(archive, "word/document.xml", 0, &stat);
            QByteArray text(static_cast<qsizetype>(stat.size), '\0');
            zip_file_t* part = zip_fopen_index(archive, stat.index, 0);
            zip_fread(part, text.data(), stat.size);
            zip_fclose(part);
            text.replace(kOldReference, kNewReference);
            zip_file_replace(archive, stat.index,
                             zip_source_buffer(archive, text.constData(), text.size(), 0), 0);
            zip_close(archive); // the text must outlive the archive's write
        }
    }
    report(state);
}
BENCHMARK(BM_BareZipReplaceBaseline)
    ->Name("Documents/Baseline")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    return bench::run(argc, argv);
}
