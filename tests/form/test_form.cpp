// The form as a host and a user meet it: typing, the lock rule, the layout, a new instance.
#include "support/Host.h"

#include "widgets/TextField.h"

#include <K7X_DoruVevuzu/Translation.h>

#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>

using namespace Qt::StringLiterals;

namespace {

// The host's service, its right to edit standard indices counted and failing on request.
struct RightsService : TestService {
    using TestService::TestService;
    bool CanEditStandard() override {
        if (++asked && fails)
            throw RuntimeError(RuntimeError::ObjectError, "K7XBO_Global", "Diritti non leggibili");
        return TestService::CanEditStandard();
    }
    int asked = 0;
    bool fails = false;
};

// The fields in focus order: the code, then the content (the right asked for each) and the free.
const QStringList kFields =
    QStringLiteral("txtCodice txtDescrizione txtTesto cmbGrafico ChkRelGest txtFormulaCondizione "
                   "cmdFormula_0 txtFormulaAllora cmdFormula_1 txtFormulaAltrimenti cmdFormula_2 "
                   "txtFormulaSimbolica txtValErr txtValoreScarso txtDescrizioneScarso "
                   "txtValoreNormale txtDescrizioneNormale txtValoreBuono txtDescrizioneBuono")
        .split(u' ');
const QStringList kFree{"txtValErr", "ChkRelGest"};
const QStringList kFrames{"FrameGenerale", "FrameFormula", "FrameValori"};

QRectF twips(const QWidget* control) {
    return control->property("twips").toRectF();
}

} // namespace

// The host's right to edit standard indices, as the lock rule meets it.
enum class Right { Granted, Refused, Failing, NoService };
Q_DECLARE_METATYPE(Right)

class TestForm : public QObject {
    Q_OBJECT
private slots:
    // Typing into a field of an empty form (numbers in the locale's way), then two host writes.
    void typing_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("changes"); // by the typing
        const QLocale c = QLocale::c(), it(QLocale::Italian, QLocale::Italy);
        const QString text = "txtDescrizione", number = "txtValErr";
        QTest::newRow("text") << c << text << u"abc"_s << u"abc"_s << 3;
        QTest::newRow("formula") << c << u"txtFormulaCondizione"_s << u"a b"_s << u"a b"_s << 3;
        QTest::newRow("at most 50") << c << text << QString(55, 'x') << QString(50, 'x') << 50;
        QTest::newRow("no groups, it") << it << number << u"-1.234,56"_s << u"-1234,56"_s << 8;
        QTest::newRow("no letter") << it << u"txtValoreScarso"_s << u"12a3"_s << u"123"_s << 3;
        QTest::newRow("one comma") << it << number << u"1,2,3"_s << u"1,23"_s << 4;
        QTest::newRow("sign first") << it << number << u"1-2+"_s << u"12"_s << 2;
        QTest::newRow("no groups, C") << c << number << u"+1,234.5"_s << u"+1234.5"_s << 7;
        QTest::newRow("one point") << c << number << u"1.2.3"_s << u"1.23"_s << 4;
        QTest::newRow("exponent") << c << number << u"1e5"_s << u"1e5"_s << 3;
    }
    void typing() {
        QFETCH(QLocale, locale);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, changes);
        QLocale::setDefault(locale);
        const auto inC = qScopeGuard([] { QLocale::setDefault(QLocale::c()); });
        TestHost host(QStringLiteral("sqlite"), QString());
        host.set(field, QString()); // txtValErr starts at "0"
        QSignalSpy spy(host.child(field), SIGNAL(Change()));
        QTest::keyClicks(host.keyboard(field), typed);
        QCOMPARE(host.text(field), shown);
        host.set(field, shown);                       // the same value: no change
        host.set(field, QString(40000, 'y') + "abc"); // taken whole: one change
        QCOMPARE(host.text(field), QString(40000, 'y') + "abc");
        QCOMPARE(spy.size(), changes + 1);
    }

    // The lock rule on the widgets (the rule itself: test_edit_session): the code opens while
    // editing in add mode, the content as the rule says (as it was when the right cannot be asked),
    // the free fields while editing; only an open field takes a change, a closed one the focus.
    void lockRule_data() {
        QTest::addColumn<bool>("editing");
        QTest::addColumn<bool>("adding");
        QTest::addColumn<bool>("standard");
        QTest::addColumn<Right>("right");
        QTest::addColumn<bool>("content"); // open
        QTest::newRow("viewing") << false << false << false << Right::Granted << false;
        QTest::newRow("editing") << true << false << false << Right::Refused << true;
        QTest::newRow("editing a standard index without the right")
            << true << false << true << Right::Refused << false;
        QTest::newRow("editing a standard index with the right")
            << true << false << true << Right::Granted << true;
        QTest::newRow("adding") << true << true << true << Right::Refused << true;
        QTest::newRow("viewing, the host failing")
            << false << false << false << Right::Failing << true;
        QTest::newRow("viewing, no service") << false << false << false << Right::NoService << true;
        QTest::newRow("editing, no service") << true << false << true << Right::NoService << true;
    }
    void lockRule() {
        QFETCH(bool, editing);
        QFETCH(bool, adding);
        QFETCH(bool, standard);
        QFETCH(Right, right);
        QFETCH(bool, content);
        TestHost host(QStringLiteral("sqlite"), QString());
        RightsService rights(host.database.db());
        rights.setCanEditStandard(right == Right::Granted);
        rights.fails = right == Right::Failing;
        host.editor->setCGlobal(right == Right::NoService ? nullptr : &rights);
        BoxAnswerer boxes(host.editor); // without a service every key press is reported
        Probe::lock(*host.editor, editing, adding, standard);
        QCOMPARE(rights.asked, right == Right::NoService ? 0 : 16);
        auto* code = host.child<K7X_DoruVevuzu::widgets::TextField>("txtCodice");
        QVERIFY(code->locked() && code->editEnabled() == (editing && adding)); // add mode's switch
        if (editing)
            QCOMPARE(QApplication::focusWidget(),
                     host.keyboard(adding ? "txtCodice" : "txtDescrizione"));
        host.keyboard("txtTesto")->setFocus();
        QCOMPARE(QApplication::focusWidget(), host.keyboard("txtTesto"));
        for (const QString& name : kFields.mid(1)) { // a closed text or list looks grey
            const bool open = kFree.contains(name) ? editing : content;
            QWidget* keyboard = host.keyboard(name);
            const QVariant user = host.child(name)->property("userEditable");
            const bool white = keyboard->palette().color(QPalette::Base) ==
                               QApplication::palette(keyboard).color(QPalette::Base);
            Probe::setModified(*host.editor, false);
            const char* key = name == "cmbGrafico" ? "Down" : name == "ChkRelGest" ? "Space" : "7";
            QTest::keyClick(keyboard, QKeySequence(key)[0].key()); // a button ignores "7"
            QVERIFY2((user.isValid() ? user.toBool() == open && white == open
                                     : host.child(name)->isEnabled() == open) &&
                         Probe::modified(*host.editor) == (open && !name.startsWith("cmd")),
                     qPrintable(name));
        }
        auto* check = host.child<QCheckBox>("ChkRelGest"); // Space ticked it, a click unticks
        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(4, check->height() / 2));
        QCOMPARE(check->checkState(), Qt::Unchecked);
        auto* chart = host.child<QComboBox>("cmbGrafico");
        QWheelEvent wheel(QPointF(5, 5), chart->mapToGlobal(QPointF(5, 5)), {}, {0, -120},
                          Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(chart, &wheel);
        QTest::mouseClick(chart, Qt::LeftButton);
        QCOMPARE(chart->currentIndex(), content ? 1 : -1);
        QCOMPARE(QApplication::activePopupWidget() != nullptr, content);
        chart->setCurrentIndex(3);
        QVERIFY(chart->currentIndex() == 3 && chart->isEnabled());
    }

    // From the design size to a size in twips: bars and tabs follow it (a negative size skips its
    // part), the frames fill the tabs, the fields change only their widths (buttons their left).
    void resize_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSizeF>("tabs");
        QTest::addColumn<QList<int>>("widths"); // of the fields in focus order, 0: unchanged
        const QList<int> design{0,    5900, 8660, 0, 0,    8345, 9845, 8345, 9845, 8345,
                                9845, 8345, 0,    0, 6440, 0,    6440, 0,    6440};
        QTest::newRow("design size") << QSize(10440, 7005) << QSizeF(10440, 6120) << design;
        QTest::newRow("narrower than 4540")
            << QSize(3000, 7005) << QSizeF(3000, 6120)
            << QList<int>{0,    5900, 1220, 0, 0,    905, 2405, 905, 2405, 905,
                          2405, 905,  0,    0, 6440, 0,   6440, 0,   6440};
        QTest::newRow("narrower than every limit")
            << QSize(1500, 7005) << QSizeF(1500, 6120) << design;
        QTest::newRow("lower than bar and toolbar")
            << QSize(9000, 750) << QSizeF(10440, 6120) << design;
        QTest::newRow("taller") << QSize(10440, 9000) << QSizeF(10440, 8115) << design;
    }
    void resize() {
        QFETCH(QSize, size);
        QFETCH(QSizeF, tabs);
        QFETCH(QList<int>, widths);
        TestHost host(QStringLiteral("sqlite"), QString());
        host.editor->resize(696, 467);
        QMap<const QWidget*, QRectF> expected;
        for (const QWidget* w : host.editor->findChildren<QWidget*>())
            if (!twips(w).isNull())
                expected[w] = twips(w);
        host.editor->resize(size / 15);
        QCOMPARE(host.editor->size(), size / 15); // the children never dictate it
        expected[host.child("picCaption")] = QRectF(0, 0, size.width(), 435);
        expected[host.child("lblCaption")].moveTopLeft(QPointF(90, 90));
        expected[host.child("DS1")] = QRectF(0, 435, size.width(), 450);
        expected[host.child("sstIndice")] = QRectF(QPointF(0, 885), tabs);
        const double strip = host.child<QTabWidget>("sstIndice")->tabBar()->height() * 15.0;
        for (const QString& frame : kFrames)
            expected[host.child(frame)].setSize(
                QSizeF(tabs.width() - 80, tabs.height() - strip - 40));
        for (qsizetype i = 0; i < kFields.size(); ++i) {
            QRectF& rect = expected[host.child(kFields[i])];
            if (widths[i])
                kFields[i].startsWith("cmd") ? rect.moveLeft(widths[i]) : rect.setWidth(widths[i]);
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

    // A new instance in the host's language: texts, tools, chart types, the focus ring, a frame a
    // tab, the caption fitting its text, centred in its bar.
    void newInstance_data() {
        QTest::addColumn<QString>("language"); // empty: the host's
        QTest::addColumn<QString>("code");     // the first label
        QTest::addColumn<QString>("general");  // the first tab
        QTest::addColumn<QStringList>("tools");
        const QStringList italian{"Modifica", "Salva", "Annulla Modifiche"};
        QTest::newRow("host's") << QString() << u"Codice"_s << u"Generale"_s << italian;
        QTest::newRow("it") << u"it"_s << u"Codice"_s << u"Generale"_s << italian;
        QTest::newRow("en") << u"en"_s << u"Code"_s << u"General"_s
                            << QStringList{"Edit", "Save", "Undo Changes"};
    }
    void newInstance() {
        QFETCH(QString, language);
        QVERIFY(K7X_DoruVevuzu::loadTranslation(language));
        QCOMPARE(ctlIndici().size(), QSize(696, 467));
        TestHost host(QStringLiteral("sqlite"), QString());
        QVERIFY(!K7X_DoruVevuzu::loadTranslation(QStringLiteral("xx")));
        auto* tabs = host.child<QTabWidget>("sstIndice");
        QTEST(host.child<QLabel>("Label1")->text(), "code");
        QTEST(tabs->tabText(0), "general");
        QStringList names, tools; // only the edit tool enabled
        for (QAction* tool : host.child<QToolBar>("DS1")->actions()) {
            names << tool->objectName();
            tools << tool->text();
            QVERIFY(tool->isVisible() && !tool->icon().isNull());
            QCOMPARE(tool->isEnabled(), tool->objectName() == "tbEdit");
        }
        QCOMPARE(names, QStringList({"tbEdit", "tbOK", "tbCancel"}));
        QTEST(tools, "tools");
        const auto* chart = host.child<QComboBox>("cmbGrafico"); // chart types are not translated
        QCOMPARE(chart->currentIndex(), -1);
        QStringList charts;
        for (int i = 0; i < chart->count(); ++i)
            charts << chart->itemText(i);
        QCOMPARE(charts, QStringList({"", "Barre", "Linee", "Torta"}));
        QStringList seen; // the focus ring, walked once
        QWidget* w = host.keyboard("txtCodice");
        do {
            QCOMPARE(w->nextInFocusChain()->previousInFocusChain(), w);
            for (const QString& name : kFields)
                if (host.keyboard(name) == w)
                    seen << name;
        } while ((w = w->nextInFocusChain()) != host.keyboard("txtCodice"));
        QCOMPARE(seen, kFields);
        QStringList open = kFields; // Tab runs across the tabs, Shift+Tab back
        open.removeIf([&](const QString& name) { return !host.child(name)->isEnabled(); });
        host.keyboard("txtCodice")->setFocus();
        for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
            QStringList walked;
            for (int i = 1; i < open.size(); ++i) {
                QTest::keyClick(QApplication::focusWidget(), key);
                for (const QString& name : kFields)
                    if (host.keyboard(name) == QApplication::focusWidget())
                        walked << name + (host.child(name)->isVisible() ? "" : " hidden");
            }
            QCOMPARE(walked, key == Qt::Key_Tab ? open.mid(1)
                                                : QStringList(open.rbegin() + 1, open.rend()));
        }
        // A substitute face as wide as the design face (Courier New here) keeps the design size.
        QVERIFY(host.child("txtFormulaSimbolica")->font().pointSizeF() > 8.2);
        for (int i = 0; i < kFrames.size(); ++i) // a frame a tab
            QCOMPARE(host.child(kFrames[i])->parentWidget(), tabs->widget(i));
        host.editor->setCaption(QStringLiteral("IND01 - Indice di liquidità corrente"));
        auto* label = host.child<QLabel>("lblCaption");
        QCOMPARE(label->size(), label->sizeHint());
        QCOMPARE(twips(label).size(), QSizeF(label->size()) * 15);
        host.editor->resize(800, 500);
        const double m = (435 - twips(label).height()) / 2;
        QCOMPARE(twips(label).topLeft(), QPointF(m, m));
    }
};

QTEST_MAIN(TestForm)
#include "test_form.moc"
