// The edit session with no window: add mode and the codes it leaves.
#include "workflow/EditSession.h"

#include <QtTest>

using namespace K7X_DoruVevuzu::workflow;

class TestEditSession : public QObject {
    Q_OBJECT
private slots:
    // The code follows the code box while adding only; add mode left unsaved brings the host's code
    // back. A code kept on the row of the host's code is carried into formulas and documents.
    void addMode_data() {
        QTest::addColumn<bool>("save");
        QTest::addColumn<bool>("keep");
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("carried");
        QTest::newRow("left unsaved") << false << false << "ROE" << false;
        QTest::newRow("saved") << true << true << "NEW" << false;
        QTest::newRow("kept on the old row") << false << true << "NEW" << true;
    }
    void addMode() {
        QFETCH(bool, save);
        QFETCH(bool, keep);
        QFETCH(QString, code);
        QFETCH(bool, carried);
        EditSession session; // model M, index ROE shown
        session.setModel("M");
        session.setCode("ROE");
        session.opened();
        session.changed();
        QVERIFY(session.startAdding() && !session.modified() && !session.startAdding());
        session.typedCode("NEW");
        QVERIFY(session.checksDuplicate() && !session.ownCode() && !session.showsOtherIndex());
        if (save)
            session.saved("NEW");
        if (keep)
            QCOMPARE(session.keepNewIndex(), "NEW");
        else
            session.leaveAdding();
        session.typedCode("X");
        QVERIFY(!session.adding() && session.code() == code && session.oldCode() == "ROE");
        QCOMPARE(session.codeToCarry().has_value(), carried);
        QCOMPARE(session.checksDuplicate(), keep);
        QCOMPARE(session.ownCode(), std::optional<QString>(save ? "NEW" : "ROE"));
    }
};

QTEST_GUILESS_MAIN(TestEditSession)
#include "test_edit_session.moc"
