// Hostile documents for the tests and the document benchmark: shapes no word processor writes,
// small on disk and made at any size, each aimed at one of the engine's limits.
#pragma once

#include <QString>

namespace hostile {

// A .docx of `bytes` of empty paragraphs, each followed by one of the first `letters` letters
// (none for 0): 26 deflate 10:1, none or one 1000:1.
void emptyParagraphs(const QString& path, qsizetype bytes, int letters = 0);
// A .docx of `count` text boxes showing Indice("A1"), with their fallback copies in one block.
void textBoxes(const QString& path, int count);
// A .docx whose section properties (which no story shows) hold `depth` alternatives blocks, each
// in the choice of the one before.
void nestedAlternatives(const QString& path, int depth);
// A .docx whose text box holds a text box, and so on `depth` deep.
void nestedTextBoxes(const QString& path, int depth);
// A .docx paragraph of `count` fields begun and shown, none ended, then `count` runs of text.
void openFields(const QString& path, int count);
// An .odt whose body holds `count` runs of 65,535 spaces.
void spaceRuns(const QString& path, int count);
// A .docx whose body and `count` headers are each `bytes` of one letter.
void manyHeaders(const QString& path, int count, qsizetype bytes);

} // namespace hostile
