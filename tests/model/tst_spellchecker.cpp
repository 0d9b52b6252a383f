// SPDX-License-Identifier: MIT
#include "SpellChecker.h"

#include <QTest>

class tst_SpellChecker : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void wordsAddedSurviveARestartIgnoredOnesDoNot();
};

void tst_SpellChecker::initTestCase() {
    // The suite installs the English dictionary; without it nothing here can be checked.
    QVERIFY2(SpellChecker(QStringLiteral("en_US")).hasDictionary(),
             "no en_US dictionary: scripts/install-deps installs hunspell-en-us");
}

void tst_SpellChecker::wordsAddedSurviveARestartIgnoredOnesDoNot() {
    const QString word = QStringLiteral("Mirtish%1").arg(QDateTime::currentMSecsSinceEpoch());
    {
        SpellChecker checker(QStringLiteral("en_US"));
        QCOMPARE(checker.language(), QStringLiteral("en_US"));
        QVERIFY(checker.isCorrect(u"budget"));
        QVERIFY(!checker.isCorrect(u"budgte"));
        QVERIFY(checker.suggestions(u"budgte").contains(QStringLiteral("budget")));
        QVERIFY(!checker.isCorrect(word));
        checker.addToDictionary(word);
        checker.ignore(u"Qwertzuiop");
        QVERIFY(checker.isCorrect(word) && checker.isCorrect(u"Qwertzuiop"));
    }
    SpellChecker again(QStringLiteral("en_US"));
    QVERIFY(again.isCorrect(word));
    QVERIFY(!again.isCorrect(u"Qwertzuiop"));
}

QTEST_GUILESS_MAIN(tst_SpellChecker)
#include "tst_spellchecker.moc"
