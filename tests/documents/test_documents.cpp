// The documents subsystem: the engine on real and hand-made .docx/.odt files, and
// UpdateDocFormulas as a host drives it over a model's documents.
#include "DocumentFixtures.h"
#include "documents/DocumentError.h"
#include "documents/DocumentLocks.h"
#include "documents/SaveBatch.h"
#include "formulas/DocumentUpdate.h"
#include "support/Raised.h"
#include "support/TestDatabase.h"

#include <K7XBO_Global/CDocFields.h>
#include <K7XBO_Global/CGlobal.h>
#include <K7X_DoruVevuzu/ctlIndici.h>

#include <QProgressDialog>
#include <QPushButton>
#include <QStringEncoder>
#include <QtTest>

#include <csignal>
#include <thread>

#include <fcntl.h>
#include <grp.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>

using namespace K7X_DoruVevuzu;
using namespace K7X_DoruVevuzu::documents;

namespace {

// `target`'s first occurrence in a story replaced; the main part then holds `xml` `copies` times.
struct Edit {
    int story;
    QString target, replacement;
    QByteArray xml = {};
    int copies = 0;
};
// A range no edit may cross (the first `from` through the next `through`), and what it would break.
struct Refusal {
    const char *from, *through, *why;
};
// A fixture: its stories' text (\r paragraph end, \a cell end, \x01 object, \x02 note reference),
// edits besides its first reference replaced by each kind of text, and the ranges it refuses.
struct Fixture {
    const char* name;
    QStringList stories;
    std::vector<Edit> edits = {};
    std::vector<Refusal> refusals = {};
};
// The documents of the update: the two fixtures below, then two written by an office suite.
const char* const kDocuments[] = {"awkward.docx", "awkward.odt", "lo-report.docx", "lo-report.odt"};
const Fixture kFixtures[] = {
    {"awkward.docx",
     {"Diviso: {{Indice(\"A1\")}} fine\rVedi {{Indice(\"A1\")}}\rRevisioni: {{Indice(\"A1\")}} "
      "{{Indice(\"A1\")}}\rCampo: risultato commentato\r{{Indice(\"A1\") }}\rCasella\x01\rTab: "
      "{{Indice(\"A1\")\t+ 1}}\x02\x02\rSpazi esterni\r\a{{Indice(\"a1\")}}\r\aAltro: "
      "{{Indice(\"C3\")}} e {{}}.\r",
      "\x01\r\x01\r\x02 Nota {{Indice(\"A1\")}}\r", "\x01\r\x01\r\x02 Chiusa {{Indice(\"A1\")}}\r",
      "Commento {{Indice(\"A1\")}}\r", "Testata {{Indice(\"A1\")}}\r",
      "Pagina 1 {{Indice(\"A1\")}}\r", "Box {{Indice(\"A1\")}}\r"},
     {{0, R"(Indice("A1")}} fine)", R"(Indice("B2")}} fine)",
       R"(<w:rPr><w:b/></w:rPr><w:t>Indice("B2")}} fine</w:t></w:r><w:proofErr )"
       R"(w:type="spellStart"/><w:r><w:rPr><w:i/></w:rPr></w:r><w:bookmarkStart)",
       1},
      {6, "A1", "B2", R"(Box {{Indice("B2")}})", 2}}, // both copies of the text box
     {{"fine", "Vedi", "paragrafo"},
      {"esterni", "{{Indice(\"a1", "cella"},
      {"Casella", "Casella\x01", "oggetto"},
      {"Campo", "risultato", "campo"},
      {"A1\")}} {{", "{{Indice", "revisione"}}},
    {"awkward.odt",
     {"Diviso: {{Indice(\"A1\")}} fine\rSpazi {{Indice(\"A1\")}}  fine\rRevisioni: "
      "{{Indice(\"A1\")}}\rVedi {{Indice(\"A1\")}}\rCasella\x01\rCommentato\rTab: {{Indice(\"A1\") "
      "+\t1}}\x02\rData: {{Indice(\"A1\")}}\rCella\r\a{{Indice(\"a1\")}}\r\aAltro: "
      "{{Indice(\"C3\")}} e {{}}.\r",
      "Nota {{Indice(\"A1\")}}\r", "Commento {{Indice(\"A1\")}}\r", "Testata {{Indice(\"A1\")}}\r",
      "Piede {{Indice(\"C3\")}}\r", "Box {{Indice(\"A1\")}}\r"},
     {{0, R"(Indice("A1")}} fine)", R"(Indice("B2")}} fine)",
       R"({{<text:span text:style-name="T1">Indice("B2")}} fine</text:span><text:bookmark )"
       R"(text:name="segno"/></text:p>)",
       1},
      {0, R"(Indice("A1")}})", "x "}}, // a space written before one that follows
     {{"1}}", "1}}\x02", "oggetto"}, {"Data", "Data: {{", "campo"}}}};

// A hand-made .docx: relationships (type and target, in pairs), main part and a header (also
// stored under a CP437 name); every `target` in `story` made `with` at once: the stories saved and
// the main part holding `xml` `copies` times, or the refusal naming `refused`, the file kept.
struct Made {
    const char* name;
    QString rels;
    QByteArray main;
    int story;
    QString target, with;
    QStringList stories;
    const char* refused = "";
    QByteArray xml = {};
    int copies = 0;
};
QByteArray mainPart(const QByteArray& body) {
    return "<w:document><w:body>" + body + "</w:body></w:document>";
}
const QByteArray kBody = mainPart("<w:p><w:r><w:t>A1 e A1</w:t></w:r></w:p>");
const QByteArray kBox = "<w:txbxContent><w:p><w:r><w:t>Uno A1</w:t></w:r></w:p></w:txbxContent>"
                        "<w:txbxContent><w:p><w:r><w:t>Due A1</w:t></w:r></w:p></w:txbxContent>";
const QString kHeader = "header header1.xml";
// The stories saved: the body's edited, the header's, each text box's copy in its own order.
const QStringList kBodyEdited{"B2 e B2\r", "Testata A1\r"},
    kHeaderEdited{"A1 e A1\r", "Testata B2\r"}, kSecondBoxEdited{"\r", "Uno A1\r", "Due B2\r"};
const Made kMade[] = {
    {"two edits in a text node", kHeader, kBody, 0, "A1", "B2", kBodyEdited},
    {"stories once",
     kHeader + " " + kHeader + " footnotes document.xml comments document.xml header document.xml",
     kBody, 1, "A1", "B2", kHeaderEdited},
    {"CP437 entry name", "header hé.xml", kBody, 1, "A1", "B2", kHeaderEdited},
    {"UTF-16", kHeader,
     QStringEncoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom)
         .encode(R"(<?xml version="1.0" encoding="UTF-16"?>)" + QString(kBody)),
     0, "A1", "B2", kBodyEdited, "", QByteArray("\xFF\xFE<\0?\0x\0", 8), 1},
    {"text box twins in order", "",
     mainPart("<w:p><w:r><mc:AlternateContent><mc:Choice>" + kBox + "</mc:Choice><mc:Fallback>" +
              kBox + "</mc:Fallback></mc:AlternateContent></w:r></w:p>"),
     2, "A1", "B2", kSecondBoxEdited, "", "Due B2", 2},
    {"U+FFFE", kHeader, kBody, 0, "A1", "\uFFFE", {}, "U+FFFE"},
    {"U+FFFF", kHeader, kBody, 0, "A1", "\uFFFF", {}, "U+FFFF"},
    {"high surrogate", kHeader, kBody, 0, "A1", QChar(0xD800), {}, "U+D800"},
    {"low surrogate", kHeader, kBody, 0, "e", QString("x") + QChar(0xDC00), {}, "U+DC00"}};

// A document's rights: as copied, no write permission, or all to nobody by its folder's default.
enum class Rights { AsCopied, NoWrite, FolderGrantsNobody };
// What another program does between the check and the save (Rewrites: same bytes, same time).
enum class Meanwhile { Nothing, Writes, MakesALink, Rewrites };
using enum Rights;
using enum Meanwhile;
// awkward.docx (.odt) copied as `file` with the file `beside` it and its `rights`, or given to
// `owner` with `mode` in a group of daemon and nobody, in a folder of `folderMode`, saved by root
// or by nobody (`byMember`) while another program acts on it: why it is not saved, nothing
// overwritten; saved, its owner, group, mode (no set-ID bit) and attribute kept, no access list.
struct FileState {
    const char *name, *file, *beside, *why;
    Rights rights = AsCopied;
    mode_t mode = 0;
    bool byMember = false;
    Meanwhile meanwhile = Nothing;
    uid_t owner = 1;
    mode_t folderMode = 0777;
};
const char kHeld[] = "è di sola lettura o aperto da un altro programma";
const char kChanged[] =
    "è stato modificato da un altro programma durante l'aggiornamento: aggiornarlo di nuovo.";
const FileState kFileStates[] = {
    {"no write permission", "rapporto.docx", "", kHeld, NoWrite},
    // owner files: the name less two letters from 8 letters before the extension, one at 7
    {"owner file of 8 letters", "rapporto.docx", "~$pporto.docx", kHeld},
    {"less one letter of 8", "rapporto.docx", "~$apporto.docx", ""},
    {"whole name of 8", "rapporto.docx", "~$rapporto.docx", ""},
    {"owner file of 7 letters", "bilanci.docx", "~$ilanci.docx", kHeld},
    {"less two letters of 7", "bilanci.docx", "~$lanci.docx", ""},
    {"owner file of a short name", "ab.docx", "~$ab.docx", kHeld},
    {"lock file", "rapporto.odt", ".~lock.rapporto.odt#", kHeld},
    {"shared: root", "rapporto.docx", "", "", AsCopied, 0640},
    {"shared: owner outside", "rapporto.docx", "", "più farlo", AsCopied, 0660, true, Nothing, 2},
    {"written meanwhile", "rapporto.docx", "", kChanged, AsCopied, 0660, false, Writes},
    {"made a link meanwhile", "rapporto.docx", "", kChanged, AsCopied, 0660, false, MakesALink},
    {"rewritten, its time put back", "rapporto.docx", "", kChanged, AsCopied, 0660, false,
     Rewrites},
    {"set-group-ID dropped", "rapporto.docx", "", "", AsCopied, 02660, true},
    {"another's in a sticky folder", "rapporto.docx", "", "solo i propri file", AsCopied, 0666,
     true, Nothing, 1, 01777},
    {"folder's default access list", "rapporto.docx", "", "", FolderGrantsNobody}};

// A default access list giving nobody every right, as the system stores one.
QByteArray nobodyMayAll() {
    QByteArray list("\x02\0\0\0", 4);
    for (const auto& [tag, id] : {std::pair{1, -1}, {2, 65534}, {4, -1}, {0x10, -1}, {0x20, -1}}) {
        const quint16 entry[2] = {quint16(tag), 7};
        list.append(reinterpret_cast<const char*>(entry), 4)
            .append(reinterpret_cast<const char*>(&id), 4);
    }
    return list;
}

// What `action` returns while the process may use at most `most` of `resource`.
template <typename Action>
auto limited(decltype(RLIMIT_NOFILE) resource, rlim_t most, const Action& action) {
    rlimit saved{};
    getrlimit(resource, &saved);
    const rlimit lower{most, saved.rlim_max};
    setrlimit(resource, &lower);
    const auto result = action();
    setrlimit(resource, &saved);
    return result;
}

// What `action` returns in a child process (which may give up its rights), or "the child failed".
QString inChild(const std::function<QString()>& action) {
    auto* const text = static_cast<char*>(
        ::mmap(nullptr, 512, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    if (::fork() == 0)
        ::_exit(!qstrncpy(text, action().toUtf8(), 512));
    int status = 1;
    ::wait(&status);
    const QString result = status == 0 ? QString::fromUtf8(text) : "the child failed";
    ::munmap(text, 512);
    return result;
}

// A host with one model and its documents folder; its application object may answer slowly, so
// that an update lasts, and notes what the progress window says meanwhile.
struct Host : DocumentFixtures, TestDatabase, K7XBO_Global::CGlobal {
    Host() : TestDatabase("sqlite"), CGlobal(db()) {
        exec("INSERT INTO KX06_MODELLI (KX06_CODICEMODELLO) VALUES ('MOD1')");
        setAppPath(folder());
        QDir(folder()).mkdir(docs());
        editor.setCGlobal(this);
        editor.setCodiceModello("MOD1");
        qApp->installEventFilter(this);
    }
    QObject* HostApp() override {
        QThread::msleep(answerMs);
        if (meanwhile)
            meanwhile();
        return CGlobal::HostApp();
    }
    bool eventFilter(QObject* watched, QEvent* event) override { // what the user sees
        if (auto* shown = qobject_cast<QProgressDialog*>(watched);
            shown && event->type() == QEvent::Paint) {
            labels << shown->labelText();
            buttons << int(shown->findChildren<QPushButton*>().size());
        }
        return false;
    }
    // Lists a document for the model, a copy of `fixture` or, given a body, a hand-made one.
    QString add(const QString& name, const QString& fixture = "", const QByteArray& body = {}) {
        exec("INSERT INTO KX20_RELAZIONI VALUES ('MOD1', ?)", {name});
        const QString path = fixture.isEmpty() ? "" : copy(fixture, docs() + u'/' + name);
        if (!body.isEmpty())
            writeDocument(path, body);
        return path;
    }
    // An update from A1 to `newCode`: its failure (number 0 when it succeeds).
    RuntimeError update(QString newCode) {
        QString oldCode = "A1";
        return raisedBy([&] { QVERIFY(editor.UpdateDocFormulas(oldCode, newCode)); });
    }
    static QString docs() { return K7XBO_Global::CDocFields::instance().DocFolder(); }
    ctlIndici editor;
    QStringList labels;              // as each paint of the progress window shows it
    QList<int> buttons;              // its buttons then
    std::function<void()> meanwhile; // what another program does while the update reads
    unsigned long answerMs = 0;
};

} // namespace

// What goes wrong in an update of a.docx, b.docx and c.docx.
enum class Fault { PartTwice, CutShort, DamagedThenHeld, ReadOnly, Across, NoFolder, TooBig };
Q_DECLARE_METATYPE(Fault)
// What the update finds where a document's lock file goes, or what became of its folder.
enum class Found { DanglingLink, LinkOutside, Pipe, Folder, ForeignLock, LateLock, FolderLink };
Q_DECLARE_METATYPE(Found)

class TestDocuments : public QObject {
    Q_OBJECT
private slots:
    // Stories as read; refusals change nothing; an edit reads back before and after saving,
    // formatted as its first run; other parts, the permissions and the folder stay as they were.
    void fixturesReadEditAndSave_data() { TestDatabase::addRows(kFixtures); }
    void fixturesReadEditAndSave() {
        QFETCH(int, entry);
        const Fixture& fixture = kFixtures[entry];
        DocumentFixtures fixtures;
        const QString path = fixtures.copy(fixture.name);
        const QString mainPart = path.endsWith(".odt") ? "content.xml" : "word/document.xml";
        const auto before = packageEntries(path);
        {
            const auto document = Document::open(path);
            QCOMPARE(storiesOf(*document), fixture.stories);
            for (const auto& [from, through, why] : fixture.refusals) {
                const int start = document->find(0, from, 0).value().start;
                const int end = document->find(0, through, start).value().end;
                const QString refused =
                    raisedBy([&] { document->replace(0, start, end, "x"); }).description();
                QVERIFY2(refused.contains(why) && refused.contains(fixture.name),
                         qPrintable(refused));
                QCOMPARE(storiesOf(*document), fixture.stories);
            }
            QVERIFY(!document->changed());
        }
        std::vector<Edit> edits = fixture.edits;
        for (const char* text : {R"(Indice("NUOVO_CODICE"))", "  spazi  ", "a   b", "x\ty\vz", ""})
            edits.push_back({0, R"(Indice("A1"))", text});
        for (const Edit& edit : edits) {
            fixtures.copy(fixture.name);
            const auto document = Document::open(path);
            const auto [start, end] = document->find(edit.story, edit.target, 0).value();
            const QString expected =
                storiesOf(*document)[edit.story].replace(start, end - start, edit.replacement);
            document->replace(edit.story, start, end, edit.replacement);
            QVERIFY(storiesOf(*document)[edit.story] == expected && document->changed());
            document->close(true);
            QCOMPARE(storiesOf(path)[edit.story], expected);
            const auto after = packageEntries(path);
            QCOMPARE(after.size(), before.size());
            for (qsizetype i = 0; i < after.size(); ++i)
                QVERIFY(after[i].name == before[i].name &&
                        (after[i].name == mainPart
                             ? edit.xml.isEmpty() || after[i].content.count(edit.xml) == edit.copies
                             : after[i].compressed == before[i].compressed));
            QVERIFY(QDir(fixtures.folder()).entryList(QDir::Files | QDir::Hidden).size() == 1 &&
                    (QFile::permissions(path) & 0xff) == QFile::ReadGroup);
        }
    }

    void packagesAsMade_data() { TestDatabase::addRows(kMade); }
    void packagesAsMade() {
        QFETCH(int, entry);
        const Made& made = kMade[entry];
        DocumentFixtures fixtures;
        const QString path = fixtures.folder() + "/fatto.docx";
        const QByteArray header = "<w:hdr><w:p><w:r><w:t>Testata A1</w:t></w:r></w:p></w:hdr>";
        const QStringList words = made.rels.split(' ', Qt::SkipEmptyParts);
        QByteArray rels = "<Relationships>";
        for (qsizetype k = 0; k + 1 < words.size(); k += 2)
            rels += QString(R"(<Relationship Type="x/%1" Target="%2"/>)")
                        .arg(words[k], words[k + 1])
                        .toUtf8();
        writePackage(path, {{"[Content_Types].xml", "<Types/>"},
                            {"word/_rels/document.xml.rels", rels + "</Relationships>"},
                            {"word/document.xml", made.main},
                            {"word/header1.xml", header},
                            {"word/h~.xml", header}});
        writeFile(path, bytesOf(path).replace("h~.xml", "h\x82.xml"));
        const QByteArray before = bytesOf(path);
        const QString refused = raisedBy([&] {
                                    const auto document = Document::open(path);
                                    std::vector<Replacement> edits;
                                    for (auto at = document->find(made.story, made.target, 0); at;
                                         at = document->find(made.story, made.target, at->end))
                                        edits.push_back({at->start, at->end, made.with});
                                    document->replace(made.story, edits);
                                    document->save();
                                }).description();
        QVERIFY2(refused.contains(made.refused) &&
                     (*made.refused ? bytesOf(path) == before : refused.isEmpty()),
                 qPrintable(refused));
        if (!*made.refused)
            QCOMPARE(storiesOf(path), made.stories);
        for (const PackageEntry& part : packageEntries(path))
            QVERIFY(part.name != "word/document.xml" || made.xml.isEmpty() ||
                    part.content.count(made.xml) == made.copies);
    }

    // Held files are not saved, shared ones keep who may open them; messages name the file.
    void filesAsAHostFindsThem_data() { TestDatabase::addRows(kFileStates); }
    void filesAsAHostFindsThem() {
        QFETCH(int, entry);
        const FileState& state = kFileStates[entry];
        const char group[] = "ctlindici-condivisi";
        DocumentFixtures fixtures, out;
        const QString path = fixtures.copy("awkward." + QFileInfo(state.file).suffix(), state.file),
                      other = out.copy("awkward.odt");
        const QByteArray name = QFile::encodeName(path);
        if (state.rights == NoWrite)
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup);
        else if (state.rights == FolderGrantsNobody &&
                 ::setxattr(QFile::encodeName(fixtures.folder()), "system.posix_acl_default",
                            nobodyMayAll().constData(), nobodyMayAll().size(), 0))
            QSKIP("default access lists need a file system that keeps them");
        else if (*state.beside)
            writeFile(QDir(fixtures.folder()).filePath(state.beside), "");
        else if (state.mode &&
                 (::geteuid() != 0 || ::setxattr(name, "user.ctl", "1", 1, 0) ||
                  QProcess::execute("groupadd", {"-f", "-U", "daemon,nobody", group})))
            QSKIP("a shared document needs root, groupadd and user attributes");
        const gid_t shared = state.mode ? ::getgrnam(group)->gr_gid : 0;
        QVERIFY(!state.mode || (!::chmod(QFile::encodeName(fixtures.folder()), state.folderMode) &&
                                !::chown(name, state.owner, shared) && !::chmod(name, state.mode)));
        const auto before = snapshot(fixtures.folder());
        const auto save = [&] {
            SaveBatch::checkReplaceable(Place::of(path));
            const auto document = Document::open(path);
            document->replace(0, 0, 1, "r");
            SaveBatch batch;
            document->save(batch);
            if (struct stat was{}; state.meanwhile == Rewrites && !::stat(name, &was)) {
                writeFile(path, bytesOf(path));
                const timespec times[2] = {{0, UTIME_OMIT}, was.st_mtim};
                ::utimensat(AT_FDCWD, name, times, 0);
            } else if (state.meanwhile == MakesALink
                           ? QFile::remove(path) && QFile::link(other, path)
                           : state.meanwhile == Writes) {
                writeFile(path, bytesOf(other));
            }
            batch.commit();
        };
        const QString failure = inChild([&] { // as the updater, root or nobody
            if (state.byMember && (::setgroups(1, &shared) || ::setgid(65534) || ::setuid(65534)))
                ::_exit(1);
            return raisedBy(save).description();
        });
        if (state.mode)
            QProcess::execute("groupdel", {group});
        const auto now = snapshot(fixtures.folder());
        struct stat after {};
        QVERIFY2(*state.why ? failure.contains(state.why) &&
                                  failure.contains(QString("'%1'").arg(state.file))
                            : failure.isEmpty(),
                 qPrintable(failure));
        QVERIFY(now.keys() == before.keys() &&
                (*state.why
                     ? now[path] == (state.meanwhile == Writes || state.meanwhile == MakesALink
                                         ? bytesOf(other)
                                         : before[path])
                     : now[path] != before[path]));
        QVERIFY(!state.mode || *state.why ||
                (!::stat(name, &after) && after.st_uid == (state.byMember ? 65534u : state.owner) &&
                 after.st_gid == shared && (after.st_mode & 07777) == (state.mode & 0777) &&
                 ::getxattr(name, "user.ctl", nullptr, 0) == 1));
        QVERIFY(::getxattr(name, "system.posix_acl_access", nullptr, 0) < 0);
    }

    // Lock files left beside a document, or its subfolder made a link: the update learns at once
    // who holds it, or that the lock is no file to follow, and writes nothing outside the folder.
    void lockFilesAsTheFolderHoldsThem_data() {
        QTest::addColumn<Found>("found");
        QTest::addColumn<QString>("holder"); // named by the refusal
        QTest::addColumn<bool>("irregular");
        QTest::newRow("dangling link") << Found::DanglingLink << "" << true;
        QTest::newRow("link outside") << Found::LinkOutside << "" << true;
        QTest::newRow("pipe") << Found::Pipe << "" << true;
        QTest::newRow("folder") << Found::Folder << "" << true;
        QTest::newRow("another user's, read-only") << Found::ForeignLock << "ugo" << false;
        QTest::newRow("empty, written meanwhile") << Found::LateLock << "ugo" << false;
        QTest::newRow("folder made a link") << Found::FolderLink << "" << false;
    }
    void lockFilesAsTheFolderHoldsThem() {
        QFETCH(Found, found);
        QFETCH(QString, holder);
        QFETCH(bool, irregular);
        DocumentFixtures fixtures, out;
        QDir(fixtures.folder()).mkdir("sotto");
        const QString path = fixtures.copy("awkward.docx", "sotto/rapporto.docx"),
                      lock = fixtures.folder() + "/sotto/.~lock.rapporto.docx#",
                      outside = out.folder() + "/fuori";
        const QByteArray line = ",ugo,pc-ugo,06.12.2026 09:42,profilo;";
        writeFile(outside, "");
        Place place = Place::of(path); // its folder reached from the one above
        place.root = std::make_shared<OpenFolder>(fixtures.folder());
        place.folder = "sotto";
        if (found == Found::DanglingLink || found == Found::LinkOutside)
            QFile::link(out.folder() + (found == Found::DanglingLink ? "/assente" : "/fuori"),
                        lock);
        else if (found == Found::Pipe)
            ::mkfifo(QFile::encodeName(lock), 0666);
        else if (found == Found::Folder)
            QDir().mkdir(lock);
        else if (found == Found::FolderLink)
            QVERIFY(QDir(fixtures.folder()).rename("sotto", "prima") &&
                    QFile::link(out.folder(), fixtures.folder() + "/sotto"));
        else
            writeFile(lock, found == Found::LateLock ? "" : line);
        QVERIFY(!::chmod(QFile::encodeName(fixtures.folder() + "/sotto"), 0777) &&
                !::chmod(QFile::encodeName(fixtures.folder()), 0777) &&
                (found != Found::ForeignLock || (!::chown(QFile::encodeName(lock), 1, 1) &&
                                                 !::chmod(QFile::encodeName(lock), 0644))));
        const QDeadlineTimer deadline(2000);
        const QString refusal = inChild([&]() -> QString {
            if (found == Found::ForeignLock && ::setuid(65534))
                ::_exit(3);
            std::thread late([&] {
                QThread::msleep(found == Found::LateLock ? 30 : 0);
                if (found == Found::LateLock)
                    writeFile(lock, line);
            });
            std::optional<LockHolder> by;
            const bool taken = DocumentLocks().take(
                place, [](const LockHolder&) {}, by);
            late.join();
            const QString user = by ? by->user : QString();
            return taken ? "taken"
                   : user != holder || (by && by->irregular) != irregular
                       ? "refused naming '" + user + "'"
                       : "";
        });
        QVERIFY2(refusal.isEmpty() && !deadline.hasExpired(), qPrintable(refusal));
        QCOMPARE(snapshot(out.folder()).keys(), QStringList{outside});
        QVERIFY(bytesOf(outside).isEmpty());
    }

    // A code change: every reference changes, nothing else in a field, by the markers the update
    // began with, under a progress window; a document without the code keeps bytes and time.
    void updateCarriesACodeChange() {
        Host host;
        host.answerMs = 120;
        QCOMPARE(host.update("B").description(), "");
        QStringList paths; // as listed: the fixtures, a stranded marker and a split field, again
        const QList<int> a1{13, 11, 9, 9, 1, 13, 11, 9, 9}, c3{1, 2, 3, 3, 1, 1, 2, 3, 3};
        for (int k = 0; k < 9; ++k) {
            const QString fixture = kDocuments[(k - (k > 4)) % 4];
            paths << host.add(QString("%1 'annuale' %2").arg(k).arg(fixture), fixture,
                              k == 4 ? R"(<w:p><w:r><w:t>{{ “aperta”</w:t></w:r></w:p><w:p><w:r>)"
                                       R"(<w:t>{{Indice("A1") + </w:t></w:r><w:r><w:rPr><w:b/>)"
                                       R"(</w:rPr><w:t>Indice("C3")</w:t></w:r><w:r><w:t>}})"
                                       R"(</w:t></w:r></w:p><w:p><w:r><w:delText>{{Indice("A1")}})"
                                       R"(</w:delText></w:r></w:p>)"
                                     : "");
            QCOMPARE(referencesIn(paths.last(), "A1"), a1[k]); // every story read
        }
        for (const char* missing : {"manca.docx", "manca.odt", ""})
            host.add(missing);
        const QString without =
            host.add("00 senza.odt", "lo-report.odt", R"(<text:p>{{Indice("C3")}}</text:p>)");
        const QDateTime stamp = QDateTime::currentDateTime().addDays(-3);
        if (QFile file(without); file.open(QIODevice::ReadWrite))
            QVERIFY(file.setFileTime(stamp, QFileDevice::FileModificationTime));
        const auto before = snapshot(host.folder());
        auto& fields = K7XBO_Global::CDocFields::instance();
        int looks = 0; // the host changes the markers once the update has begun (its second look)
        host.meanwhile = [&] {
            fields.setFieldStart(++looks > 1 ? "[[" : "{{");
        };
        const QString failure = host.update("NUOVO_LUNGO").description();
        fields.setFieldStart("{{");
        QCOMPARE(failure, ""); // every document renamed with the markers the update began with
        for (int k = 0; k < paths.size(); ++k)
            QVERIFY(referencesIn(paths[k], "A1") == 0 && referencesIn(paths[k], "C3") == c3[k] &&
                    referencesIn(paths[k], "NUOVO_LUNGO") == a1[k]);
        for (const auto& [path, kept] : {std::pair{0, R"(MERGEFIELD {{Indice("A1")}})"},
                                         {4, R"(<w:b/></w:rPr><w:t>Indice("C3")</w:t>)"},
                                         {4, "<w:t>{{ “aperta”</w:t>"}})
            QVERIFY(std::ranges::any_of(packageEntries(paths[path]), [&](const PackageEntry& part) {
                return part.content.contains(kept);
            }));
        QCOMPARE(snapshot(host.folder()).keys(), before.keys());
        QCOMPARE(bytesOf(without), before.value(without));
        QCOMPARE(QFileInfo(without).lastModified(), stamp);
        QCOMPARE(host.labels.last(), "Salvataggio dei documenti...");
        QCOMPARE(host.buttons.last(), 0);                    // no cancel button
        QVERIFY(!host.editor.findChild<QProgressDialog*>()); // gone with the update
    }

    // A failure while planning leaves every document as it was, naming the first in list order;
    // room that runs out while writing (a file size limit) keeps only what was rewritten before.
    void failedUpdates_data() {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("ending"); // how the description ends
        const int unreadable = int(DocumentFault::Unreadable);
        QTest::newRow("a part twice") << Fault::PartTwice << unreadable << "Documenti"
                                      << "'b.docx': la parte 'docProps/ap1.xml' non può essere "
                                         "copiata (File already exists).";
        QTest::newRow("a part cut short")
            << Fault::CutShort << unreadable << "Documenti"
            << "'b.docx': una parte non può essere copiata (Premature end of file).";
        QTest::newRow("damaged, then held") << Fault::DamagedThenHeld << unreadable << "Documenti"
                                            << "'a.docx': non è un archivio zip valido.";
        QTest::newRow("read-only, without the code")
            << Fault::ReadOnly << RuntimeError::ObjectError << "Aggiornamento formule."
            << "Errore in fase di aggiornamento dei documenti.\r\nImpossibile aggiornare 'b.docx'";
        QTest::newRow("a field across a revision")
            << Fault::Across << int(DocumentFault::Refused) << "Documenti"
            << "Errore in fase di aggiornamento dei documenti.\r\nImpossibile modificare il "
               "documento 'b.docx': Il testo da sostituire attraversa il limite di un campo o di "
               "una revisione. Campo: 'Indice(\"A1\")'.";
        QTest::newRow("no folder meanwhile")
            << Fault::NoFolder << RuntimeError::ObjectError << "Aggiornamento formule."
            << "servono il percorso dell'applicazione e il nome della cartella dei documenti.";
        QTest::newRow("room runs out")
            << Fault::TooBig << int(DocumentFault::NotSaved) << "Documenti"
            << "'b.docx': " + QString(std::strerror(EFBIG)) + ".";
    }
    void failedUpdates() {
        QFETCH(Fault, fault);
        QFETCH(int, number);
        QFETCH(QString, source);
        QFETCH(QString, ending);
        Host host;
        const QByteArray field = R"(<w:p><w:r><w:t>{{Indice("A1")}}</w:t></w:r></w:p>)";
        QByteArray noise(fault == Fault::TooBig ? 300'000 : 0, 'a'); // hardly deflated
        for (char& letter : noise)
            letter = char('a' + QRandomGenerator::global()->bounded(26));
        const QByteArray second =
            fault == Fault::ReadOnly ? "<w:p/>"
            : fault == Fault::Across
                ? "<w:p><w:r><w:t>{{Indice(\"</w:t></w:r><w:ins><w:r><w:t>A</w:t></w:r></w:ins>"
                  "<w:r><w:t>1\")}}</w:t></w:r></w:p>"
                : field + "<w:p><w:r><w:t>" + noise + "</w:t></w:r></w:p>";
        const QString paths[3]{
            host.add("a.docx", "awkward.docx", // beyond one 64 KiB write
                     fault == Fault::TooBig ? second.left(150'000) + "</w:t></w:r></w:p>" : field),
            host.add("b.docx", "awkward.docx", second), host.add("c.docx", "awkward.docx", field)};
        const QString lock = QFileInfo(paths[1]).dir().filePath(".~lock.b.docx#");
        if (fault == Fault::DamagedThenHeld) {
            writeFile(paths[0], "PK\3\4 non è un documento");
            writeFile(lock, bytesOf(CTL_SOURCE_DIR "/tests/data/locks/writer-7.4.lock"));
        } else if (fault == Fault::ReadOnly) {
            QFile::setPermissions(paths[1], QFile::ReadOwner);
        } else if (fault == Fault::PartTwice || fault == Fault::CutShort) {
            Parts parts;
            for (const PackageEntry& entry : packageEntries(paths[1]))
                parts.append({entry.name, entry.content});
            writePackage(paths[1], parts << Parts::value_type("docProps/ap1.xml", "<a/>")
                                         << Parts::value_type("docProps/ap2.xml", "<b/>"));
            QByteArray bytes = bytesOf(paths[1]); // its directory's entry: the size at 20
            const qsizetype entry = bytes.lastIndexOf("docProps/ap2.xml") - 46;
            writeFile(paths[1], fault == Fault::PartTwice
                                    ? bytes.replace("docProps/ap2.xml", "docProps/ap1.xml")
                                    : bytes.replace(entry + 20, 3, "\xff\xff\xff"));
        } else if (fault == Fault::NoFolder) {
            host.meanwhile = [&] {
                host.setAppPath("");
            };
        }
        auto before = snapshot(host.folder());
        ::signal(SIGXFSZ, SIG_IGN);
        const RuntimeError failure =
            limited(RLIMIT_FSIZE, 100'000, [&] { return host.update("B"); });
        QVERIFY2(failure.description().endsWith(ending), qPrintable(failure.description()));
        QCOMPARE(failure.number(), number);
        QCOMPARE(failure.source(), source);
        auto now = snapshot(host.folder());
        if (fault == Fault::TooBig)
            QVERIFY(now.remove(paths[0]) == 1 && before.remove(paths[0]) == 1 &&
                    referencesIn(paths[0], "B") == 1);
        QCOMPARE(now, before);
    }

    // Documents are held in file order: updates listing them in other orders never deadlock.
    void heldInTheOrderOfTheFiles() {
        DocumentFixtures fixtures;
        QStringList paths{fixtures.copy("awkward.docx", "a.docx"),
                          fixtures.copy("awkward.docx", "b.docx")};
        const auto inode = [](const QString& path) {
            struct stat status {};
            ::stat(QFile::encodeName(path).constData(), &status);
            return status.st_ino;
        };
        std::ranges::sort(paths, {}, inode);
        std::optional<DocumentLocks> other(std::in_place);
        std::optional<LockHolder> holder;
        QVERIFY(other->take(Place::of(paths[1]), {}, holder));
        bool firstHeld = false;
        DocumentUpdate update("A1", "B", [&](const QString&, const LockHolder&) {
            firstHeld = QFile::exists(QFileInfo(paths[0]).dir().filePath(
                QFile::decodeName(lockNameOf(QFile::encodeName(QFileInfo(paths[0]).fileName())))));
            other.reset();
        });
        update.add("listed first", Place::of(paths[1]));
        update.add("listed second", Place::of(paths[0]));
        update.finish();
        QVERIFY(firstHeld);
    }

    // Two thousand documents updated with few descriptors hold none from check to save; fewer
    // descriptors, or no more threads, fail the update at once with the system's reason.
    void systemLimits() {
        Host host;
        QString paths[2000];
        host.db().transaction();
        for (int k = 0; k < 2000; ++k) {
            QDir(host.folder()).mkpath(host.docs() + QString("/d%1").arg(k % 100));
            paths[k] = host.add(QString("d%1/%2.odt").arg(k % 100).arg(k), "awkward.odt");
        }
        host.db().commit();
        const auto lowestFree = rlim_t(::dup(0)); // a new descriptor must be below the limit
        ::close(int(lowestFree));
        const QString failures =
            limited(RLIMIT_NOFILE, lowestFree,
                    [&] { return raisedBy([&] { Document::open(paths[0]); }).description(); }) +
            limited(RLIMIT_NOFILE, lowestFree + 48, [&] { return host.update("B").description(); });
        QVERIFY2(failures.endsWith(QString(std::strerror(EMFILE)) + ")."), qPrintable(failures));
        QCOMPARE(referencesIn(paths[0], "B") + referencesIn(paths[1999], "B"), 22);
        const QString noThreads = inChild([] {
            const rlimit one{1, 1};
            if ((::geteuid() == 0 && ::setuid(65534)) || ::setrlimit(RLIMIT_NPROC, &one))
                ::_exit(1);
            return raisedBy([] { DocumentUpdate("A1", "B", {}); }).description();
        });
        QVERIFY2(noThreads.startsWith("Impossibile avviare l'aggiornamento dei documenti: il "
                                      "sistema non concede altri thread"),
                 qPrintable(noThreads));
    }
};

QTEST_MAIN(TestDocuments)
#include "test_documents.moc"
