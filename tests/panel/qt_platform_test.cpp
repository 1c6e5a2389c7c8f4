// The Qt event loop as the engine's main queue, and the desktop clipboard.
// QTRY_* stay out of these tests: from Qt 6.8 they narrow a std::chrono count to int inside the
// including file, which -Werror=conversion refuses; QTest::qWaitFor waits the same way.
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <atomic>
#include <chrono>
#include <thread>

#include "panel_harness.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_main_queue.h"
#include "platform/qt/qt_preferences.h"

using namespace ovantic;
using namespace std::chrono_literals;

class QtPlatformTest : public QObject {
  Q_OBJECT

 private slots:
  void postRunsOnTheGuiThreadWhateverThreadPosts() {
    QtMainQueue queue;
    QThread* ranOn = nullptr;
    std::thread worker([&] { queue.post([&] { ranOn = QThread::currentThread(); }); });
    worker.join();
    QVERIFY(ranOn == nullptr);  // nothing runs before the event loop turns
    QVERIFY(QTest::qWaitFor([&] { return ranOn != nullptr; }));
    QCOMPARE(ranOn, QCoreApplication::instance()->thread());
  }

  void postAfterFromAWorkerThreadRunsOnTheGuiThread() {
    QtMainQueue queue;
    QThread* ranOn = nullptr;
    std::thread worker([&] { queue.postAfter(1ms, [&] { ranOn = QThread::currentThread(); }); });
    worker.join();
    QVERIFY(QTest::qWaitFor([&] { return ranOn != nullptr; }));
    QCOMPARE(ranOn, QCoreApplication::instance()->thread());
  }

  void delayedTaskRunsAfterAPlainPost() {
    QtMainQueue queue;
    std::vector<int> order;
    queue.postAfter(30ms, [&] { order.push_back(2); });
    queue.post([&] { order.push_back(1); });
    QVERIFY(QTest::qWaitFor([&] { return order.size() == 2u; }));
    QCOMPARE(order, (std::vector<int>{1, 2}));
  }

  void emptyTasksAreIgnored() {
    QtMainQueue queue;
    queue.post(nullptr);
    queue.postAfter(0ms, nullptr);
    QCoreApplication::processEvents();  // would crash calling an empty function
  }

  void clipboardHoldsOnlyTheLastText() {
    auto* previous = new QMimeData;
    previous->setHtml("<b>old</b>");
    previous->setData("application/x-ovantic-test", "x");
    QGuiApplication::clipboard()->setMimeData(previous);

    QtClipboard clipboard;
    clipboard.replaceWithText("$ 1,234.50");
    clipboard.replaceWithText(panel_testing::kRupee + " 2.5 Cr");

    const QMimeData* now = QGuiApplication::clipboard()->mimeData();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromUtf8("\u20B9 2.5 Cr"));
    QCOMPARE(now->formats(), QStringList{"text/plain"});
  }

  void resultClickReachesTheDesktopClipboard() {
    auto queue = std::make_shared<panel_testing::ClockedMainQueue>();
    auto http = std::make_shared<panel_testing::ManualHttpClient>();
    auto model = CurrencyConverterView::create(
        ConverterServices{queue, http, std::make_shared<QtClipboard>(), "en_US"});
    ConverterPanel panel(model);
    panel.show();
    model->resultText = panel_testing::kIndiaFlag + " 2.5 Cr";
    model->onStateChange();
    QTest::mouseClick(panel.findChild<QWidget*>("resultArea"), Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromUtf8("\u20B9 2.5 Cr"));
  }

  void preferencesKeepTextsInTheFileAndIgnoreWhatIsNotText() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ovantic.conf"));
    {
      QtPreferences kept(path);
      kept.setValue("pair/from", "AED");
      kept.setValue("pair/recent", "AED,NPR");
    }
    QtPreferences again(path);
    QCOMPARE(again.value("pair/from"), std::optional<std::string>("AED"));
    QCOMPARE(again.value("pair/recent"), std::optional<std::string>("AED,NPR"));
    QCOMPARE(again.value("pair/to"), std::optional<std::string>());
    {
      // A hand edit: an unquoted list reads as a string list, not as one text.
      QSettings edit(path, QSettings::IniFormat);
      edit.setValue(QStringLiteral("pair/to"), QStringList{"SGD", "NZD"});
    }
    QCOMPARE(QtPreferences(path).value("pair/to"), std::optional<std::string>());

    // A file far larger than this program writes is not read at all, nor written over.
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QByteArray large = "[pair]\nfrom=NPR\n;" + QByteArray(70000, 'x') + "\n";
    file.write(large);
    file.close();
    QtPreferences big(path);
    QCOMPARE(big.value("pair/from"), std::optional<std::string>());
    big.setValue("pair/from", "SGD");
    QCOMPARE(big.value("pair/from"), std::optional<std::string>("SGD"));
    QCOMPARE(QFileInfo(path).size(), large.size());
  }
};

QTEST_MAIN(QtPlatformTest)
#include "qt_platform_test.moc"
