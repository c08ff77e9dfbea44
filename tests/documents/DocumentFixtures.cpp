#include "DocumentFixtures.h"
#include "documents/Document.h"

#include <QDirIterator>
#include <QFile>

#include <zip.h>

static void require(bool holds, const char* what, const QString& path) {
    if (!holds)
        qFatal("%s: %s", what, qPrintable(path));
}

QString DocumentFixtures::copy(const QString& fixture, const QString& copyName) const {
    const QString target = m_folder.filePath(copyName.isEmpty() ? fixture : copyName);
    QFile::remove(target);
    require(QFile::copy(QStringLiteral(CTL_SOURCE_DIR "/tests/data/documents/") + fixture, target),
            "the fixture cannot be copied", target);
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    return target;
}

QList<PackageEntry> packageEntries(const QString& path) {
    QList<PackageEntry> entries;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, nullptr);
    for (zip_int64_t i = 0; archive && i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, zip_uint64_t(i), 0, &stat);
        const auto read = [&](zip_flags_t flags, zip_uint64_t size) {
            QByteArray bytes(qsizetype(size), '\0');
            if (zip_file_t* file = zip_fopen_index(archive, stat.index, flags)) {
                zip_fread(file, bytes.data(), size);
                zip_fclose(file);
            }
            return bytes;
        };
        entries.append({QString::fromUtf8(stat.name), read(ZIP_FL_COMPRESSED, stat.comp_size),
                        read(0, stat.size)});
    }
    if (archive)
        zip_discard(archive);
    return entries;
}

QStringList storiesOf(K7X_DoruVevuzu::documents::Document& document, QStringList* names) {
    QStringList stories;
    for (int story = 0; story < document.storyCount(); ++story) {
        stories << document.text(story, 0, document.storyLength(story));
        if (names)
            *names << document.storyName(story);
    }
    return stories;
}

QStringList storiesOf(const QString& path, QStringList* names) {
    return storiesOf(*K7X_DoruVevuzu::documents::Document::open(path), names);
}

int referencesIn(const QString& path, const QString& code) {
    return int(storiesOf(path).join(u'\n').count(QStringLiteral("Indice(\"%1\")").arg(code),
                                                 Qt::CaseInsensitive));
}

void writePackage(const QString& path, const Parts& parts) {
    zip_t* archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
    require(archive, "the package cannot be created", path);
    for (const auto& [name, content] : parts) {
        zip_source_t* source = zip_source_buffer(archive, content.constData(), content.size(), 0);
        require(zip_file_add(archive, name.toUtf8().constData(), source, 0) >= 0,
                "a part cannot be added", name);
    }
    require(zip_close(archive) == 0, "the package cannot be written", path);
}

Parts formatParts(const QString& path) {
    if (path.endsWith(QStringLiteral(".odt")))
        return {{"mimetype", "application/vnd.oasis.opendocument.text"}};
    return {{"[Content_Types].xml", "<Types/>"},
            {"word/_rels/document.xml.rels",
             R"(<Relationships><Relationship Type="x/header" Target="header1.xml"/>)"
             R"(<Relationship Type="x/footnotes" Target="footnotes.xml"/></Relationships>)"}};
}

void writeDocument(const QString& path, const QByteArray& body) {
    const bool odt = path.endsWith(QStringLiteral(".odt"));
    writePackage(path, formatParts(path) << Parts::value_type(
                           odt ? "content.xml" : "word/document.xml",
                           odt ? "<office:document-content><office:body><office:text>" + body +
                                     "</office:text></office:body></office:document-content>"
                               : "<w:document><w:body>" + body + "</w:body></w:document>"));
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    require(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(),
            "the file cannot be written", path);
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
