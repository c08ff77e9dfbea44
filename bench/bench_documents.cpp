// The report document update end to end, beside a bare baseline in the same run.
//
// 200 documents of about 30 pages, each with 100 formula fields of which a fifth refer to the
// code being changed. UpdateDocFormulas (list query, open and read-only check of every
// document, a scan of every story, the rewrite, an atomic save) is set against a loop that
// only unzips the main part, replaces the old reference with a plain string replace and
// zips the package again in place. With CTL_BENCH_OFFICE set, a third run does the same rename
// in the word processor itself (bench/office_rename.py: headless, its own replace-all, each
// document stored in its own format). Counters: documents per second and the process's peak
// resident memory next to its target (50 MB plus three times the largest document).
#include <K7XBO_Global/CGlobal.h>
#include <K7X_DoruVevuzu/RuntimeError.h>
#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "BenchMain.h"
#include "documents/Document.h"
#include "documents/DocumentFixtures.h"
#include "documents/HostileDocuments.h"
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
    // The content types and the package relationship let a word processor open it too.
    const QByteArray parts[][2] = {
        {"[Content_Types].xml",
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
         "<Default Extension=\"rels\""
         " ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
         "<Override PartName=\"/word/document.xml\" ContentType=\"application/"
         "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/></Types>"},
        {"_rels/.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
         "2006/relationships/officeDocument\" Target=\"word/document.xml\"/></Relationships>"},
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

// Peak resident memory from here on: the kernel's high-water mark is reset.
void resetPeakMemory() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}
double peakMemoryMB() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) // in kB
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0.0;
}

// Renames `from` to `to` in every story, one batch of edits a story, and saves what changed, as
// the update does: the failure's description, or an empty string.
QString renameAll(const QString& path, const QString& from, const QString& to) {
    using namespace K7X_DoruVevuzu::documents;
    try {
        const auto document = Document::open(path);
        for (int story = 0; story < document->storyCount(); ++story) {
            std::vector<Replacement> edits;
            for (auto at = document->find(story, from, 0); at;
                 at = document->find(story, from, at->end))
                edits.push_back({at->start, at->end, to});
            if (!edits.empty())
                document->replace(story, edits);
        }
        if (document->changed())
            document->save();
        return {};
    } catch (const K7X_DoruVevuzu::RuntimeError& error) {
        return error.description();
    }
}

// Documents no word processor writes, small on disk (tests/documents/HostileDocuments.h), each
// made once at full size, then opened, every reference renamed and saved by the engine alone:
// each must end, done or refused, within 2 s and under 200 MB. The label is the outcome.
void BM_Hostile(benchmark::State& state, const QString& name,
                const std::function<void(const QString&)>& make) {
    const QTemporaryDir folder;
    const QString path = folder.filePath(name);
    make(path);
    const QByteArray original = bytesOf(path);
    QString outcome;
    resetPeakMemory();
    for (auto _ : state) {
        state.PauseTiming();
        writeFile(path, original);
        state.ResumeTiming();
        outcome =
            renameAll(path, QString::fromLatin1(kOldReference), QString::fromLatin1(kNewReference));
    }
    state.counters["peak_rss_MB"] = peakMemoryMB();
    state.counters["file_KB"] = static_cast<double>(original.size()) / 1024.0;
    state.SetLabel(outcome.isEmpty() ? "done" : outcome.toStdString());
}

void registerHostile() {
    using Make = std::function<void(const QString&)>;
    const std::pair<const char*, Make> documents[] = {
        {"paragraphs.docx",
         [](const QString& path) {
             hostile::emptyParagraphs(path, 200 << 20);
         }},
        {"noisy-paragraphs.docx",
         [](const QString& path) {
             hostile::emptyParagraphs(path, 60 << 20, 26);
         }},
        {"text-boxes.docx",
         [](const QString& path) {
             hostile::textBoxes(path, 20000);
         }},
        {"spaces.odt",
         [](const QString& path) {
             hostile::spaceRuns(path, 4000);
         }},
        {"headers.docx",
         [](const QString& path) {
             hostile::manyHeaders(path, 40, (4 << 20) - 64);
         }},
        // 40,000 fields in one body, each renamed: the engine's cost per edit on its own.
        {"fields.docx",
         [](const QString& path) {
             writeDocument(path,
                           ("<w:p><w:r><w:t>Campo {{" + kOldReference + " * 2}}</w:t></w:r></w:p>")
                               .repeated(40000));
         }},
    };
    for (const auto& [name, make] : documents)
        benchmark::RegisterBenchmark(("Documents/Hostile/" + std::string(name)).c_str(), BM_Hostile,
                                     QString::fromLatin1(name), make)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
}

// Runs office_rename.py with Debian's own python3, the one python3-uno is built for (not
// whichever python3 comes first on PATH): an empty answer when it succeeded, else the reason.
QString runOffice(const QStringList& arguments) {
    QProcess script;
    script.start(QStringLiteral("/usr/bin/python3"), arguments);
    if (!script.waitForFinished(-1))
        return QStringLiteral("/usr/bin/python3 did not run: ") + script.errorString();
    if (script.exitStatus() == QProcess::NormalExit && script.exitCode() == 0)
        return {};
    const QString errors = QString::fromUtf8(script.readAllStandardError()).trimmed();
    return QStringLiteral("office_rename.py failed: ") + errors.split(u'\n').last();
}

// Read back with our engine: an empty answer when every reference of the document was renamed.
QString checkRenamed(const QString& path) {
    try {
        const auto document = K7X_DoruVevuzu::documents::Document::open(path);
        QString text;
        for (int story = 0; story < document->storyCount(); ++story)
            text += document->text(story, 0, document->storyLength(story));
        const qsizetype renamed = text.count(QString::fromLatin1(kNewReference));
        if (renamed == kFields / 5 && !text.contains(QString::fromLatin1(kOldReference)))
            return {};
        return QStringLiteral("%1: %2 references renamed, %3 expected")
            .arg(path)
            .arg(renamed)
            .arg(kFields / 5);
    } catch (const K7X_DoruVevuzu::RuntimeError& error) {
        return error.description();
    }
}

// The same rename by the word processor's own replace-all, started, used and quit end to end.
void BM_Office(benchmark::State& state) {
    static QTemporaryDir profile; // a private profile: a user's settings are never touched
    Reports& shared = reports();
    QStringList arguments{QStringLiteral(CTL_OFFICE_SCRIPT), profile.path(),
                          QString::fromLatin1(kOldReference), QString::fromLatin1(kNewReference)};
    QString failure;
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
        failure =
            QStringLiteral("soffice is not on PATH (scripts/bench --with-office installs it)");
    else if (QDir(profile.path()).isEmpty())
        failure = runOffice(arguments); // the first start creates the profile: not a rename's cost
    for (int i = 0; i < kDocuments; ++i)
        arguments << shared.path(i);
    for (auto _ : state) {
        if (!failure.isEmpty())
            break;
        state.PauseTiming();
        shared.restore();
        state.ResumeTiming();
        failure = runOffice(arguments);
    }
    if (failure.isEmpty())
        failure = checkRenamed(shared.path(0));
    if (!failure.isEmpty()) {
        state.SkipWithError(qPrintable(failure));
        return;
    }
    report(state);
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage); // the largest process the script waited for: the office
    state.counters["office_peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

} // namespace

int main(int argc, char** argv) {
    return bench::run(argc, argv, [] {
        registerHostile();
        if (qEnvironmentVariableIsSet("CTL_BENCH_OFFICE"))
            benchmark::RegisterBenchmark("Documents/Office", BM_Office)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
    });
}
