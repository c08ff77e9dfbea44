// Loading, saving and validating the index row as a host drives the component on BILANCIO.
#include "support/Host.h"

#include <K7XBO_Global/CFormulaEngine.h>

namespace {

// A formula engine that refuses every formula naming ERR and remembers what it was asked.
struct RecordingEngine : K7XBO_Global::CFormulaEngine {
    QString CheckFormula(QString& formula) override {
        checked << formula;
        return formula.contains("ERR") ? "Formula errata: " + formula : QString();
    }
    QStringList checked;
};

// BILANCIO with the full rows IND1, IND2, NULLS (Null but its codes); ALTRO in another model.
struct RecordHost : TestHost {
    explicit RecordHost(const QString& engine) : TestHost(engine, {}) {
        insertIndex("IND1");
        insertIndex("IND2");
        QVariantMap nulls;
        for (const QString& column : stored("IND1").keys())
            if (!column.contains("CODICE"))
                nulls.insert(column, QVariant());
        insertIndex("NULLS", nulls);
        database.exec("INSERT INTO KX06_MODELLI VALUES ('MOD2', 'Altro')");
        insertIndex("ALTRO", {{"KX09_CODICEMODELLO_KX06", "MOD2"}});
        insertIndex("FLOAT", {{"KX09_VALOREBUONO", 0.1 + 0.2}});
        Probe::replaceFormulaEngine(*editor, formulas);
    }
    RecordingEngine* formulas = new RecordingEngine;
};

// Numbers in scripts are in C; in Italian a numeric box (txtVal...) swaps "." and "," and has "E".
QString inLocale(const QString& name, QString text) {
    const bool italian = name.startsWith(u"txtVal") && QLocale().decimalPoint() == u",";
    for (QChar& c : text)
        if (const qsizetype at = QStringView(u".,eE").indexOf(c); italian && at >= 0)
            c = QStringView(u",.Ee")[at];
    return text;
}

// The stored columns KX09_<column> of an index, "|" between them (Null, a Boolean as 0 or 1).
QString stored(const TestHost& h, const QString& code, const QString& columns) {
    QStringList values;
    for (const QString& column : columns.split(u' ')) {
        const QVariant value = h.stored(code).value("KX09_" + column);
        values << (value.isNull()                      ? QStringLiteral("Null")
                   : value.typeId() == QMetaType::Bool ? QString::number(value.toInt())
                                                       : value.toString());
    }
    return values.join(u'|');
}

// Runs a script: steps end at "; " or ";\n" (\n, \t: a line break, a tab); a step after "pg " or
// "sqlite " runs on that engine only. Actions "box=value" (a host's write; the chart's index, the
// check box's state), "load CODE", "@CODE" (sets the current code only), "save", "exec SQL" (on the
// host's connection), Adding+ or Adding-, else a command by name. Checks "what?expected" of a
// control, the "form", the "CODE:COLUMNS" stored, "rows" added, database "calls" since the last,
// "state" (standard, modified, adding), "tools", "code", "validate", "asked" (formulas checked),
// "refused".
void run(RecordHost& h, QString script) {
    static const QStringList controls =
        QString("txtCodice txtDescrizione txtTesto txtValoreScarso txtDescrizioneScarso "
                "txtValoreNormale txtDescrizioneNormale txtValoreBuono txtDescrizioneBuono "
                "txtFormulaCondizione txtFormulaAllora txtFormulaAltrimenti txtFormulaSimbolica "
                "txtValErr cmbGrafico ChkRelGest")
            .split(u' ');
    const auto property = [](const QString& name) {
        return name == u"cmbGrafico" ? "currentIndex" : "text";
    };
    const auto shown = [&](const QString& name) {
        return name == u"ChkRelGest"
                   ? QString::number(h.child<QCheckBox>("ChkRelGest")->checkState())
                   : inLocale(name, h.child(name)->property(property(name)).toString());
    };
    ctlIndici& e = *h.editor;
    const int rows = h.indices();
    int calls = h.service.databaseCalls;
    const bool sqlite = h.database.engine() == u"sqlite"; // SQLite's error codes are its own
    script.replace(";\n", "; ").remove(u'\n').replace("\\n", "\n").replace("\\t", "\t");
    const QStringList steps = script.split("; ");
    for (qsizetype i = 0; i < steps.size(); ++i) {
        QString step = steps[i];
        if (const QString only = step.section(u' ', 0, 0); only == u"pg" || only == u"sqlite") {
            if ((only == u"sqlite") != sqlite)
                continue;
            step = step.section(u' ', 1);
        }
        const qsizetype mark = step.indexOf(u'?'), eq = step.indexOf(u'=');
        const QString what = step.left(mark), expected = step.mid(mark + 1), name = step.left(eq);
        if (step.startsWith(u"exec ")) {
            h.database.exec(step.mid(5));
        } else if (eq >= 0 && (mark < 0 || eq < mark) && name == u"ChkRelGest") {
            h.child<QCheckBox>("ChkRelGest")
                ->setCheckState(Qt::CheckState(step.mid(eq + 1).toInt()));
        } else if (eq >= 0 && (mark < 0 || eq < mark)) {
            h.child(name)->setProperty(property(name), inLocale(name, step.mid(eq + 1)));
        } else if (step.startsWith(u"load ")) {
            e.setCodiceIndice(step.mid(5));
            e.LoadIndice();
        } else if (step.startsWith(u'@')) {
            Probe::setCodiceIndice(e, step.mid(1));
        } else if (step == u"save") {
            Probe::save(e);

        } else if (mark < 0 && step.startsWith(u"Adding")) {
            e.setAdding(step.endsWith(u'+'));
        } else if (mark < 0) {
            QVERIFY2(QMetaObject::invokeMethod(&e, qPrintable(step)), qPrintable(step));
        } else if (what == u"refused") {
            const RuntimeError error = raisedBy([&] { Probe::save(e); });
            const bool database = error.description().startsWith("Errore del database: ");
            QVERIFY2(expected.toInt() ? database && (sqlite || error.number() == expected.toInt())
                                      : error.description().contains(expected),
                     error.what());
        } else {
            QStringList form;
            for (const QString& control : controls)
                form << shown(control);
            const int now = h.service.databaseCalls;
            QString tools;
            for (const char* tool : {"tbOK", "tbEdit", "tbCancel"})
                tools += h.child<QAction>(tool)->isEnabled() ? u'1' : u'0';
            const QString state =
                QString("%1%2%3").arg(Probe::standard(e)).arg(Probe::modified(e)).arg(e.Adding());
            const QString actual =
                controls.contains(what) ? shown(what)
                : what == u"form"       ? form.join(u'|')
                : what.contains(u':')   ? stored(h, what.section(u':', 0, 0), what.section(u':', 1))
                : what == u"rows"       ? QString::number(h.indices() - rows)
                : what == u"calls"      ? QString::number(now - std::exchange(calls, now))
                : what == u"state"      ? state
                : what == u"tools"      ? tools
                : what == u"code"       ? Probe::codiceIndice(e)
                : what == u"asked"      ? h.formulas->checked.join(u'|')
                                        : (h.formulas->checked.clear(), Probe::validate(e));
            QVERIFY2(what + u'?' + actual == step,
                     qPrintable("after " + steps.value(i - 1) + ", " + step + " shows " + actual));
        }
    }
}

// The scripts, each after "== name": edits, adding (refusals keep the entries), loading (while
// adding, Null columns, unloaded, no row), validation (order, formulas, duplicates before
// trimming).
const char* const kScripts = R"(== edit
load IND1; form?IND1|Margine IND1|Testo\nsu due righe|1.5|Scarso|2|Normale|1234567.25|Buono|
Voce("A") <> 0|Voce("B") / Voce("A")|0|B / A|-0.5|2|2; state?100; tools?010; txtCodice=ALTRO;
txtDescrizione=Margine lordo; txtTesto=; txtValoreScarso=-2.75; txtDescrizioneScarso=Poco;
txtValoreNormale=1,5; txtDescrizioneNormale=non salvato; txtValoreBuono=1500.5; txtValErr=1.5e+20;
cmbGrafico=0; ChkRelGest=1; save; IND1:DESCRIZIONE TESTO VALORESCARSO DESCRIZIONESCARSO
 VALORENORMALE DESCRIZIONENORMALE VALOREBUONO VALERR_FORMULA GRAFICO DEFEXPRELGEST STANDARD?Margine
 lordo||-2.75|Poco|2|Normale|1500.5|1.5e+20|0|0|1; rows?0; state?100; txtValoreNormale=2.5; save;
IND1:VALORENORMALE DESCRIZIONENORMALE?2.5|non salvato; pg exec SET extra_float_digits = 0;
load FLOAT; txtValoreBuono=2; save; FLOAT:VALOREBUONO?2; sqlite exec UPDATE KX09_INDICE SET
 KX09_VALORESCARSO = 'n/d'; sqlite load IND2; sqlite txtValoreScarso?n/d
== add
load IND1; Adding+; txtDescrizione=Nuovo; txtValoreScarso=abc; txtDescrizioneScarso=ignorato;
txtValoreNormale=3; txtFormulaAllora=1; txtValErr=; cmbGrafico=-1; ChkRelGest=2; txtCodice=IND1;
refused?23505; txtCodice= NEW ; txtDescrizione=Descrizione di cinquantuno caratteri: uno di troppo;
refused?22001; rows?0; state?111; txtDescrizione=Nuovo; save; rows?1;
IND1:DESCRIZIONE VALORENORMALE?Margine IND1|2;  NEW :DESCRIZIONE FORMULACONDIZIONE FORMULAALLORA
 VALORESCARSO DESCRIZIONESCARSO VALORENORMALE GRAFICO VALERR_FORMULA STANDARD DEFEXPRELGEST?Nuovo||
1|Null|Null|3|Null|0|0|1; Adding-; txtDescrizione=Ancora; save; rows?1;  NEW :DESCRIZIONE?Ancora;
IND1:DESCRIZIONE?Margine IND1; UnloadIndice; Adding+; txtCodice=CHIUSO; txtDescrizione=Chiuso;
save; rows?2; CHIUSO:DESCRIZIONE STANDARD?Chiuso|0
== loads
load IND1; Adding+; txtCodice=NUOVO; txtDescrizione=In corso; LoadIndice; txtCodice?NUOVO;
txtDescrizione?In corso; state?110; code?IND1; refused?mostra l'indice "NUOVO"; load IND1; load NULLS;
form?NULLS|Margine IND1||||||||||||0|-1|0; state?100; txtTesto=x; save;
NULLS:DESCRIZIONE TESTO?Null|x; load IND1; load IND2; txtDescrizione=Seconda;
save; IND1:DESCRIZIONE?Margine IND1; IND2:DESCRIZIONE?Seconda; UnloadIndice;
form?||||Scarso||Normale||Buono|||||0|2|2; state?100; txtDescrizione=Dopo la chiusura; save;
IND1:DESCRIZIONE?Margine IND1; IND2:DESCRIZIONE?Dopo la chiusura; UnloadIndice; load NONE;
form?||||Scarso||Normale||Buono|||||0|2|2; tools?011; txtDescrizione=Da nessuna parte;
refused?NONE; UnloadIndice; txtDescrizione=Da nessuna parte; refused?NONE; rows?0;
IND1:DESCRIZIONE?Margine IND1; IND2:DESCRIZIONE?Dopo la chiusura
== validation
txtCodice=IND1; txtDescrizione=Descrizione; txtFormulaAllora=1 + 2; validate?; asked?1 + 2;
txtCodice=  ; txtDescrizione= ; txtValoreScarso=x; txtValoreBuono=y; txtValoreNormale=1..2;
txtFormulaAllora= ; validate?Inserire il codice.; txtCodice=IND1;
validate?Inserire la descrizione.; txtDescrizione=D; validate?Inserire il valore scarso.;
txtValoreScarso=; validate?Inserire il valore buono.; txtValoreBuono=;
validate?Inserire il valore normale.; txtValoreNormale=; validate?Inserire 'Formula allora'.;
asked?; calls?0; txtFormulaCondizione=ERR; validate?Formula errata: ERR; asked?ERR;
txtFormulaCondizione=; txtFormulaAllora=ERR; txtFormulaAltrimenti=ERR;
validate?Formula errata: ERR; asked?ERR; txtFormulaCondizione=A; txtFormulaAllora=1 + 2;
txtFormulaAltrimenti=; validate?Inserire 'Formula altrimenti'.; asked?A|1 + 2;
txtFormulaAltrimenti=ERR; validate?Formula errata: ERR; asked?A|1 + 2|ERR; txtFormulaAltrimenti=0;
validate?; asked?A|1 + 2|0; txtFormulaCondizione=; txtFormulaAltrimenti=A; validate?;
asked?1 + 2|A; calls?0; txtCodice=  IND1 ; txtDescrizione=\tMargine  ; txtValoreScarso=   ;
txtValoreBuono= 3 ; txtFormulaCondizione=  Voce("A")>0 ; txtFormulaAllora= 1+2;
txtFormulaAltrimenti=0 ; txtTesto= libero ; txtValErr= 1 ; validate?; asked?Voce("A") > 0|1 + 2|0;
txtCodice?IND1; txtDescrizione?\tMargine; txtValoreScarso?; txtValoreBuono?3;
txtFormulaCondizione?Voce("A") > 0; txtFormulaAllora?1 + 2; txtFormulaAltrimenti?0;
txtTesto? libero ; txtValErr? 1 ; calls?0; Adding+; txtCodice= IND1 ; txtDescrizione= D ;
validate?Codice esistente.; asked?; txtDescrizione? D ; calls?1; txtCodice=ALTRO;
txtFormulaAllora=1; validate?; asked?1; txtDescrizione?D; calls?1; Adding-; @IND1; txtCodice=IND1;
txtDescrizione= D ; validate?Codice esistente.; asked?; txtDescrizione? D ; calls?1; Adding+;
txtDescrizione=D; txtFormulaAllora=1; pg exec SET standard_conforming_strings = off;
txtCodice=\'OR 1=1--; validate?; txtCodice=ind2; validate?Codice esistente.)";

} // namespace

class TestRecord : public QObject {
    Q_OBJECT
private slots:
    // Every script on each engine in Italian and C, in rows named "engine/script locale".
    void scripts_data() {
        QTest::addColumn<QString>("script");
        QStringList scripts = QString(kScripts).split("== ", Qt::SkipEmptyParts);
        scripts << "numbers\ntxtCodice=IND1; txtDescrizione=D; txtFormulaAllora=1";
        for (const auto& [texts, message] :
             {std::pair("1.5|-1.5|+2|1.5e-3|\\t7|-0.25e+2|1500.5", ""),
              {"1,500|1,5|1,50|12,34,567|1.5.0|€ 5|5%|0x10|inf|nan|1e400|1 000",
               "Inserire il valore scarso."}})
            for (const QString& text : QString(texts).split(u'|'))
                scripts.last() += "; txtValoreScarso=" + text + "; validate?" + message;
        for (const QString& engine : TestDatabase::engines())
            for (const QString& script : scripts)
                for (const char* locale : {"it_IT", "C"})
                    QTest::addRow("%s/%s %s", qPrintable(engine),
                                  qPrintable(script.section(u'\n', 0, 0)), locale)
                        << script.section(u'\n', 1);
    }
    void scripts() {
        QFETCH(QString, script);
        const QString tag = QTest::currentDataTag(), engine = tag.section(u'/', 0, 0);
        CTL_SKIP_UNLESS_AVAILABLE(engine);
        QLocale::setDefault(QLocale(tag.section(u' ', -1)));
        RecordHost h(engine);
        run(h, script);
    }
};

QTEST_MAIN(TestRecord)
#include "test_record.moc"
