// The form as a host sees it: design size, resizing in twips, focus order, tabs and tools.
#include "form/FormHarness.h"

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>

namespace {

constexpr double kTwipsPerPixel = 15;

QRect pixels(const QRectF& twips) {
    return QRect(qRound(twips.x() / kTwipsPerPixel), qRound(twips.y() / kTwipsPerPixel),
                 qRound(twips.width() / kTwipsPerPixel), qRound(twips.height() / kTwipsPerPixel));
}

const QStringList kFrames{"FrameGenerale", "FrameFormula", "FrameValori"};
const QStringList kFixed{"txtCodice",       "cmbGrafico",       "ChkRelGest",     "txtValErr",
                         "txtValoreScarso", "txtValoreNormale", "txtValoreBuono", "Label1",
                         "Label15",         "Label16"};

} // namespace

class TestFormLayout : public QObject {
    Q_OBJECT
private slots:
    void resize_data() {
        QTest::addColumn<int>("W");
        QTest::addColumn<int>("H");
        QTest::addColumn<QRectF>("tabs");
        QTest::addColumn<double>("descrizione");
        QTest::addColumn<double>("testo");
        QTest::addColumn<double>("formula");
        QTest::addColumn<double>("buttonLeft");
        QTest::addColumn<double>("comment");
        // Every row starts from the component shown at the design size.
        QTest::newRow("design size") << 10440 << 7005 << QRectF(0, 885, 10440, 6120) << 5900.0
                                     << 8660.0 << 8345.0 << 9845.0 << 6440.0;
        QTest::newRow("narrower than 4540") << 3000 << 7005 << QRectF(0, 885, 3000, 6120) << 5900.0
                                            << 1220.0 << 905.0 << 2405.0 << 6440.0;
        QTest::newRow("narrower than every limit")
            << 1500 << 7005 << QRectF(0, 885, 1500, 6120) << 5900.0 << 8660.0 << 8345.0 << 9845.0
            << 6440.0;
        QTest::newRow("lower than bar and toolbar")
            << 9000 << 750 << QRectF(0, 885, 10440, 6120) << 5900.0 << 8660.0 << 8345.0 << 9845.0
            << 6440.0;
        QTest::newRow("taller") << 10440 << 9000 << QRectF(0, 885, 10440, 8115) << 5900.0 << 8660.0
                                << 8345.0 << 9845.0 << 6440.0;
    }

    void resize() {
        QFETCH(int, W);
        QFETCH(int, H);
        QFETCH(QRectF, tabs);
        FormHarness form;
        QMap<QString, QRectF> before;
        for (const QString& name : kFixed + kFrames)
            before[name] = form.twips(name);

        const QSize size(W / 15, H / 15);
        form.editor->resize(size);
        QCOMPARE(form.editor->size(), size); // the children never dictate the component's size

        QCOMPARE(form.twips("picCaption"), QRectF(0, 0, W, 435));
        QCOMPARE(form.twips("lblCaption").topLeft(), QPointF(90, 90));
        QCOMPARE(form.twips("DS1"), QRectF(0, 435, W, 450));
        QCOMPARE(form.twips("sstIndice"), tabs);
        const double strip = form.control<QTabWidget>("sstIndice")->tabBar()->height() * 15.0;
        for (const QString& frame : kFrames) {
            QCOMPARE(form.twips(frame).topLeft(), before[frame].topLeft());
            QCOMPARE(form.twips(frame).size(),
                     QSizeF(tabs.width() - 80, tabs.height() - strip - 40));
        }
        for (const QString& name : kFixed)
            QCOMPARE(form.twips(name), before[name]);

        QTEST(form.twips("txtDescrizione").width(), "descrizione");
        QTEST(form.twips("txtTesto").width(), "testo");
        for (const char* box : {"txtFormulaCondizione", "txtFormulaAllora", "txtFormulaAltrimenti",
                                "txtFormulaSimbolica"})
            QTEST(form.twips(box).width(), "formula");
        for (const char* button : {"cmdFormula_0", "cmdFormula_1", "cmdFormula_2"})
            QTEST(form.twips(button).left(), "buttonLeft");
        for (const char* comment :
             {"txtDescrizioneScarso", "txtDescrizioneNormale", "txtDescrizioneBuono"}) {
            QTEST(form.twips(comment).width(), "comment");
            QCOMPARE(form.twips(comment).height(), 675.0);
        }

        // Pixel geometry follows the twips, the frames inside the tab control.
        for (QWidget* w : form.editor->findChildren<QWidget*>()) {
            const QRectF t = w->property("twips").toRectF();
            if (t.isNull())
                continue;
            if (kFrames.contains(w->objectName()))
                QCOMPARE(w->mapTo(form.control("sstIndice"), QPoint()), pixels(t).topLeft());
            else
                QCOMPARE(w->geometry(), pixels(t));
        }
    }

    void focusOrderRunsAcrossTheTabs() {
        FormHarness form;
        const QStringList order =
            QStringLiteral("txtCodice txtDescrizione txtTesto cmbGrafico ChkRelGest "
                           "txtFormulaCondizione cmdFormula_0 txtFormulaAllora cmdFormula_1 "
                           "txtFormulaAltrimenti cmdFormula_2 txtFormulaSimbolica txtValErr "
                           "txtValoreScarso txtDescrizioneScarso txtValoreNormale "
                           "txtDescrizioneNormale txtValoreBuono txtDescrizioneBuono")
                .split(u' ');
        QMap<QWidget*, QString> keyboards;
        for (const QString& name : order)
            keyboards[form.keyboard(name)] = name;
        QStringList seen;
        QWidget* w = form.keyboard("txtCodice");
        for (int steps = 0; steps < 1000; ++steps) { // the ring closes, every link both ways
            QCOMPARE(w->nextInFocusChain()->previousInFocusChain(), w);
            if (keyboards.contains(w) && !seen.contains(keyboards[w]))
                seen << keyboards[w];
            w = w->nextInFocusChain();
            if (w == form.keyboard("txtCodice"))
                break;
        }
        QCOMPARE(w, form.keyboard("txtCodice"));
        QCOMPARE(seen, order);

        form.keyboard("txtCodice")->setFocus();
        QTest::keyClick(form.keyboard("txtCodice"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form.keyboard("txtDescrizione"));

        auto* tabs = form.control<QTabWidget>("sstIndice"); // each tab holds its own frame
        QCOMPARE(tabs->count(), kFrames.size());
        for (int i = 0; i < tabs->count(); ++i)
            QCOMPARE(tabs->widget(i)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly),
                     QList<QWidget*>{form.control(kFrames[i])});
    }

    // At the design size, before any index is loaded: the three tools in their order, Edit alone
    // enabled; the caption label sized to its text (and centred in its bar after a resize). The
    // three tabs are saved as one picture, one under the other.
    void designSize() {
        FormHarness form;
        QStringList keys;
        for (QAction* tool : form.control<QToolBar>("DS1")->actions()) {
            keys << tool->objectName() + (tool->isEnabled() ? "+" : "-");
            QVERIFY(tool->isVisible() && !tool->icon().isNull());
        }
        QCOMPARE(keys, QStringList({"tbEdit+", "tbOK-", "tbCancel-"}));

        form.editor->setCaption(QStringLiteral("IND01 - Indice di liquidità corrente"));
        auto* label = form.control<QLabel>("lblCaption");
        QCOMPARE(label->size(), label->sizeHint());
        QCOMPARE(form.twips("lblCaption").size(), QSizeF(label->size()) * 15);
        form.control("txtCodice")->setProperty("text", "IND01");
        form.control("txtDescrizione")->setProperty("text", "Indice di liquidità corrente");
        form.control("txtFormulaCondizione")->setProperty("text", "Indice(\"PASSCORR\") <> 0");
        form.control("txtFormulaAllora")
            ->setProperty("text", "Indice(\"ATTCORR\") / Indice(\"PASSCORR\")");
        auto* tabs = form.control<QTabWidget>("sstIndice");
        const QSize size = form.editor->size();
        QCOMPARE(size, QSize(696, 467));
        QImage sheet(size.width(), size.height() * tabs->count(), QImage::Format_ARGB32);
        QPainter painter(&sheet);
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            painter.drawPixmap(0, i * size.height(), form.editor->grab());
        }
        painter.end();
        QVERIFY(sheet.save(QStringLiteral(CTL_BINARY_DIR "/form.png")));

        form.editor->resize(800, 500);
        const double m = (435 - form.twips("lblCaption").height()) / 2;
        QCOMPARE(form.twips("lblCaption").topLeft(), QPointF(m, m));
    }
};

QTEST_MAIN(TestFormLayout)
#include "test_form_layout.moc"
