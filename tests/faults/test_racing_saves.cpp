// Two processes edit the same index and save at the same moment, race after race, on each
// engine: one save is stored, the other is refused with the conflict message and keeps its
// entries on the form, and the row holds every field of one writer and none of the other's.
#include "WorkerProcess.h"
#include "data/Recordset.h"
#include "workflow/WorkflowHost.h"

namespace {

const QStringList kTexts = {"txtDescrizione", "txtTesto", "txtDescrizioneScarso",
                            "txtDescrizioneNormale", "txtDescrizioneBuono"};
const QStringList kNumbers = {"txtValoreScarso", "txtValoreNormale", "txtValoreBuono", "txtValErr"};
const QString kConflict =
    QStringLiteral("Errore in fase di chiusura!\r\nIl record è stato modificato o eliminato da "
                   "un altro utente: ricaricare l'indice prima di salvare.\r\nError n. %1")
        .arg(K7X_DoruVevuzu::data::Recordset::ConflictNumber);

// What `writer` (1 or 2) types in race `race`: every value its own.
QVariantMap entries(int writer, int race) {
    QVariantMap fields;
    for (const QString& name : kTexts)
        fields.insert(name, QStringLiteral("%1 dello scrittore %2, gara %3")
                                .arg(name.mid(3))
                                .arg(writer)
                                .arg(race));
    for (qsizetype i = 0; i < kNumbers.size(); ++i)
        fields.insert(kNumbers[i], QString::number(race * 100 + writer * 10 + i));
    return fields;
}

QByteArray json(const QVariantMap& fields) {
    return QJsonDocument(QJsonObject::fromVariantMap(fields)).toJson(QJsonDocument::Compact);
}

// The texts of the fields on the host's form.
QByteArray shown(const WorkflowHost& host) {
    QVariantMap fields;
    for (const QString& name : kTexts + kNumbers)
        fields.insert(name, host.child(name)->property("text"));
    return json(fields);
}

} // namespace

class TestRacingSaves : public QObject {
    Q_OBJECT
private slots:
    void laterSaveIsRefused_data() { TestDatabase::addEngineRows(); }
    void laterSaveIsRefused() {
        QFETCH(QString, engine);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        WorkflowHost host(engine);
        WorkerProcess worker(host.database.openSecondConnection());
        QVERIFY(worker.ready());
        int won = 0; // by this process
        for (int race = 0; race < FAULT_ROUNDS; ++race) {
            const QVariantMap mine = entries(1, race);
            const QVariantMap theirs = entries(2, race);
            const QVariantMap edit{
                {"do", "edit"}, {"model", "BILANCIO"}, {"index", "LIQIMM"}, {"fields", theirs}};
            QVERIFY(worker.ask(edit).value("ready").toBool());
            host.editor->LoadIndice();
            host.perform("tbEdit");
            for (auto it = mine.cbegin(); it != mine.cend(); ++it)
                host.child(it.key())->setProperty("text", it.value());

            BoxAnswerer answers(host.editor, {});
            worker.send({{"do", "save"}});
            host.perform("tbOK");
            const QVariantMap other = worker.reply();
            QStringList myBoxes; // the texts, without the titles
            for (const SeenBox& box : std::as_const(answers.seen))
                myBoxes << box.shown.section(u'|', 1);
            const QStringList theirBoxes = other.value("boxes").toStringList();
            const bool mineStored = myBoxes.isEmpty();
            won += mineStored;
            QCOMPARE(mineStored ? theirBoxes : myBoxes, QStringList{kConflict});
            QCOMPARE(mineStored ? myBoxes : theirBoxes, QStringList());
            QCOMPARE(mineStored ? json(other.value("fields").toMap()) : shown(host),
                     json(mineStored ? theirs : mine)); // the refused entries stay
            host.editor->LoadIndice();
            QCOMPARE(shown(host), json(mineStored ? mine : theirs));
        }
        qInfo("%s: %d races, this process won %d", qPrintable(engine), FAULT_ROUNDS, won);
        QVERIFY(worker.finish());
    }
};

QTEST_MAIN(TestRacingSaves)
#include "test_racing_saves.moc"
