// Documents for the document, fault and hostile tests and the document fuzzer: writable copies
// of the committed fixtures in a private folder, packages built from a few lines of body markup,
// the raw view of a package and the references a document shows. A fixture that cannot be made
// stops the run.
#pragma once

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
// How many references to `code` (any case) the document shows, over all its stories.
int referencesIn(const QString& path, const QString& code);
void writePackage(const QString& path, const Parts& parts); // deflated, in the order given
// A .docx's content types and main part relationships (to a header and footnotes), or an
// .odt's mimetype, by the path's suffix: the parts besides the main part.
Parts formatParts(const QString& path);
// Writes a .docx or .odt whose body holds `body` (w: or text: markup).
void writeDocument(const QString& path, const QByteArray& body);
QByteArray bytesOf(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);
QMap<QString, QByteArray> snapshot(const QString& folder); // every file under it, with its bytes
