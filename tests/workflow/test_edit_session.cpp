// The edit session with no window: add mode and the codes it leaves, the lock rule.
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

    // Which fields a user may change: the code only while adding and editing, the content while
    // editing an index that is not standard or that the host lets the user edit, and while adding
    // (even when not editing), the free fields while editing.
    void lockRules_data() {
        QTest::addColumn<bool>("editing");
        QTest::addColumn<bool>("adding");
        QTest::addColumn<bool>("standard");
        QTest::addColumn<bool>("right"); // the host's right to edit standard indices
        QTest::addColumn<bool>("code");
        QTest::addColumn<bool>("content");
        QTest::addColumn<bool>("free");
        QTest::newRow("viewing") << false << false << false << true << false << false << false;
        QTest::newRow("viewing while adding")
            << false << true << true << false << false << true << false;
        QTest::newRow("editing") << true << false << false << false << false << true << true;
        QTest::newRow("editing a standard index without the right")
            << true << false << true << false << false << false << true;
        QTest::newRow("editing a standard index with the right")
            << true << false << true << true << false << true << true;
        QTest::newRow("adding") << true << true << true << false << true << true << true;
    }
    void lockRules() {
        QFETCH(bool, editing);
        QFETCH(bool, adding);
        QFETCH(bool, standard);
        QFETCH(bool, right);
        EditSession session;
        if (adding)
            session.startAdding();
        session.setStandard(standard);
        session.setEditing(editing);
        QTEST(session.editable(LockRule::Code, right), "code");
        QTEST(session.editable(LockRule::Content, right), "content");
        QTEST(session.editable(LockRule::Free, right), "free");
    }
};

QTEST_GUILESS_MAIN(TestEditSession)
#include "test_edit_session.moc"
