// The form as a host and a user meet it: typing into the fields, the lock rule over every edit
// state, standard flag and right, and the layout in twips, the focus order and the tools.
#include "support/Host.h"

#include "widgets/TextField.h"

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>

namespace {

// The host's service, its right to edit standard indices counted and failing on request.
class RightsService : public TestService {
public:
    using TestService::TestService;
    bool CanEditStandard() override {
        ++asked;
        if (fails)
            throw RuntimeError(RuntimeError::ObjectError, "K7XBO_Global", "Diritti non leggibili");
        return TestService::CanEditStandard();
    }
    int asked = 0;
    bool fails = false;
};

// The fields by lock rule besides the code: the content (the right asked for each), the free.
const QStringList kContent =
    QStringLiteral("txtDescrizione txtFormulaAllora txtFormulaAltrimenti txtFormulaCondizione "
                   "txtFormulaSimbolica txtTesto txtValoreBuono txtDescrizioneBuono "
                   "txtValoreNormale txtDescrizioneNormale txtValoreScarso txtDescrizioneScarso "
                   "cmbGrafico cmdFormula_0 cmdFormula_1 cmdFormula_2")
        .split(u' ');
const QStringList kFree{"txtValErr", "ChkRelGest"};
const QStringList kFrames{"FrameGenerale", "FrameFormula", "FrameValori"};

QRectF twips(const QWidget* control) {
    return control->property("twips").toRectF();
}

} // namespace

class TestForm : public QObject {
    Q_OBJECT
private slots:
    // The user types into a field of a form with nothing loaded (numbers in the locale's way);
    // then code writes the same value (no change) and a long text (taken whole, unfiltered).
    void typing_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("changes");
        const auto row = [](const char* name, const char* locale, const char* field,
                            const QString& typed, const QString& shown, int changes) {
            QTest::newRow(name) << locale << field << typed << shown << changes;
        };
        row("single line", "C", "txtDescrizione", "abc", "abc", 3);
        row("multi-line", "C", "txtTesto", "a b", "a b", 3);
        row("maximum length", "C", "txtDescrizione", QString(55, 'x'), QString(50, 'x'), 50);
        row("it: sign, groups, decimal", "it_IT", "txtValErr", "-1.234,56", "-1.234,56", 9);
        row("it: letters refused", "it_IT", "txtValoreScarso", "12a3", "123", 3);
        row("it: one decimal separator", "it_IT", "txtValErr", "1,2,3", "1,23", 4);
        row("it: sign only in front", "it_IT", "txtValErr", "1-2+", "12", 2);
        row("C: sign, groups, decimal", "C", "txtValErr", "+1,234.5", "+1,234.5", 8);
        row("C: one decimal separator", "C", "txtValErr", "1.2.3", "1.23", 4);
        row("C: no exponent", "C", "txtValErr", "1e5", "15", 2);
    }
    void typing() {
        QFETCH(QString, locale);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QLocale::setDefault(QLocale(locale));
        TestHost host(QStringLiteral("sqlite"), QString());
        host.set(field, QString());
        QSignalSpy changes(host.child(field), SIGNAL(Change()));
        QTest::keyClicks(host.keyboard(field), typed);
        QCOMPARE(host.text(field), shown);
        QTEST(int(changes.size()), "changes");
        changes.clear();
        host.set(field, shown);
        host.set(field, QString(60, 'y') + "abc");
        QCOMPARE(changes.size(), 1);
        QCOMPARE(host.text(field), QString(60, 'y') + "abc");
        QLocale::setDefault(QLocale::c());
    }

    // LockFields(E) with A (adding), S (standard) and the host's answer to CanEditStandard (R
    // yes or no, a failing question, no service): the code opens for E and A, the content for
    // ((R or not S) and E) or A, the free fields for E; content whose question fails keeps its
    // state (open, as designed). The user then tries every field: only an open one takes the
    // change and marks the form modified; a closed list shows no popup, keeps the look of an
    // enabled one and still takes the component's writes; a closed field still takes the focus.
    void lockRule_data() {
        QTest::addColumn<bool>("E");
        QTest::addColumn<bool>("A");
        QTest::addColumn<bool>("S");
        QTest::addColumn<QString>("R");
        for (int bits = 0; bits < 16; ++bits) {
            const bool E = bits & 8, A = bits & 4, S = bits & 2, R = bits & 1;
            QTest::addRow("E%d A%d S%d R%d", E, A, S, R) << E << A << S << QString::number(R);
        }
        for (const char* R : {"fails", "none"}) {
            QTest::addRow("E0 R %s", R) << false << false << false << R;
            QTest::addRow("E1 S1 R %s", R) << true << false << true << R;
        }
    }
    void lockRule() {
        QFETCH(bool, E);
        QFETCH(bool, A);
        QFETCH(bool, S);
        QFETCH(QString, R);
        TestHost host(QStringLiteral("sqlite"), QString());
        RightsService rights(host.database.db());
        rights.setCanEditStandard(R == "1");
        rights.fails = R == "fails";
        host.editor->setCGlobal(R == "none" ? nullptr : &rights);
        BoxAnswerer boxes(host.editor); // without a service every key press is reported
        Probe::lock(*host.editor, E, A, S);
        QCOMPARE(rights.asked, R == "none" ? 0 : 16);
        auto* code = host.child<K7X_DoruVevuzu::widgets::TextField>("txtCodice");
        QVERIFY(code->locked()); // the locked switch belongs to add mode
        QCOMPARE(code->editEnabled(), E && A);
        if (E)
            QCOMPARE(QApplication::focusWidget(),
                     host.keyboard(A ? "txtCodice" : "txtDescrizione"));
        host.keyboard("txtTesto")->setFocus();
        QCOMPARE(QApplication::focusWidget(), host.keyboard("txtTesto"));
        const bool content = R == "fails" || R == "none" || ((R == "1" || !S) && E) || A;
        for (const QString& name : kContent + kFree) {
            const bool open = kFree.contains(name) ? E : content;
            const QVariant user = host.child(name)->property("userEditable");
            QVERIFY2((user.isValid() ? user.toBool() : host.child(name)->isEnabled()) == open,
                     qPrintable(name));
            if (name.startsWith("cmd"))
                continue;
            Probe::modified(*host.editor) = false;
            QWidget* keyboard = host.keyboard(name);
            QTest::keyClick(keyboard, name == "cmbGrafico"   ? Qt::Key_Down
                                      : name == "ChkRelGest" ? Qt::Key_Space
                                                             : Qt::Key_7);
            QVERIFY2(Probe::modified(*host.editor) == open, qPrintable(name));
        }
        host.chart()->setCurrentIndex(1);
        QWheelEvent wheel(QPointF(5, 5), host.chart()->mapToGlobal(QPointF(5, 5)), {}, {0, -120},
                          Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(host.chart(), &wheel);
        QTest::mouseClick(host.chart(), Qt::LeftButton);
        QCOMPARE(host.chart()->currentIndex(), content ? 2 : 1);
        QCOMPARE(QApplication::activePopupWidget() != nullptr, content);
        host.chart()->hidePopup();
        host.chart()->setCurrentIndex(3);
        QCOMPARE(host.chart()->currentIndex(), 3);
        QVERIFY(host.chart()->isEnabled());
    }

    // From the design size to W x H twips: the caption bar, the toolbar and the tab control follow
    // the width, the tabs the height, a negative size skips its part; the frames fill the tabs;
    // the resized fields change only their widths ("moved" ones their left), the rest stays. The
    // pixel geometry follows the twips, the frames' inside the tab control.
    void resize_data() {
        QTest::addColumn<int>("W");
        QTest::addColumn<int>("H");
        QTest::addColumn<QRectF>("tabs");
        QTest::addColumn<QString>("widths"); // as many as the resized fields below
        const QString design = "5900 8660 8345 8345 8345 8345 9845 9845 9845 6440 6440 6440";
        QTest::newRow("design size") << 10440 << 7005 << QRectF(0, 885, 10440, 6120) << design;
        QTest::newRow("narrower than 4540")
            << 3000 << 7005 << QRectF(0, 885, 3000, 6120)
            << "5900 1220 905 905 905 905 2405 2405 2405 6440 6440 6440";
        QTest::newRow("narrower than every limit")
            << 1500 << 7005 << QRectF(0, 885, 1500, 6120) << design;
        QTest::newRow("lower than bar and toolbar")
            << 9000 << 750 << QRectF(0, 885, 10440, 6120) << design;
        QTest::newRow("taller") << 10440 << 9000 << QRectF(0, 885, 10440, 8115) << design;
    }
    void resize() {
        QFETCH(int, W);
        QFETCH(int, H);
        QFETCH(QRectF, tabs);
        QFETCH(QString, widths);
        const QStringList resized =
            QStringLiteral(
                "txtDescrizione txtTesto txtFormulaCondizione txtFormulaAllora "
                "txtFormulaAltrimenti "
                "txtFormulaSimbolica cmdFormula_0 cmdFormula_1 cmdFormula_2 txtDescrizioneScarso "
                "txtDescrizioneNormale txtDescrizioneBuono")
                .split(u' ');
        TestHost host(QStringLiteral("sqlite"), QString());
        host.editor->resize(696, 467);
        QMap<const QWidget*, QRectF> expected;
        for (const QWidget* w : host.editor->findChildren<QWidget*>())
            if (!twips(w).isNull())
                expected[w] = twips(w);
        host.editor->resize(W / 15, H / 15);
        QCOMPARE(host.editor->size(), QSize(W / 15, H / 15)); // the children never dictate it
        expected[host.child("picCaption")] = QRectF(0, 0, W, 435);
        expected[host.child("lblCaption")].moveTopLeft(QPointF(90, 90));
        expected[host.child("DS1")] = QRectF(0, 435, W, 450);
        expected[host.child("sstIndice")] = tabs;
        const double strip = host.child<QTabWidget>("sstIndice")->tabBar()->height() * 15.0;
        for (const QString& frame : kFrames)
            expected[host.child(frame)].setSize(
                QSizeF(tabs.width() - 80, tabs.height() - strip - 40));
        for (qsizetype i = 0; i < resized.size(); ++i) {
            QRectF& rect = expected[host.child(resized[i])];
            const double value = widths.section(u' ', int(i), int(i)).toDouble();
            resized[i].startsWith("cmd") ? rect.moveLeft(value) : rect.setWidth(value);
        }
        for (auto [w, t] : expected.asKeyValueRange()) {
            QCOMPARE(twips(w), t);
            const QRect pixels(qRound(t.x() / 15), qRound(t.y() / 15), qRound(t.width() / 15),
                               qRound(t.height() / 15));
            if (kFrames.contains(w->objectName()))
                QCOMPARE(w->mapTo(host.child("sstIndice"), QPoint()), pixels.topLeft());
            else
                QCOMPARE(w->geometry(), pixels);
        }
    }

    // Tab runs through every field across the tabs, the ring closed, each link both ways; each
    // tab holds its own frame.
    void focusOrder() {
        TestHost host(QStringLiteral("sqlite"), QString());
        const QStringList order =
            QStringLiteral("txtCodice txtDescrizione txtTesto cmbGrafico ChkRelGest "
                           "txtFormulaCondizione cmdFormula_0 txtFormulaAllora cmdFormula_1 "
                           "txtFormulaAltrimenti cmdFormula_2 txtFormulaSimbolica txtValErr "
                           "txtValoreScarso txtDescrizioneScarso txtValoreNormale "
                           "txtDescrizioneNormale txtValoreBuono txtDescrizioneBuono")
                .split(u' ');
        QStringList seen;
        QWidget* w = host.keyboard("txtCodice");
        for (int steps = 0; steps < 1000 && (!steps || w != host.keyboard("txtCodice")); ++steps) {
            QCOMPARE(w->nextInFocusChain()->previousInFocusChain(), w);
            for (const QString& name : order)
                if (host.keyboard(name) == w && !seen.contains(name))
                    seen << name;
            w = w->nextInFocusChain();
        }
        QCOMPARE(w, host.keyboard("txtCodice"));
        QCOMPARE(seen, order);
        host.keyboard("txtCodice")->setFocus();
        QTest::keyClick(host.keyboard("txtCodice"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), host.keyboard("txtDescrizione"));
        auto* tabs = host.child<QTabWidget>("sstIndice");
        QCOMPARE(tabs->count(), kFrames.size());
        for (int i = 0; i < tabs->count(); ++i)
            QCOMPARE(tabs->widget(i)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly),
                     QList<QWidget*>{host.child(kFrames[i])});
    }

    // Before any index is loaded: the three tools in their order, Edit alone enabled; the caption
    // label sized to its text, centred in its bar after a resize. The three tabs at the design
    // size are saved as one picture, one under the other.
    void tools() {
        TestHost host(QStringLiteral("sqlite"), QString());
        QStringList keys;
        for (QAction* tool : host.child<QToolBar>("DS1")->actions()) {
            keys << tool->objectName() + (tool->isEnabled() ? "+" : "-");
            QVERIFY(tool->isVisible() && !tool->icon().isNull());
        }
        QCOMPARE(keys, QStringList({"tbEdit+", "tbOK-", "tbCancel-"}));
        host.editor->setCaption(QStringLiteral("IND01 - Indice di liquidità corrente"));
        auto* label = host.child<QLabel>("lblCaption");
        QCOMPARE(label->size(), label->sizeHint());
        QCOMPARE(twips(label).size(), QSizeF(label->size()) * 15);
        host.editor->resize(696, 467);
        auto* tabs = host.child<QTabWidget>("sstIndice");
        QImage sheet(696, 467 * tabs->count(), QImage::Format_ARGB32);
        QPainter painter(&sheet);
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            painter.drawPixmap(0, i * 467, host.editor->grab());
        }
        painter.end();
        QVERIFY(sheet.save(QStringLiteral(CTL_BINARY_DIR "/form.png")));
        host.editor->resize(800, 500);
        const double m = (435 - twips(label).height()) / 2;
        QCOMPARE(twips(label).topLeft(), QPointF(m, m));
    }
};

QTEST_MAIN(TestForm)
#include "test_form.moc"
