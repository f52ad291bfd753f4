// Clone files handed from a second copy of the program to the running one: delivered in the order
// sent, each once, and held back while the program is busy.
#include "app/cuiOpenRequests.h"
#include "support/cmcTestSupport.h"

#include <QDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace qx;

TEST(OpenRequests, RunningCopyOpensEachSentFileOnceInOrderWhenFree) {
    const std::string folder = cuiOpenRequestFolder(test::TempDir() + "/instance.lock");
    QDir(QString::fromStdString(folder)).removeRecursively();
    QDir().mkpath(QString::fromStdString(folder));
    ASSERT_TRUE(cuiSendOpenRequest(folder, "/left/from/an/earlier/run.qcf"));
    QTest::qWait(2);
    const qint64 started = cuiOpenRequestClock();

    std::vector<std::string> opened;
    bool free = false;
    cuiOpenRequests requests(folder, started, [&](const std::string& p) { opened.push_back(p); }, [&] { return free; });
    EXPECT_TRUE(requests.Take().empty()) << "a request of an earlier run was kept";

    // Busy: the requests wait.
    ASSERT_TRUE(cuiSendOpenRequest(folder, "/radios/first.qcf"));
    QTest::qWait(5);
    ASSERT_TRUE(cuiSendOpenRequest(folder, "/radios/zweite Datei ä.qcf"));
    test::WriteFile(folder + "/unrelated.txt", "x");
    QTest::qWait(300);
    EXPECT_TRUE(opened.empty());

    free = true;
    EXPECT_TRUE(QTest::qWaitFor([&] { return opened.size() == 2; }, 3000));
    EXPECT_EQ(opened, (std::vector<std::string>{"/radios/first.qcf", "/radios/zweite Datei ä.qcf"}));
    QTest::qWait(100);
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_EQ(QDir(QString::fromStdString(folder)).entryList({"*.req"}, QDir::Files).size(), 0);
}

// A second copy may start while the first is still building its window (within a few
// milliseconds of it): its request, sent before the running copy watches the folder, and even
// before the folder exists, opens all the same.
TEST(OpenRequests, ARequestSentWhileTheFirstCopyStartsIsOpened) {
    const std::string folder = cuiOpenRequestFolder(test::TempDir() + "/starting.lock");
    QDir(QString::fromStdString(folder)).removeRecursively();
    const qint64 started = cuiOpenRequestClock();
    ASSERT_TRUE(cuiSendOpenRequest(folder, "/radios/handed.qcf"));

    std::vector<std::string> opened;
    cuiOpenRequests requests(folder, started, [&](const std::string& p) { opened.push_back(p); }, [] { return true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return !opened.empty(); }, 2000));
    EXPECT_EQ(opened, std::vector<std::string>{"/radios/handed.qcf"});
}

TEST(OpenRequests, AFolderThatCannotBeMadeRefusesTheRequest) {
    const std::string blocker = test::WriteFile(test::TempDir() + "/plain-file", "x");
    EXPECT_FALSE(cuiSendOpenRequest(blocker + "/folder", "/radios/a.qcf"));
}
