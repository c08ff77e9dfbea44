// Fixture documents for the document tests: fresh writable copies in a private folder, and
// the raw view of a package (its entries, their compressed bytes) that a test compares, and
// the formula references a document shows.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

struct PackageEntry {
    QString name;
    int method = 0;
    QByteArray compressed; // the bytes as stored in the package
    QByteArray content;    // inflated
};

class DocumentFixtures {
public:
    DocumentFixtures();
    // Copies tests/data/documents/<fixture> into the folder (as `copyName` when given).
    QString copy(const QString& fixture, const QString& copyName = QString()) const;
    QString folder() const { return m_folder.path(); }

private:
    QTemporaryDir m_folder;
};

QList<PackageEntry> packageEntries(const QString& path);
QByteArray packagePart(const QString& path, const QString& part);
// How many references to `code` (any case) the document shows, over all its stories.
int referencesIn(const QString& path, const QString& code);
// Writes a zip package with the given parts (name, content), deflated.
void writePackage(const QString& path, const QList<QPair<QString, QByteArray>>& parts);
QByteArray bytesOf(const QString& path);
// Every file under a folder (hidden ones too) with its bytes.
QMap<QString, QByteArray> snapshot(const QString& folder);
