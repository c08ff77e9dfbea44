#include "DocumentFixtures.h"
#include "documents/Document.h"

#include <QDirIterator>
#include <QFile>
#include <QtTest>

#include <zip.h>

DocumentFixtures::DocumentFixtures() {
    QVERIFY(m_folder.isValid());
}

QString DocumentFixtures::copy(const QString& fixture, const QString& copyName) const {
    const QString source = QStringLiteral(CTL_SOURCE_DIR "/tests/data/documents/") + fixture;
    const QString target = m_folder.filePath(copyName.isEmpty() ? fixture : copyName);
    QFile::remove(target);
    if (!QFile::copy(source, target))
        qFatal("fixture %s cannot be copied", qPrintable(fixture));
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    return target;
}

namespace {

QByteArray readEntry(zip_t* archive, zip_uint64_t index, zip_flags_t flags, zip_uint64_t size) {
    QByteArray bytes(static_cast<qsizetype>(size), '\0');
    zip_file_t* file = zip_fopen_index(archive, index, flags);
    if (!file || zip_fread(file, bytes.data(), size) != static_cast<zip_int64_t>(size))
        bytes = "<unreadable>";
    if (file)
        zip_fclose(file);
    return bytes;
}

} // namespace

QList<PackageEntry> packageEntries(const QString& path) {
    QList<PackageEntry> entries;
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!archive)
        return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat);
        PackageEntry entry;
        entry.name = QString::fromUtf8(stat.name);
        entry.method = stat.comp_method;
        entry.compressed = readEntry(archive, stat.index, ZIP_FL_COMPRESSED, stat.comp_size);
        entry.content = readEntry(archive, stat.index, 0, stat.size);
        entries.append(entry);
    }
    zip_discard(archive);
    return entries;
}

QByteArray packagePart(const QString& path, const QString& part) {
    for (const PackageEntry& entry : packageEntries(path)) {
        if (entry.name == part)
            return entry.content;
    }
    return {};
}

int referencesIn(const QString& path, const QString& code) {
    const auto document = K7X_DoruVevuzu::documents::Document::open(path);
    const QString reference = QStringLiteral("Indice(\"%1\")").arg(code);
    int count = 0;
    for (int story = 0; story < document->storyCount(); ++story)
        count += static_cast<int>(document->text(story, 0, document->storyLength(story))
                                      .count(reference, Qt::CaseInsensitive));
    return count;
}

void writePackage(const QString& path, const QList<QPair<QString, QByteArray>>& parts) {
    int error = 0;
    zip_t* archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    QVERIFY(archive);
    for (const auto& [name, content] : parts) {
        zip_source_t* source = zip_source_buffer(archive, content.constData(), content.size(), 0);
        QVERIFY(zip_file_add(archive, name.toUtf8().constData(), source, 0) >= 0);
    }
    QCOMPARE(zip_close(archive), 0);
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QMap<QString, QByteArray> snapshot(const QString& folder) {
    QMap<QString, QByteArray> files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QString path = it.next();
        files.insert(path, bytesOf(path));
    }
    return files;
}
