// The fields as a user and a host use them: change notifications, typing filters, read-only
// fields, and the lock rule of LockFields over every edit state, standard flag and right.
#include "form/FormHarness.h"
#include "support/Probe.h"

#include "widgets/TextField.h"

#include <K7XBO_Global/CGlobal.h>

#include <QComboBox>
#include <QLocale>
#include <QSqlDatabase>

using K7X_DoruVevuzu::RuntimeError;

namespace {

// A host whose right to edit standard indices is fixed, counting how often it is asked.
class RightsHost : public K7XBO_Global::CGlobal {
public:
    enum class Answer { No, Yes, Fails };
    explicit RightsHost(Answer answer) : CGlobal(QSqlDatabase()), m_answer(answer) {}
    bool CanEditStandard() override {
        ++calls;
        if (m_answer == Answer::Fails)
            throw RuntimeError(RuntimeError::ObjectError, "K7XBO_Global", "Diritti non leggibili");
        return m_answer == Answer::Yes;
    }
    int calls = 0;

private:
    Answer m_answer;
};

const QStringList kContent =
    QStringLiteral("txtDescrizione txtFormulaAllora txtFormulaAltrimenti txtFormulaCondizione "
                   "txtFormulaSimbolica txtTesto txtValoreBuono txtDescrizioneBuono "
                   "txtValoreNormale txtDescrizioneNormale txtValoreScarso txtDescrizioneScarso "
                   "cmbGrafico cmdFormula_0 cmdFormula_1 cmdFormula_2")
        .split(u' ');
const QStringList kFree{"txtValErr", "ChkRelGest"};

bool editable(const FormHarness& form, const QString& name) {
    QWidget* field = form.control(name);
    const QVariant user = field->property("userEditable");
    return user.isValid() ? user.toBool() : field->isEnabled();
}

void expectStates(const FormHarness& form, bool code, bool content, bool free) {
    auto* codice = form.control<K7X_DoruVevuzu::widgets::TextField>("txtCodice");
    QCOMPARE(codice->locked(), true); // the locked switch belongs to add mode
    QCOMPARE(codice->editEnabled(), code);
    for (const QString& name : kContent)
        QVERIFY2(editable(form, name) == content, qPrintable(name));
    for (const QString& name : kFree)
        QVERIFY2(editable(form, name) == free, qPrintable(name));
}

} // namespace

class TestFormFields : public QObject {
    Q_OBJECT
private slots:
    void changeNotifications_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("changes");
        const auto row = [](const char* name, const char* field, const QString& typed,
                            const QString& shown, int changes) {
            QTest::newRow(name) << field << typed << shown << changes;
        };
        row("single line", "txtDescrizione", "abc", "abc", 3);
        row("multi-line", "txtTesto", "a b", "a b", 3);
        row("numeric", "txtValoreScarso", "1x2", "012", 2);
        row("maximum length", "txtDescrizione", QString(55, 'x'), QString(50, 'x'), 50);
    }

    void changeNotifications() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        FormHarness form;
        QWidget* box = form.control(field);
        QSignalSpy changes(box, SIGNAL(Change()));
        QTest::keyClicks(form.keyboard(field), typed);
        QCOMPARE(box->property("text").toString(), shown);
        QTEST(int(changes.size()), "changes");

        changes.clear();
        box->setProperty("text", shown); // the same value: no change
        QCOMPARE(changes.size(), 0);
        const QString longer = QString(60, 'y') + "abc"; // code writes are taken as they are
        box->setProperty("text", longer);
        QCOMPARE(changes.size(), 1);
        QCOMPARE(box->property("text").toString(), longer);
    }

    void numericTyping_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* name, const char* locale, const char* typed,
                            const char* shown) {
            QTest::newRow(name) << locale << typed << shown;
        };
        row("it: sign, groups, decimal", "it_IT", "-1.234,56", "-1.234,56");
        row("it: letters refused", "it_IT", "12a3", "123");
        row("it: one decimal separator", "it_IT", "1,2,3", "1,23");
        row("it: sign only in front", "it_IT", "1-2+", "12");
        row("C: sign, groups, decimal", "C", "+1,234.5", "+1,234.5");
        row("C: one decimal separator", "C", "1.2.3", "1.23");
        row("C: no exponent", "C", "1e5", "15");
    }

    void numericTyping() {
        QFETCH(QString, locale);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QLocale::setDefault(QLocale(locale));
        FormHarness form;
        QWidget* box = form.control("txtValErr");
        box->setProperty("text", QString());
        QTest::keyClicks(form.keyboard("txtValErr"), typed);
        QCOMPARE(box->property("text").toString(), shown);
        box->setProperty("text", "abc"); // validation elsewhere reports it
        QCOMPARE(box->property("text").toString(), QStringLiteral("abc"));
        QLocale::setDefault(QLocale::c());
    }

    void readOnlyFieldsRefuseTheUser() {
        FormHarness form;
        Probe::lock(*form.editor, false, false, false);
        QWidget* box = form.control("txtDescrizione");
        QSignalSpy changes(box, SIGNAL(Change()));
        form.keyboard("txtDescrizione")->setFocus();
        QCOMPARE(QApplication::focusWidget(), form.keyboard("txtDescrizione"));
        QTest::keyClicks(form.keyboard("txtDescrizione"), "abc");
        QCOMPARE(changes.size(), 0);

        auto* list = form.control<QComboBox>("cmbGrafico");
        list->setCurrentIndex(1);
        QTest::keyClick(list, Qt::Key_Down);
        QWheelEvent wheel(QPointF(5, 5), list->mapToGlobal(QPointF(5, 5)), {}, {0, -120},
                          Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(list, &wheel);
        QTest::mouseClick(list, Qt::LeftButton);
        QCOMPARE(list->currentIndex(), 1);
        QVERIFY(!QApplication::activePopupWidget());
        list->setCurrentIndex(2); // code still can
        QCOMPARE(list->currentIndex(), 2);
        QVERIFY(list->isEnabled());
    }

    void lockRule_data() {
        QTest::addColumn<bool>("E");
        QTest::addColumn<bool>("A");
        QTest::addColumn<bool>("S");
        QTest::addColumn<bool>("R");
        for (int bits = 0; bits < 16; ++bits) {
            const bool E = bits & 8, A = bits & 4, S = bits & 2, R = bits & 1;
            QTest::addRow("E%d A%d S%d R%d", E, A, S, R) << E << A << S << R;
        }
    }

    void lockRule() {
        QFETCH(bool, E);
        QFETCH(bool, A);
        QFETCH(bool, S);
        QFETCH(bool, R);
        FormHarness form;
        RightsHost host(R ? RightsHost::Answer::Yes : RightsHost::Answer::No);
        form.editor->setCGlobal(&host);
        Probe::lock(*form.editor, E, A, S);
        QCOMPARE(host.calls, 16);
        expectStates(form, E && A, ((R || !S) && E) || A, E);
        if (E)
            QCOMPARE(QApplication::focusWidget(),
                     form.keyboard(A ? "txtCodice" : "txtDescrizione"));
    }

    void lockWithoutAnswer_data() {
        QTest::addColumn<bool>("withHost");
        QTest::newRow("no host service") << false;
        QTest::newRow("host query fails") << true;
    }

    // Every query of the right fails: the content fields keep their state, the rest follow E.
    void lockWithoutAnswer() {
        QFETCH(bool, withHost);
        FormHarness form;
        RightsHost host(RightsHost::Answer::Fails);
        form.editor->setCGlobal(withHost ? &host : nullptr);
        Probe::lock(*form.editor, false, false, false);
        expectStates(form, false, true, false);
        Probe::lock(*form.editor, true, false, true);
        expectStates(form, false, true, true);
        QCOMPARE(host.calls, withHost ? 32 : 0);
    }
};

QTEST_MAIN(TestFormFields)
#include "test_form_fields.moc"
