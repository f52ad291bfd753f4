// A simulated radio for a test: qx-p2210-radiosim on a pseudo-terminal, started with the test and
// killed with it, saving what it is written into `saved`. `device` stays empty when it did not
// start.
#pragma once

#include "support/cmcTestSupport.h"

#include <QProcess>
#include <QString>

#include <cstdio>
#include <string>

namespace qx::test {

struct SimRadio {
    QProcess process;
    std::string device;
    std::string saved;
    SimRadio(int modelType, const std::string& name) : saved(TempDir() + "/" + name + ".QCF") {
        std::remove(saved.c_str());
        process.setProgram(QString::fromStdString(BinDir() + "/qx-p2210-radiosim"));
        process.setArguments({"--model-type", QString::number(modelType), "--save", QString::fromStdString(saved)});
        process.start();
        if (!process.waitForStarted(5000)) return;
        while (!process.canReadLine() && process.waitForReadyRead(5000)) {
        }
        device = QString::fromLocal8Bit(process.readLine()).trimmed().toStdString();
    }
    ~SimRadio() {
        process.kill();
        process.waitForFinished(5000);
    }
};

}  // namespace qx::test
