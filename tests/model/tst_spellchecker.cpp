// SPDX-License-Identifier: MIT
#include "SpellChecker.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_SpellChecker : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void wordsAddedSurviveARestartIgnoredOnesDoNot();
};

void tst_SpellChecker::wordsAddedSurviveARestartIgnoredOnesDoNot() {
    const QString word = u"Mirtish%1"_s.arg(QDateTime::currentMSecsSinceEpoch());
    {
        SpellChecker checker(u"en_US"_s);
        QCOMPARE(checker.language(), u"en_US"_s);
        QVERIFY(checker.isCorrect(u"budget"));
        QVERIFY(!checker.isCorrect(u"budgte"));
        QVERIFY(checker.suggestions(u"budgte").contains(u"budget"_s));
        QVERIFY(!checker.isCorrect(word));
        checker.addToDictionary(word);
        checker.ignore(u"Qwertzuiop");
        QVERIFY(checker.isCorrect(word) && checker.isCorrect(u"Qwertzuiop"));
    }
    SpellChecker again(u"en_US"_s);
    QVERIFY(again.isCorrect(word));
    QVERIFY(!again.isCorrect(u"Qwertzuiop"));
}

QTEST_GUILESS_MAIN(tst_SpellChecker)
#include "tst_spellchecker.moc"
