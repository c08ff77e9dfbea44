// Documents for the tests and the document fuzzer: fixture copies, hand-made packages, a package's
// raw view and the stories a document shows; a fixture that cannot be made stops the run.
#pragma once

#include "documents/Document.h"

#include <QList>
#include <QMap>
#include <QPair>
#include <QTemporaryDir>

struct PackageEntry {
    QString name;
    QByteArray compressed; // the bytes as stored in the package
    QByteArray content;    // inflated
};
using Parts = QList<QPair<QString, QByteArray>>; // a package's parts: name, content

struct DocumentFixtures {
    // Copies tests/data/documents/<fixture> into the folder (as `copyName` when given).
    QString copy(const QString& fixture, const QString& copyName = QString()) const;
    QString folder() const { return m_folder.path(); }
    QTemporaryDir m_folder;
};

QList<PackageEntry> packageEntries(const QString& path);
// The text of every story of the document (at `path`), in order; their names into `names` if given.
QStringList storiesOf(K7X_DoruVevuzu::documents::Document& document, QStringList* names = nullptr);
QStringList storiesOf(const QString& path, QStringList* names = nullptr);
// How many references to `code` (any case) the document shows, over all its stories.
int referencesIn(const QString& path, const QString& code);
void writePackage(const QString& path, const Parts& parts); // deflated, in the order given
// The parts besides the main part, by the suffix: a .docx's content types and relationships (to
// a header and footnotes), an .odt's mimetype.
Parts formatParts(const QString& path);
// Writes a .docx or .odt whose body holds `body` (w: or text: markup).
void writeDocument(const QString& path, const QByteArray& body);
QByteArray bytesOf(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);
QMap<QString, QByteArray> snapshot(const QString& folder); // every file under it, with its bytes
