#include "queue/queuerules.h"

#include <QtTest>

using namespace queue;

class tst_queuerules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void jpgExtension_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("jpg");
        QTest::newRow("lower") << "a.jpg" << true;
        QTest::newRow("upper I under Turkish rules") << "FOTO.JPG" << true;
        QTest::newRow("mixed") << "x.JpG" << true;
        QTest::newRow("jpeg") << "a.jpeg" << false;
        QTest::newRow("png") << "a.png" << false;
        QTest::newRow("no dot") << "ajpg" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("dotless i") << "a.jıg" << false;
    }
    void jpgExtension()
    {
        QFETCH(QString, name);
        QFETCH(bool, jpg);
        QCOMPARE(HasJpgExtension(name), jpg);
    }

    void recordNumber_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qlonglong>("number"); // -1: none
        QTest::newRow("plain") << "f123"
                               << "123" << 123LL;
        QTest::newRow("empty") << "f"
                               << "" << -1LL;
        QTest::newRow("not a number") << "fabc"
                                      << "abc" << -1LL;
        const QString longKey = QStringLiteral("f") + QString(120, QLatin1Char('7'));
        QTest::newRow("over 100 characters") << longKey << QString(100, QLatin1Char('7')) << -1LL;
        QTest::newRow("100 characters kept")
            << QStringLiteral("f") + QString(98, QLatin1Char('0')) + QStringLiteral("42")
            << QString(98, QLatin1Char('0')) + QStringLiteral("42") << 42LL;
    }
    void recordNumber()
    {
        QFETCH(QString, key);
        QFETCH(QString, text);
        QFETCH(qlonglong, number);
        QCOMPARE(RecordNumberText(key), text);
        const auto n = RecordNumber(key);
        QCOMPARE(n.has_value(), number >= 0);
        if (n)
            QCOMPARE(*n, number);
    }

    void countdown_data()
    {
        QTest::addColumn<int>("elapsed");
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::newRow("rest") << 0 << 3 << int(CountdownStep::Hide) << "";
        QTest::newRow("3: tick 1")
            << 1 << 3 << int(CountdownStep::Show) << QStringLiteral("Bekleme Süresi  : 2 sn.");
        QTest::newRow("3: tick 2")
            << 2 << 3 << int(CountdownStep::Show) << QStringLiteral("Fotoğraf Gönderimi Başlıyor");
        QTest::newRow("3: tick 3")
            << 3 << 3 << int(CountdownStep::Show) << QStringLiteral("Fotoğraf Gönderimi Başlıyor");
        QTest::newRow("3: tick 4") << 4 << 3 << int(CountdownStep::Expire) << "";
        QTest::newRow("20: tick 1")
            << 1 << 20 << int(CountdownStep::Show) << QStringLiteral("Bekleme Süresi  : 19 sn.");
        QTest::newRow("20: tick 20") << 20 << 20 << int(CountdownStep::Show)
                                     << QStringLiteral("Fotoğraf Gönderimi Başlıyor");
        QTest::newRow("20: tick 21") << 21 << 20 << int(CountdownStep::Expire) << "";
        QTest::newRow("past the end") << 30 << 20 << int(CountdownStep::Expire) << "";
    }
    void countdown()
    {
        QFETCH(int, elapsed);
        QFETCH(int, total);
        QFETCH(int, kind);
        QFETCH(QString, text);
        const CountdownStep step = Countdown(elapsed, total);
        QCOMPARE(int(step.kind), kind);
        QCOMPARE(step.text, text);
    }

    void leadingInt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("number") << "20" << 20;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("trailing text") << "3x" << 3;
        QTest::newRow("text") << "x" << 0;
        QTest::newRow("spaces") << " 7 " << 7;
    }
    void leadingInt()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(LeadingInt(text), value);
    }

    void fileSize_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<bool>("fails");
        QTest::addColumn<QString>("text");
        QTest::newRow("1 MB exactly") << 1048576LL << false << "1024 Kbayt";
        QTest::newRow("1024.05 rounds down") << 1048626LL << false << "1024 Kbayt";
        QTest::newRow("1024.1") << 1048679LL << true << "1024,1 Kbayt";
        QTest::newRow("1500") << 1536000LL << true << "1500 Kbayt";
        QTest::newRow("small") << 1000LL << false << "1 Kbayt";
        QTest::newRow("one decimal") << 1500LL << false << "1,5 Kbayt";
        QTest::newRow("empty file") << 0LL << false << "0 Kbayt";
    }
    void fileSize()
    {
        QFETCH(qint64, bytes);
        QFETCH(bool, fails);
        QFETCH(QString, text);
        QCOMPARE(SizeFailure(bytes).has_value(), fails);
        QCOMPARE(SizeText(bytes), text);
    }

    void dimensions_data()
    {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<int>("failures");
        QTest::newRow("landscape limit") << QSize(1100, 700) << 0;
        QTest::newRow("landscape wide") << QSize(1101, 700) << 1;
        QTest::newRow("landscape tall") << QSize(1100, 701) << 1;
        QTest::newRow("landscape both") << QSize(1200, 800) << 2;
        QTest::newRow("1000x800") << QSize(1000, 800) << 1;
        QTest::newRow("portrait limit") << QSize(700, 1100) << 0;
        QTest::newRow("portrait wide") << QSize(701, 1100) << 1;
        QTest::newRow("portrait tall") << QSize(700, 1101) << 1;
        QTest::newRow("800x1000") << QSize(800, 1000) << 1;
        QTest::newRow("square limit") << QSize(700, 700) << 0;
        QTest::newRow("square over") << QSize(701, 701) << 1;
        QTest::newRow("square far over") << QSize(1101, 1101) << 2;
    }
    void dimensions()
    {
        QFETCH(QSize, pixels);
        QFETCH(int, failures);
        const auto found = DimensionFailures(pixels);
        QCOMPARE(found.size(), failures);
        for (const CheckFailure &f : found) {
            QCOMPARE(f.text, QStringLiteral("Resim Ebatlarını Kontrol Ediniz"));
            QVERIFY(f.stored);
        }
    }

    void fieldChecks_data()
    {
        QTest::addColumn<QString>("alan2");
        QTest::addColumn<QString>("gonderen");
        QTest::addColumn<QString>("gonderentc");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<bool>>("stored");
        const QString dev = QStringLiteral("Yapıdaki Gelişmeler Bilgisi Bulunamadı");
        const QString who = QStringLiteral("Fotoğrafı Gönderen Bilgisi Bulunamadı...");
        const QString tc = QStringLiteral("Fotoğrafı Gönderen TC Numarası Bilgisi Bulunamadı...");
        QTest::newRow("all present") << "x"
                                     << "y"
                                     << "1" << QStringList{} << QList<bool>{};
        QTest::newRow("developments") << ""
                                      << "y"
                                      << "1" << QStringList{dev} << QList<bool>{false};
        QTest::newRow("sender and TC, in turn")
            << "x"
            << ""
            << "" << QStringList{who, tc} << QList<bool>{true, true};
        QTest::newRow("all missing")
            << ""
            << ""
            << "" << QStringList{dev, who, tc} << QList<bool>{false, true, true};
    }
    void fieldChecks()
    {
        QFETCH(QString, alan2);
        QFETCH(QString, gonderen);
        QFETCH(QString, gonderentc);
        QFETCH(QStringList, texts);
        QFETCH(QList<bool>, stored);
        const auto found = FieldFailures(alan2, gonderen, gonderentc);
        QStringList gotTexts;
        QList<bool> gotStored;
        for (const CheckFailure &f : found) {
            gotTexts.append(f.text);
            gotStored.append(f.stored);
        }
        QCOMPARE(gotTexts, texts);
        QCOMPARE(gotStored, stored);
    }

    void listQueryBindsTheUserName()
    {
        QVERIFY(!PendingListQuery(false).contains(QLatin1Char('?')));
        QCOMPARE(PendingListQuery(true).count(QLatin1Char('?')), 1);
        QVERIFY(PendingListQuery(true).endsWith(QStringLiteral(" order by tarih")));
    }
};

QTEST_MAIN(tst_queuerules)
#include "tst_queuerules.moc"
