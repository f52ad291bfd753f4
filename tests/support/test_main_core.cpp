#include "support/cmcTestSupport.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    qx::cmcSetProgramPath(argv[0]);
    qx::cmcSetMessageSink(&qx::test::Messages());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
