// SaveBatch on a real folder: what a commit puts in place, what a failure or a dropped batch
// leaves, with batches small enough to stay unnamed and large enough to need named files.
#include "documents/SaveBatch.h"
#include "support/Raised.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

using K7X_DoruVevuzu::documents::SaveBatch;

namespace {

constexpr int kPastOpen = int(SaveBatch::kOpenAtOnce) + 4;

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class TestSaveBatch : public QObject {
    Q_OBJECT

    QTemporaryDir folder;

    QString pathOf(int file) const {
        return folder.filePath(QStringLiteral("doc%1.docx").arg(file));
    }
    // `files` documents holding "old k", readable by the group only besides their owner.
    void writeOld(int files) {
        QDir(folder.path()).removeRecursively();
        QVERIFY(QDir().mkpath(folder.path()));
        for (int k = 0; k < files; ++k) {
            QFile file(pathOf(k));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("old " + QByteArray::number(k));
            file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        }
    }
    QStringList everyName() const {
        return QDir(folder.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private slots:
    void batches_data() {
        QTest::addColumn<int>("files");
        QTest::addColumn<bool>("committed");
        QTest::addColumn<int>("directoryAt"); // a file whose place a folder took, or -1
        for (int files : {1, 3, kPastOpen}) {
            const QByteArray size = QByteArray::number(files) + " files";
            QTest::newRow(size + ", committed") << files << true << -1;
            QTest::newRow(size + ", dropped") << files << false << -1;
        }
        QTest::newRow("rename fails among the unnamed") << kPastOpen << true << 2;
        QTest::newRow("rename fails among the named") << kPastOpen << true << kPastOpen - 2;
    }
    void batches() {
        QFETCH(int, files);
        QFETCH(bool, committed);
        QFETCH(int, directoryAt);
        writeOld(files);
        const QStringList before = everyName();
        if (directoryAt >= 0) {
            QVERIFY(QFile::remove(pathOf(directoryAt)));
            QVERIFY(QDir().mkdir(pathOf(directoryAt)));
        }
        std::optional<SaveBatch> batch(std::in_place);
        for (int k = 0; k < files; ++k)
            batch->add(pathOf(k), "new " + QByteArray::number(k));
        const auto failure = raisedBy([&] {
            if (committed)
                batch->commit();
            batch.reset();
        });
        batch.reset();

        QCOMPARE(everyName(), before); // no temporary file left, whatever happened
        QCOMPARE(failure.description().isEmpty(), directoryAt < 0);
        if (directoryAt >= 0)
            QVERIFY2(failure.description().startsWith(
                         QStringLiteral("Impossibile salvare il documento 'doc%1.docx'")
                             .arg(directoryAt)),
                     qPrintable(failure.description()));
        for (int k = 0; k < files; ++k) {
            if (k == directoryAt)
                continue;
            const bool renewed = committed && (directoryAt < 0 || k < directoryAt);
            QCOMPARE(contentOf(pathOf(k)), (renewed ? "new " : "old ") + QByteArray::number(k));
            QCOMPARE(QFile::permissions(pathOf(k)) & ~QFile::Permissions(0x7700), QFile::ReadGroup);
        }
    }

    void aFolderThatIsNotThereIsRefusedInItalian() {
        SaveBatch batch;
        const auto failure =
            raisedBy([&] { batch.add(folder.filePath(QStringLiteral("nowhere/doc.docx")), "x"); });
        QVERIFY2(failure.description().startsWith(
                     QStringLiteral("Impossibile salvare il documento 'doc.docx'")),
                 qPrintable(failure.description()));
    }
};

QTEST_MAIN(TestSaveBatch)
#include "test_save_batch.moc"
