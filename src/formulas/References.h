// The reference rule of the formula language: which pieces of a script name an index code, and
// what a rename writes in their place. ReplaceIndice and the report document update both use it,
// so a document field is rewritten exactly as a stored formula.
//
// A reference is the keyword "Indice(" (any case, found anywhere, also as the tail of a longer
// name such as MaxIndice) up to the first ")" after it. It names the old code when its
// argument, without the white space around it, is the old code quoted as the formula language
// quotes it, compared by the codes' case rule (CTextUtil::SameCode). A matching reference is
// written back as Indice("NEW"). Finding them is one pass, linear in the script.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace K7X_DoruVevuzu::formulas {

// One reference to rewrite: script[from, to) becomes the rename's `written` text.
struct ReferenceRange {
    qsizetype from = 0;
    qsizetype to = 0;
};

struct ReferenceRewrite {
    std::vector<ReferenceRange> ranges; // in order, none overlapping
    QString written;                    // Indice("NEW"), as the language quotes it
    // The script with every range rewritten; its length is checked by the caller.
    QString appliedTo(QStringView script) const;
    qsizetype rewrittenLength(qsizetype scriptLength) const;
};

// The references of `script` that name `oldCode`, and what each becomes when renamed to `newCode`.
ReferenceRewrite findReferences(QStringView script, const QString& oldCode, const QString& newCode);

// The codes the references of `script` name (an argument that is a code quoted as the language
// quotes it), unquoted, in order: the codes findReferences would find there.
QStringList referencedCodes(QStringView script);

} // namespace K7X_DoruVevuzu::formulas
