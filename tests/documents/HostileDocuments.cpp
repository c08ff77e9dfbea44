#include "HostileDocuments.h"
#include "DocumentFixtures.h"

#include <random>

void hostile::emptyParagraphs(const QString& path, qsizetype bytes, int letters) {
    std::mt19937 random(16);
    QByteArray body;
    body.reserve(bytes);
    while (body.size() < bytes)
        body += letters ? "<w:p/>" + QByteArray(1, char('a' + random() % letters)) : "<w:p/>";
    writeDocument(path, body);
}

void hostile::textBoxes(const QString& path, int count) {
    const QByteArray boxes =
        QByteArray(
            R"(<w:txbxContent><w:p><w:r><w:t>Indice("A1")</w:t></w:r></w:p></w:txbxContent>)")
            .repeated(count);
    writeDocument(path, "<w:p><w:r><mc:AlternateContent><mc:Choice>" + boxes +
                            "</mc:Choice><mc:Fallback>" + boxes +
                            "</mc:Fallback></mc:AlternateContent></w:r></w:p>");
}

void hostile::nestedAlternatives(const QString& path, int depth) {
    writeDocument(
        path, "<w:p/><w:sectPr>" + QByteArray("<mc:AlternateContent><mc:Choice>").repeated(depth) +
                  QByteArray("</mc:Choice></mc:AlternateContent>").repeated(depth) + "</w:sectPr>");
}

void hostile::nestedTextBoxes(const QString& path, int depth) {
    writeDocument(path, "<w:p><w:r><w:pict>" + QByteArray("<w:txbxContent>").repeated(depth) +
                            QByteArray("</w:txbxContent>").repeated(depth) +
                            "</w:pict></w:r></w:p>");
}

void hostile::openFields(const QString& path, int count) {
    writeDocument(path, "<w:p>" +
                            QByteArray(R"(<w:fldChar w:fldCharType="begin"/>)"
                                       R"(<w:fldChar w:fldCharType="separate"/>)")
                                .repeated(count) +
                            QByteArray("<w:t>x</w:t>").repeated(count) + "</w:p>");
}

void hostile::spaceRuns(const QString& path, int count) {
    writeDocument(path, "<text:p>" + QByteArray(R"(<text:s text:c="65535"/>)").repeated(count) +
                            "</text:p>");
}

void hostile::manyHeaders(const QString& path, int count, qsizetype bytes) {
    const QByteArray text = "<w:t>" + QByteArray(bytes, 'x') + "</w:t>";
    Parts parts{{"[Content_Types].xml", "<Types/>"}, {"word/document.xml", text}};
    QByteArray relationships = "<Relationships>";
    for (int k = 0; k < count; ++k) {
        const QByteArray header = "header" + QByteArray::number(k) + ".xml";
        relationships += R"(<Relationship Type="x/header" Target=")" + header + "\"/>";
        parts << Parts::value_type("word/" + header, text);
    }
    writePackage(path, parts << Parts::value_type("word/_rels/document.xml.rels",
                                                  relationships + "</Relationships>"));
}
